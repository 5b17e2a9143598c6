#pragma once
// The progress dialog of a run: a bar with its range and position, a status text and a
// total text, and the Finish and Cancel buttons. The buttons only set flags, after the user
// confirms; the run reads them between frames.

#include <string>

namespace convert {

enum class ProgressButton { Finish = 1, Cancel = 2 };

class ProgressDialog {
  public:
    virtual ~ProgressDialog() = default;

    // Shows the dialog with the flags clear and the bar at 0.
    void Open(const std::string& title);
    void Close();

    virtual void SetRange(int low, int high) = 0;
    virtual void SetPos(int position) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetTotalText(const std::string& text) = 0;
    virtual void EnableButton(ProgressButton button, bool enable) = 0;

    // The buttons: each asks its question (123, 124) and sets its flag unless the answer is
    // No. Finish is disabled once chosen.
    void OnCancel();
    void OnFinish();

    bool cancelled() const { return cancelled_; }
    bool finished() const { return finished_; }
    // A confirmation question is open.
    bool asking() const { return asking_; }

  protected:
    virtual void Show(const std::string& title) = 0;
    virtual void Hide() = 0;
    // A Yes/No question with the string table's text; true unless the answer is No.
    virtual bool Confirm(int stringId) = 0;

  private:
    bool cancelled_ = false;
    bool finished_ = false;
    bool asking_ = false;
};

}  // namespace convert
