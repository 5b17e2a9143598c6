#pragma once
// A notice with the box "Do not show this message again.": titled with the product's name,
// the box cleared, centred on the screen inside its work area. Only its own buttons close
// it (Escape and the close box do nothing); the result is the id of the button. Whichever
// button closed it, the box's state is stored afterwards, so that a stored 1 keeps the
// notice from being shown again.

#include <QDialog>

#include "app/SettingsStore.h"

class QCheckBox;
class QHBoxLayout;
class QVBoxLayout;

namespace app {

class DontShowAgainDialog : public QDialog {
  public:
    // The setting `valueName` is stored and not 0: the user asked not to see it again.
    static bool IsDismissed(const SettingsStore& store, const char* valueName);

    bool DontShowAgain() const;
    // Shows the notice modally and stores `valueName` as 1 if the box was ticked, else 0;
    // the id of the button that closed it.
    int RunAndRecord(const SettingsStore& store, const char* valueName);

    void reject() override {}

  protected:
    explicit DontShowAgainDialog(QWidget* parent);

    // The notice's text, above the box.
    void AddText(QWidget* text);
    // A button that closes the notice with `id`; the first added is the default.
    void AddButton(const QString& text, int id, const char* objectName);

    void showEvent(QShowEvent* event) override;

  private:
    QVBoxLayout* texts_ = nullptr;
    QCheckBox* dontShowAgain_ = nullptr;
    QHBoxLayout* buttons_ = nullptr;
};

}  // namespace app
