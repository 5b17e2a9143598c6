#pragma once
// The one place where the program's message boxes are shown. The desktop program shows them
// with QtMessageBoxPresenter; tests put in a presenter that answers in the user's place.

#include <QString>

class QWidget;

namespace app {

// Buttons and icon of a box, combined with |, valued as the system's box flags.
enum MessageBoxFlags : unsigned {
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4,
    kMbIconError = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconWarning = 0x30,
    kMbIconInformation = 0x40,
};
inline constexpr unsigned kMbButtonsMask = 0xF;
inline constexpr unsigned kMbIconMask = 0xF0;

// The button that closed a box, valued as the system's results.
enum MessageBoxResult : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

struct MessageBoxRequest {
    QWidget* owner;
    QString caption;
    QString text;
    unsigned flags;
};

class MessageBoxPresenter {
  public:
    virtual ~MessageBoxPresenter() = default;
    // Shows the box until the user answers; the MessageBoxResult of the button pressed.
    virtual int Show(const MessageBoxRequest& request) = 0;
};

}  // namespace app
