#pragma once
// "AVI Export Setting": edits the settings of an AVI export. The settings are copied in at
// the start and out only by an OK that passes the export's checks, in their order (the
// first failure is shown and the dialog stays open); Cancel leaves them as they came. The
// compressor and audio format are edited in place, so a choice made there stays even when
// the dialog is cancelled, and so is the recording volume on the mixer.

#include <QDialog>
#include <memory>

#include "audio/Mixer.h"
#include "audio/RecordVolumeMixer.h"
#include "audio/WaveFormat.h"
#include "convert/CompressorSettings.h"
#include "settings/AviExportSettings.h"
#include "settings/dialogs/DialogMessages.h"
#include "settings/dialogs/FrameGroups.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QCheckBox;

namespace settings {

class AudioSourceButtons;
class ColorDepthButtons;

enum class DialogOrigin {
    Command,  // the Create AVI command
    Batch,    // a batch task: nothing is played after creating
};

class AviSettingsDialog : public QDialog {
  public:
    // `openMixer` opens the mixer whose recording volume the track bar sets; without one,
    // or when it has no such volume, the track bar stays disabled.
    AviSettingsDialog(const AviExportSettings& settings, PixelSize movie,
                      convert::CompressorSettings& compressor, audio::WaveFormat& audioFormat,
                      DialogOrigin origin, const audio::MixerOpener& openMixer = {},
                      QWidget* parent = nullptr);
    ~AviSettingsDialog() override;

    // The settings as committed by OK, else as given.
    const AviExportSettings& Settings() const { return settings_; }
    void SetShowMessage(ShowMessage show) { showMessage_ = std::move(show); }

    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* MakeVideoGroup();
    QWidget* MakeAudioGroup();
    QWidget* MakeSplitRow();
    void OpenMixer(const audio::MixerOpener& openMixer);
    void SelectAudioSource(AudioSource source);
    void ApplyAudioEnabling();
    void ChooseCompressor();
    void ChooseAudioFormat();
    void ShowAudioFormat();
    void LimitSplitSizeBox();
    void Show(int stringId, MessageIcon icon, const std::string& text);

    AviExportSettings settings_;
    const DialogOrigin origin_;
    convert::CompressorSettings& compressor_;
    audio::WaveFormat& audioFormat_;
    std::unique_ptr<audio::RecordVolumeMixer> mixer_;  // null without a recording volume
    ShowMessage showMessage_ = ShowMessageBox;

    FrameGroups frames_;
    AudioSourceButtons* audioSource_ = nullptr;
    ColorDepthButtons* colorDepth_ = nullptr;
    QLabel* compressorName_ = nullptr;
    QLineEdit* frameRate_ = nullptr;
    QLabel* audioFormatText_ = nullptr;
    QPushButton* selectAudioFormat_ = nullptr;
    QSlider* volume_ = nullptr;
    QPushButton* advance_ = nullptr;
    QCheckBox* playAfterCreating_ = nullptr;
    QLineEdit* splitSize_ = nullptr;
};

}  // namespace settings
