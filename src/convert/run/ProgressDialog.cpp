#include "convert/run/ProgressDialog.h"

#include "resources/StringTable.h"

namespace convert {

void ProgressDialog::Open(const std::string& title) {
    cancelled_ = false;
    finished_ = false;
    asking_ = false;
    Show(title);
    SetPos(0);
}

void ProgressDialog::Close() {
    Hide();
}

void ProgressDialog::OnCancel() {
    asking_ = true;
    const bool confirmed = Confirm(resources::kStrConfirmCancel);
    asking_ = false;
    if (confirmed) cancelled_ = true;
}

void ProgressDialog::OnFinish() {
    asking_ = true;
    const bool confirmed = Confirm(resources::kStrConfirmFinish);
    asking_ = false;
    if (confirmed) {
        finished_ = true;
        EnableButton(ProgressButton::Finish, false);
    }
}

}  // namespace convert
