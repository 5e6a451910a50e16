#pragma once

#include <QByteArray>
#include <QStringList>

namespace orlam {

// The XDG base-directory variables that name one folder, and those that name a list of
// folders separated by colons.
constexpr const char *XdgFolderVariables[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                              "XDG_STATE_HOME", "XDG_RUNTIME_DIR"};
constexpr const char *XdgListVariables[] = {"XDG_DATA_DIRS", "XDG_CONFIG_DIRS"};

// A list variable's value without its relative entries; empty when none is absolute.
QByteArray absoluteXdgList(const QByteArray &value);

// Relative paths in these variables are invalid and must be ignored: one would put the work
// folder, the settings or the lock in whatever folder the program happens to stand in. Removes
// a relative folder variable from the process's environment and the relative entries of a list
// (the whole variable when none is left), so that every reader - Qt's standard paths, the
// program's own code, the engine it starts - sees the defaults instead. Returns the names of
// the variables changed. Call it first thing, before any of them is read.
QStringList ignoreRelativeXdgPaths();

} // namespace orlam
