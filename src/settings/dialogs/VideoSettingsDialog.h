#pragma once
// "Video Export Setting": edits the settings of a video export (MP4, Matroska, WebM,
// QuickTime or GIF) in the manner of the AVI dialog. The container is the one the output
// file's name asks for; the codecs, quality (CRF), frame rate, colour depth, sound source,
// frames, size and sequence mode are the user's. The settings are copied in at the start and
// out only by an OK that CheckVideoExport passes (its refusal is shown and the dialog stays
// open); Cancel leaves them as they came.

#include <QDialog>
#include <string>

#include "settings/VideoExportSettings.h"
#include "settings/dialogs/DialogMessages.h"
#include "settings/dialogs/FrameGroups.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace settings {

class AudioSourceButtons;
class ColorDepthButtons;

class VideoSettingsDialog : public QDialog {
  public:
    // An output name whose extension names another container than `settings` has brings
    // that container with its default codecs; a GIF starts without sound.
    VideoSettingsDialog(const VideoExportSettings& settings, PixelSize movie,
                        const std::string& outputPath, QWidget* parent = nullptr);

    // The settings as committed by OK, else as given (with the output's container).
    const VideoExportSettings& Settings() const { return settings_; }
    void SetShowMessage(ShowMessage show) { showMessage_ = std::move(show); }

    void accept() override;

  private:
    QWidget* MakeVideoGroup(const std::string& outputPath);
    QWidget* MakeAudioGroup();
    void SelectAudioSource(AudioSource source);
    void ApplyEnabling();
    void ShowQualityRange();
    VideoCodec ChosenVideoCodec() const;
    AudioCodec ChosenAudioCodec() const;

    VideoExportSettings settings_;
    ShowMessage showMessage_ = ShowMessageBox;

    FrameGroups frames_;
    AudioSourceButtons* audioSource_ = nullptr;
    ColorDepthButtons* colorDepth_ = nullptr;
    QComboBox* videoCodec_ = nullptr;
    QLineEdit* quality_ = nullptr;
    QLabel* qualityRange_ = nullptr;
    QLineEdit* frameRate_ = nullptr;
    QComboBox* audioCodec_ = nullptr;
};

}  // namespace settings
