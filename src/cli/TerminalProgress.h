#pragma once
// The progress dialog of a conversion on the command line: one line on a terminal, redrawn
// in place (done of total, rate, time left), and nothing at all when the output is not a
// terminal. It has no buttons; Ctrl+C is its Cancel, and it asks nothing back.

#include <chrono>
#include <cstdio>
#include <string>

#include "convert/run/ProgressDialog.h"

namespace cli {

class TerminalProgress : public convert::ProgressDialog {
  public:
    // Draws on `out` only when it is a terminal.
    explicit TerminalProgress(std::FILE* out);

    void SetRange(int low, int high) override;
    void SetPos(int position) override;
    void SetStatusText(const std::string& text) override { status_ = text; }
    // The line shows its own total.
    void SetTotalText(const std::string&) override {}
    // There are no buttons to enable.
    void EnableButton(convert::ProgressButton, bool) override {}

  protected:
    void Show(const std::string& title) override;
    void Hide() override;
    // Nobody is asked on the command line: Ctrl+C means it.
    bool Confirm(int) override { return true; }

  private:
    void Draw();

    std::FILE* out_;
    bool terminal_;
    bool shown_ = false;
    bool drawn_ = false;
    std::string title_;
    std::string status_;
    int low_ = 0;
    int high_ = 0;
    int position_ = 0;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastDrawn_;
};

}  // namespace cli
