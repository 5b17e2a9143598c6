#pragma once
// The surroundings of a conversion run in the desktop program: the main window's player
// and its renderer, the progress window, the window's interface lock, message boxes owned
// by the window, and the event loop pumped while a run goes on. The runs tick the player
// themselves, one tick per frame with no waiting, and take the movie's sound from the
// engine's mix at the recording volume. A run's warning is a box, or, while a batch runs, a
// note in the batch log beside its task.

#include <functional>
#include <string>

#include "audio/RecordingVolume.h"
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
    // `lockInterface(false)` locks the window for a run, `(true)` unlocks it; `reloadMovie`
    // gives the window's player its movie back after a run.
    DesktopConversionHost(QWidget* window, player::PlayerHost& view,
                          player::FrameRenderer& renderer, convert::ProgressDialog& progress,
                          MessageBoxes& messages, DocumentLauncher& launcher,
                          batch::BatchRun& batch, std::function<void(bool)> lockInterface,
                          std::function<void()> reloadMovie);

    swf::Player& Control() override;
    // The engine advances one frame; the view shows it at the next paint.
    void TickControl() override;
    convert::FrameCapture& Renderer() override;
    convert::ProgressDialog& Progress() override { return progress_; }
    void ReloadMovie(const convert::ParsedMovie&) override { reloadMovie_(); }
    double RecordingVolume() const override { return volume_.Gain(); }
    void SetInterfaceEnabled(bool enabled) override { lockInterface_(enabled); }
    void ShowErrorMessage(int stringId) override;
    void ShowWarning(const std::string& text) override;
    bool AskYesNo(int stringId) override;
    void PumpMessages() override;
    bool InBatch() const override;
    void OpenDocument(const std::string& path) override;

    // The recording volume, which the AVI settings dialog's track bar sets.
    audio::RecordingVolume& Volume() { return volume_; }

  private:
    QWidget* window_;
    player::PlayerHost& view_;
    player::FrameRenderer& renderer_;
    convert::ProgressDialog& progress_;
    MessageBoxes& messages_;
    DocumentLauncher& launcher_;
    batch::BatchRun& batch_;
    std::function<void(bool)> lockInterface_;
    std::function<void()> reloadMovie_;
    audio::RecordingVolume volume_;
};

}  // namespace app
