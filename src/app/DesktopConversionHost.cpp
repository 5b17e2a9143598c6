#include "app/DesktopConversionHost.h"

#include <QCoreApplication>
#include <QString>

#include "app/DocumentLauncher.h"
#include "app/MessageBoxes.h"
#include "batch/BatchRun.h"
#include "player/FrameRenderer.h"
#include "player/PlayerHost.h"

namespace app {

DesktopConversionHost::DesktopConversionHost(QWidget* window, player::PlayerHost& view,
                                             player::FrameRenderer& renderer,
                                             convert::ProgressDialog& progress,
                                             MessageBoxes& messages, DocumentLauncher& launcher,
                                             batch::BatchRun& batch,
                                             std::function<void(bool)> lockInterface,
                                             std::function<void()> reloadMovie)
    : window_(window),
      view_(view),
      renderer_(renderer),
      progress_(progress),
      messages_(messages),
      launcher_(launcher),
      batch_(batch),
      lockInterface_(std::move(lockInterface)),
      reloadMovie_(std::move(reloadMovie)) {}

swf::Player& DesktopConversionHost::Control() {
    return view_.Control();
}

void DesktopConversionHost::TickControl() {
    Control().advanceFrame();
    view_.update();
}

convert::FrameCapture& DesktopConversionHost::Renderer() {
    return renderer_.Capture();
}

void DesktopConversionHost::ShowErrorMessage(int stringId) {
    messages_.ShowErrorMessage(stringId);
}

void DesktopConversionHost::ShowWarning(const std::string& text) {
    if (batch_.running()) {
        batch_.NoteWarning(text);
        return;
    }
    // The runs word it for a log line; a box says it as a sentence.
    QString sentence = QString::fromStdString(text);
    if (!sentence.isEmpty()) sentence[0] = sentence[0].toUpper();
    messages_.ShowWarningText(window_, sentence + '.');
}

bool DesktopConversionHost::AskYesNo(int stringId) {
    return messages_.AskMessage(window_, stringId, kMbYesNo | kMbIconQuestion) == kIdYes;
}

void DesktopConversionHost::PumpMessages() {
    QCoreApplication::processEvents();
}

bool DesktopConversionHost::InBatch() const {
    return batch_.running();
}

void DesktopConversionHost::OpenDocument(const std::string& path) {
    launcher_.OpenDocument(QString::fromStdString(path));
}

}  // namespace app
