// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace navrik {

// The desktop's clipboard as Navrik reads and writes it, one implementation per platform.
class SystemClipboard {
public:
    virtual ~SystemClipboard() = default;
    // The clipboard's text; nothing when it offers none (no text, a non-text reply, an owner that
    // did not hand it over in time).
    virtual std::optional<QString> text() = 0;
    // Puts the text on the clipboard, owned by Navrik until another program copies.
    virtual void setText(const QString& text) = 0;
    // Called once as Navrik ends: while Navrik owns the clipboard, its text is handed on, so that it
    // stays pastable after Navrik has gone, until another program copies. Nothing where Navrik has
    // no way to hand it on.
    virtual void keepAtEnd() {}
};

// The implementation for this session, chosen once at first use.
SystemClipboard& systemClipboard();

// Puts another implementation in place of the session's (a test's fake); nothing goes back to the
// one chosen for the platform.
void installSystemClipboard(std::unique_ptr<SystemClipboard> clipboard);

} // namespace navrik
