#include "app/QtMessageBoxPresenter.h"

#include <QMessageBox>

namespace app {
namespace {

QMessageBox::StandardButtons ButtonsFor(unsigned flags) {
    switch (flags & kMbButtonsMask) {
        case kMbOkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case kMbYesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case kMbYesNo:
            return QMessageBox::Yes | QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconFor(unsigned flags) {
    switch (flags & kMbIconMask) {
        case kMbIconError:
            return QMessageBox::Critical;
        case kMbIconQuestion:
            return QMessageBox::Question;
        case kMbIconWarning:
            return QMessageBox::Warning;
        case kMbIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int ResultOf(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return kIdYes;
        case QMessageBox::No:
            return kIdNo;
        case QMessageBox::Cancel:
            return kIdCancel;
        default:
            return kIdOk;
    }
}

}  // namespace

int QtMessageBoxPresenter::Show(const MessageBoxRequest& request) {
    QMessageBox box(IconFor(request.flags), request.caption, request.text,
                    ButtonsFor(request.flags), request.owner);
    // Closing the box with Escape or its close button answers Cancel or No, as the system does.
    if (box.standardButtons() & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (box.standardButtons() & QMessageBox::No)
        box.setEscapeButton(QMessageBox::No);
    return ResultOf(box.exec());
}

}  // namespace app
