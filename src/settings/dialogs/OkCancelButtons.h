#pragma once
// "OK" and "Cancel" of a dialog, named "ok" and "cancel", wired to its accept and reject.

class QDialog;
class QDialogButtonBox;

namespace settings {

QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog);

}  // namespace settings
