#pragma once

#include <QString>

namespace orlam {

// Where the core sends messages that the user must acknowledge (a modal message box in the
// program, a list in tests, standard error in a headless run). The call returns when the user
// has closed the message.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const QString &text) = 0;
};

// Drops every message; for callers that must run silently.
class SilentSink final : public MessageSink {
public:
    void showMessage(const QString &) override {}
};

} // namespace orlam
