#pragma once
// The surroundings of a conversion run in the desktop program: the main window's player
// and its renderer, the progress window, the window's interface lock, message boxes owned
// by the window, and the event loop pumped while a run goes on. The runs tick the player
// themselves, one tick per frame with no waiting; the engine's own mix is the sound the
// recording phase takes. A run's warning is a box, or, while a batch runs, a note in the
// batch log beside its task.

#include <functional>
#include <string>

#include "audio/EngineMixSource.h"
#include "convert/run/ConversionHost.h"

class QWidget;

namespace batch {
class BatchRun;
}
namespace convert {
class ProgressDialog;
}
namespace player {
class FrameRenderer;
class PlayerHost;
}  // namespace player

namespace app {

class DocumentLauncher;
class MessageBoxes;

class DesktopConversionHost : public convert::ConversionHost {
  public:
    // `lockInterface(false)` locks the window for a run, `(true)` unlocks it.
    DesktopConversionHost(QWidget* window, player::PlayerHost& view,
                          player::FrameRenderer& renderer, convert::ProgressDialog& progress,
                          MessageBoxes& messages, DocumentLauncher& launcher,
                          batch::BatchRun& batch, std::function<void(bool)> lockInterface);

    swf::Player& Control() override;
    // The engine advances one frame and the mix takes one frame interval of sound; the view
    // shows the frame at the next paint.
    void TickControl() override;
    convert::FrameCapture& Renderer() override;
    convert::ProgressDialog& Progress() override { return progress_; }
    audio::CaptureSource& SoundSource() override { return mix_; }
    void SetInterfaceEnabled(bool enabled) override { lockInterface_(enabled); }
    void ShowErrorMessage(int stringId) override;
    void ShowWarning(const std::string& text) override;
    bool AskYesNo(int stringId) override;
    void PumpMessages() override;
    void OpenDocument(const std::string& path) override;

    // The mix the recording volume acts on; its frame rate is the open movie's.
    audio::EngineMixSource& Mix() { return mix_; }

  private:
    QWidget* window_;
    player::PlayerHost& view_;
    player::FrameRenderer& renderer_;
    convert::ProgressDialog& progress_;
    MessageBoxes& messages_;
    DocumentLauncher& launcher_;
    batch::BatchRun& batch_;
    std::function<void(bool)> lockInterface_;
    audio::EngineMixSource mix_;
};

}  // namespace app
