// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

namespace navrik::keeper {

// Sets the Wayland clipboard to the text (UTF-8) through the compositor's data-control protocol
// and hands it to every program that pastes, until another program copies or the compositor goes
// away. Writes one byte to `told` and closes it once the clipboard is the keeper's. Returns the
// exit status.
int keepOnWayland(std::shared_ptr<const std::string> text, int told);

} // namespace navrik::keeper
