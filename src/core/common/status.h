#pragma once

#include <QString>

namespace orlam {

// Outcome of a fallible core call: success, or failure with the message the user sees.
// The core never shows UI; the program decides how to show the message.
struct [[nodiscard]] Status {
    bool ok = true;
    QString message;

    static Status success() { return {}; }
    static Status failure(const QString &text) { return {false, text}; }
    explicit operator bool() const { return ok; }
};

} // namespace orlam
