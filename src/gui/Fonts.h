// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

namespace navrik {

// The window font: proportional Japanese Gothic, 12 pixels, regular.
QFont proportionalGothicFont();

// The text buffer's font: fixed-pitch Japanese Gothic, 12 pixels, regular.
QFont fixedGothicFont();

} // namespace navrik
