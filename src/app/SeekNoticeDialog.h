#pragma once
// The notice shown when seek mode is turned on: the movie is silent in seek mode.

#include "app/DontShowAgainDialog.h"

namespace app {

class SeekNoticeDialog : public DontShowAgainDialog {
  public:
    // The result: OK's id.
    static constexpr int kOk = 1;

    explicit SeekNoticeDialog(QWidget* parent = nullptr);
};

// The notice step of the Seek Mode command: unless dismissed for good in `store`, shows the
// notice modally (owned by `owner`) and stores the box's state. Seek mode is turned on
// whatever the answer.
void RunSeekNotice(const SettingsStore& store, QWidget* owner = nullptr);

}  // namespace app
