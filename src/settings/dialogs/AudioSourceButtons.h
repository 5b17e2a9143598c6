#pragma once
// The sound source choice of the AVI and video dialogs: the three source buttons and the WAV
// file's path with its Browse button. The dialog lays them out in its own audio group; the
// path box and Browse are enabled only for the WAV file source.

#include <QObject>
#include <array>
#include <functional>
#include <string>

#include "settings/AviExportSettings.h"

class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace settings {

class AudioSourceButtons : public QObject {
  public:
    // `changed` runs after a click that picks another source.
    AudioSourceButtons(AudioSource source, std::string wavePath, QWidget* group,
                       std::function<void(AudioSource)> changed);

    AudioSource Source() const { return source_; }
    // As browsed, kept whatever the source; the settings drop it for another source.
    const std::string& WavePath() const { return wavePath_; }

    // In the order of kAudioSourceChoices.
    QRadioButton* Button(size_t index) const { return buttons_[index]; }
    QLineEdit* WavePathBox() const { return pathBox_; }
    QPushButton* BrowseButton() const { return browse_; }

  private:
    void Select(AudioSource source);
    void Browse();

    AudioSource source_;
    std::string wavePath_;
    std::function<void(AudioSource)> changed_;
    std::array<QRadioButton*, kAudioSourceChoices.size()> buttons_ = {};
    QLineEdit* pathBox_ = nullptr;
    QPushButton* browse_ = nullptr;
};

}  // namespace settings
