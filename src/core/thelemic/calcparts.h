#pragma once

#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "common/status.h"
#include "settings/localefacts.h"
#include "settings/settings.h"
#include "thelemic/calculate.h"

#include <QString>

#include <memory>

namespace orlam {

// What every start of the program has, window or not: the settings as loaded from their file,
// the engine's runner in the work folder, the engine calls and the Calculate road, wired to one
// host. The main window and the window-free modes each are such a host and build on this.
class CalcParts {
public:
    // Loads the settings from `settingsPath` (see createStatus() for the one failure); the
    // engine named by their "Astrolog" key runs in `workFolder`, an existing folder. `host` gets
    // the runner's messages and serves the Calculate road; it must outlive these parts, and is
    // only kept here, not called, while they are built.
    CalcParts(const QString &settingsPath, const QString &workFolder, const LocaleFacts &locale,
              CalcHost &host);
    CalcParts(const CalcParts &) = delete;
    CalcParts &operator=(const CalcParts &) = delete;

    // A failed LoadSettings (the locale's date order is not supported): the program must show
    // the message and end without writing the settings file.
    const Status &createStatus() const { return mCreateStatus; }
    TSettings &settings() { return mSettings; }
    Calculator &calculator() { return *mCalc; }

protected:
    // In the order they are built; they go in the reverse one, so the Calculator ends a run
    // still going while the runner it uses is there.
    LocaleFacts mLocale;
    SettingsStore mStore;
    TSettings mSettings;
    DerivedValues mDerived;
    WindowKeys mWindowKeys;
    Status mCreateStatus;
    std::unique_ptr<AstrologRunner> mRunner;
    std::unique_ptr<Astrocalls> mAstro;
    std::unique_ptr<Calculator> mCalc;
};

} // namespace orlam
