#include "app/MessageBoxes.h"

#include "resources/StringTable.h"

namespace app {

int MessageBoxes::ShowErrorMessage(int id) {
    return AskMessage(nullptr, id, kMbOk | kMbIconError);
}

int MessageBoxes::AskMessage(QWidget* owner, int id, unsigned flags) {
    const char* text = resources::LoadString(id);
    if (!text) return 0;
    return Show(owner, QString::fromUtf8(text), flags);
}

int MessageBoxes::AskMessageFormatted(QWidget* owner, int id, unsigned flags, int value) {
    if (!resources::LoadString(id)) return 0;
    return Show(owner, QString::fromStdString(resources::FormatString(id, value)), flags);
}

int MessageBoxes::ShowErrorText(QWidget* owner, const QString& text) {
    return Show(owner, text, kMbOk | kMbIconError);
}

int MessageBoxes::ShowWarningText(QWidget* owner, const QString& text) {
    return Show(owner, text, kMbOk | kMbIconWarning);
}

int MessageBoxes::Show(QWidget* owner, const QString& text, unsigned flags) {
    return presenter_.Show({owner, QString::fromUtf8(resources::kProductCaption), text, flags});
}

}  // namespace app
