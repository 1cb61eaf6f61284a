// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <functional>

namespace navrik {

// Hands the text Navrik leaves on the clipboard to navrik-clipboard-keeper as Navrik ends, so that
// it stays pastable after Navrik has gone; `arguments` tell the keeper the platform. Runs Qt's
// events meanwhile (Navrik's clipboard answers the keeper) until the keeper holds the clipboard and
// `released` (if given) says Navrik has let it go, or the keeper has ended without it, or a few
// seconds have passed. True when the keeper holds the text.
bool handToKeeper(const QByteArrayList& arguments, const QByteArray& utf8, const std::function<bool()>& released = {});

} // namespace navrik
