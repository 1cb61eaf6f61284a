#pragma once

class QDialog;

namespace navrik {

// Shows the dialog modally: the other windows take no input and the pointer is the normal
// one while it is open; the window that was active before is activated again afterwards.
// Returns when the dialog has been closed and hidden.
void showModal(QDialog* dialog);

} // namespace navrik
