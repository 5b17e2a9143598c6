#pragma once
// The program's messages: each is a string-table entry shown in a box captioned
// "Kinetrope Pro" through the one presenter. An id the table lacks shows nothing and gives 0.

#include "app/MessageBoxPresenter.h"

namespace app {

class MessageBoxes {
  public:
    explicit MessageBoxes(MessageBoxPresenter& presenter) : presenter_(presenter) {}

    // The text of `id` with an error icon and OK, owned by no window.
    int ShowErrorMessage(int id);
    // The text of `id` with the given owner and flags.
    int AskMessage(QWidget* owner, int id, unsigned flags);
    // The text of `id` with its integer placeholder filled with `value`.
    int AskMessageFormatted(QWidget* owner, int id, unsigned flags, int value);
    // A text that is no table entry (what FFmpeg said), with an error icon and OK.
    int ShowErrorText(QWidget* owner, const QString& text);
    // A text that is no table entry, with a warning icon and OK.
    int ShowWarningText(QWidget* owner, const QString& text);

  private:
    int Show(QWidget* owner, const QString& text, unsigned flags);

    MessageBoxPresenter& presenter_;
};

}  // namespace app
