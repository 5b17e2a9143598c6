#pragma once
// "Image Sequence Export Setting": edits the settings of a TGA or PNG sequence. The
// settings are copied in at the start and out only by an OK that passes the frame range
// check; Cancel leaves them as they came.

#include <QDialog>

#include "settings/ImageSequenceSettings.h"
#include "settings/dialogs/DialogMessages.h"
#include "settings/dialogs/OutputSizeBoxes.h"

namespace settings {

class ColorDepthButtons;
class DimensionGroup;
class FrameRangeGroup;
class SequenceModeGroup;

class ImageSequenceSettingsDialog : public QDialog {
  public:
    ImageSequenceSettingsDialog(const ImageSequenceSettings& settings, PixelSize movie,
                                QWidget* parent = nullptr);

    // The settings as committed by OK, else as given.
    const ImageSequenceSettings& Settings() const { return settings_; }
    void SetShowMessage(ShowMessage show) { showMessage_ = std::move(show); }

    void accept() override;

  private:
    ImageSequenceSettings settings_;
    ShowMessage showMessage_ = ShowMessageBox;
    SequenceModeGroup* sequence_ = nullptr;
    FrameRangeGroup* range_ = nullptr;
    DimensionGroup* dimension_ = nullptr;
    ColorDepthButtons* colorDepth_ = nullptr;
};

}  // namespace settings
