#pragma once
// How the settings dialogs show their string-table messages. The desktop program's message
// boxes are the default; tests put in their own to see and answer them.

#include <functional>
#include <string>

class QWidget;

namespace settings {

enum class MessageIcon { Information, Error };

struct DialogMessage {
    int stringId = 0;
    std::string text;  // the string's text, formatted where it takes values
    MessageIcon icon = MessageIcon::Error;
};

using ShowMessage = std::function<void(QWidget* owner, const DialogMessage& message)>;

// A message box owned by `owner` with the caption "Kinetrope Pro".
void ShowMessageBox(QWidget* owner, const DialogMessage& message);

}  // namespace settings
