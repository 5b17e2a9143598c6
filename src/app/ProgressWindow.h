#pragma once
// The progress window of a conversion run: a modeless dialog with the bar, the status and
// total texts, and the Finish and Cancel buttons, whose questions go through the program's
// message boxes. It opens where it was last closed: its top-left corner is kept in the
// settings store's progress position, which the program saves at exit.

#include <QDialog>
#include <string>

#include "convert/run/ProgressDialog.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace app {

class MessageBoxes;
class SettingsStore;

class ProgressWindow : public QDialog, public convert::ProgressDialog {
  public:
    ProgressWindow(MessageBoxes& messages, SettingsStore& store, QWidget* parent = nullptr);

    // The run's flag, not the dialog's signal of the same name.
    using convert::ProgressDialog::finished;

    void SetRange(int low, int high) override;
    // Positions outside the range show as its nearer end.
    void SetPos(int position) override;
    void SetStatusText(const std::string& text) override;
    void SetTotalText(const std::string& text) override;
    void EnableButton(convert::ProgressButton button, bool enable) override;

    // Escape and the close box are the Cancel button.
    void reject() override;

  protected:
    // Opens at the kept position with both buttons enabled.
    void Show(const std::string& title) override;
    // Keeps the position it closes at.
    void Hide() override;
    bool Confirm(int stringId) override;

  private:
    MessageBoxes& messages_;
    SettingsStore& store_;
    QProgressBar* bar_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* total_ = nullptr;
    QPushButton* finish_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace app
