// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace navrik::keeper {

// Takes the X11 clipboard over from Navrik's window `navrik`, only while that window still owns
// it, and hands the text (UTF-8) to every program that pastes, until another program copies or
// the display goes away. Writes one byte to `told` once the clipboard is the keeper's; once Navrik
// closes its end, hands the text to the clipboard manager where one runs, and ends when the
// manager has taken it. Returns the exit status.
int keepOnX11(std::shared_ptr<const std::string> text, std::uint32_t navrik, int told);

} // namespace navrik::keeper
