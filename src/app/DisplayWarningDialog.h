#pragma once
// The start-up warning that the display shows fewer than 24 bits per pixel, with the choice
// to go on or to quit.

#include "app/DontShowAgainDialog.h"

namespace app {

class DisplayWarningDialog : public DontShowAgainDialog {
  public:
    // The results: the ids of the two buttons.
    static constexpr int kContinue = 349;
    static constexpr int kQuit = 350;
    // Displays with at least this many bits per pixel need no warning.
    static constexpr int kGoodDepth = 24;

    explicit DisplayWarningDialog(QWidget* parent = nullptr);
};

// The bits per pixel of the primary screen; 0 when there is none.
int PrimaryScreenDepth();
// Neither dismissed for good in `store` nor a display deep enough.
bool ShouldShowDisplayWarning(int screenDepth, const SettingsStore& store);
// The start-up check: shows the warning modally (owned by `owner`) when it should be shown,
// then stores the box's state. False when the user chose to quit.
bool RunDisplayDepthCheck(int screenDepth, const SettingsStore& store, QWidget* owner = nullptr);

}  // namespace app
