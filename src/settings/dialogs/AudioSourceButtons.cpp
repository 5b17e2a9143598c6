#include "settings/dialogs/AudioSourceButtons.h"
#include "settings/dialogs/SpacedText.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace settings {
namespace {

size_t IndexOf(AudioSource source) {
    for (size_t i = 0; i < kAudioSourceChoices.size(); ++i)
        if (kAudioSourceChoices[i].source == source) return i;
    return 0;
}

}  // namespace

AudioSourceButtons::AudioSourceButtons(AudioSource source, std::string wavePath, QWidget* group,
                                       std::function<void(AudioSource)> changed)
    : QObject(group),
      source_(source),
      wavePath_(std::move(wavePath)),
      changed_(std::move(changed)) {
    static constexpr const char* kButtonNames[] = {"audioNone", "audioRecord", "audioWaveFile"};
    static_assert(std::size(kButtonNames) == kAudioSourceChoices.size());
    auto* exclusive = new QButtonGroup(group);
    for (size_t i = 0; i < kAudioSourceChoices.size(); ++i) {
        const AudioSource choice = kAudioSourceChoices[i].source;
        buttons_[i] = new QRadioButton(QString::fromUtf8(kAudioSourceChoices[i].label), group);
        buttons_[i]->setObjectName(kButtonNames[i]);
        exclusive->addButton(buttons_[i]);
        connect(buttons_[i], &QRadioButton::clicked, this, [this, choice] { Select(choice); });
    }
    buttons_[IndexOf(source_)]->setChecked(true);

    pathBox_ = new QLineEdit(group);
    pathBox_->setObjectName("wavePath");
    // Only browsing changes the path.
    pathBox_->setReadOnly(true);
    if (source_ == AudioSource::WaveFile) pathBox_->setText(Spaced(wavePath_));
    browse_ = new QPushButton(QStringLiteral("Browse..."), group);
    browse_->setObjectName("browseWave");
    browse_->setAutoDefault(false);
    connect(browse_, &QPushButton::clicked, this, [this] { Browse(); });

    const bool waveFile = source_ == AudioSource::WaveFile;
    pathBox_->setEnabled(waveFile);
    browse_->setEnabled(waveFile);
}

void AudioSourceButtons::Select(AudioSource source) {
    if (source == source_) return;
    source_ = source;
    const bool waveFile = source_ == AudioSource::WaveFile;
    pathBox_->setEnabled(waveFile);
    browse_->setEnabled(waveFile);
    if (changed_) changed_(source_);
}

void AudioSourceButtons::Browse() {
    QFileDialog chooser(browse_->window(), QStringLiteral("Open WAV file"));
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setNameFilters({QStringLiteral("WAV file (*.wav)"), QStringLiteral("All files (*)")});
    chooser.setDefaultSuffix(QStringLiteral("wav"));
    if (!wavePath_.empty()) chooser.selectFile(QString::fromStdString(wavePath_));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    wavePath_ = chooser.selectedFiles().first().toStdString();
    pathBox_->setText(Spaced(wavePath_));
}

}  // namespace settings
