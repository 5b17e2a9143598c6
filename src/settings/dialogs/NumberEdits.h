#pragma once
// The number boxes of the settings dialogs: shown as unsigned numbers, read back as the
// settings' number text (anything that is not a number reads as 0).

#include <cstdint>

class QLineEdit;
class QWidget;

namespace settings {

enum class NumberEntry {
    DigitsOnly,  // nothing but digits can be typed
    AnyText,
};

QLineEdit* MakeNumberEdit(NumberEntry entry, const char* objectName, QWidget* parent);
void ShowUnsigned(QLineEdit* edit, int32_t value);
int32_t ReadSigned(const QLineEdit* edit);
int32_t ReadUnsigned(const QLineEdit* edit);

}  // namespace settings
