// SPDX-License-Identifier: MIT
// The clipboard through Qt's own QClipboard, where Navrik has no reader of its own for the
// platform (offscreen, for one).
#include "gui/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace navrik {

namespace {

class QtSystemClipboard : public SystemClipboard {
public:
    std::optional<QString> text() override
    {
        QString text = QGuiApplication::clipboard()->text();
        if (text.isEmpty())
            return std::nullopt;
        return text;
    }

    void setText(const QString& text) override { QGuiApplication::clipboard()->setText(text); }
};

} // namespace

std::unique_ptr<SystemClipboard> createQtSystemClipboard()
{
    return std::make_unique<QtSystemClipboard>();
}

} // namespace navrik
