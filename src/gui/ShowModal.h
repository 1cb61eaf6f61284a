// SPDX-License-Identifier: MIT
#pragma once

class QDialog;

namespace navrik {

// Shows the dialog modally: the other windows take no input and the pointer is the normal
// one while it is open; the window that was active before is activated again afterwards, also
// where no window manager does it. On X11 a close request from the window manager to a window
// the dialog blocks reaches that window (closing the main window ends the program), and a
// dialog whose window another client destroys is closed, to be made again at its next opening.
// Returns when the dialog has been closed and hidden.
void showModal(QDialog* dialog);

} // namespace navrik
