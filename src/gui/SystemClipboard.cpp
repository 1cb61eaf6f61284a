// SPDX-License-Identifier: MIT
#include "gui/SystemClipboard.h"

namespace navrik {

std::unique_ptr<SystemClipboard> createQtSystemClipboard();

namespace {

std::unique_ptr<SystemClipboard>& installed()
{
    static std::unique_ptr<SystemClipboard> clipboard;
    return clipboard;
}

std::unique_ptr<SystemClipboard> forPlatform()
{
    return createQtSystemClipboard();
}

} // namespace

SystemClipboard& systemClipboard()
{
    std::unique_ptr<SystemClipboard>& clipboard = installed();
    if (!clipboard)
        clipboard = forPlatform();
    return *clipboard;
}

void installSystemClipboard(std::unique_ptr<SystemClipboard> clipboard)
{
    installed() = std::move(clipboard);
}

} // namespace navrik
