#include "settings/dialogs/SpacedText.h"
#include "settings/dialogs/VideoSettingsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "resources/StringTable.h"
#include "settings/dialogs/AudioSourceButtons.h"
#include "settings/dialogs/ColorDepthButtons.h"
#include "settings/dialogs/NumberEdits.h"
#include "settings/dialogs/OkCancelButtons.h"

namespace settings {
namespace {

template <class Table, class Value>
int RowOf(const Table& table, Value value) {
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].codec == value) return static_cast<int>(i);
    return 0;
}

// The settings as they come, in the container the output's name asks for. A GIF holds no
// sound, so it starts without; choosing some is then refused with the reason.
VideoExportSettings ForOutput(VideoExportSettings settings, const std::string& outputPath) {
    const std::optional<VideoContainer> container = ContainerForPath(outputPath);
    if (container && *container != settings.container) SetContainer(settings, *container);
    if (settings.container == VideoContainer::Gif) settings.SetAudioSource(AudioSource::None);
    return settings;
}

}  // namespace

VideoSettingsDialog::VideoSettingsDialog(const VideoExportSettings& settings, PixelSize movie,
                                         const std::string& outputPath, QWidget* parent)
    : QDialog(parent), settings_(ForOutput(settings, outputPath)) {
    setWindowTitle(QStringLiteral("Video Export Setting"));
    frames_ = FrameGroups::Make(settings_, movie, this);

    auto* grid = new QGridLayout(this);
    frames_.AddTo(grid);
    grid->addWidget(MakeVideoGroup(outputPath), 0, 1);
    grid->addWidget(MakeAudioGroup(), 1, 1, 2, 1);
    grid->addWidget(MakeOkCancelButtons(this), 3, 0, 1, 2);
    ApplyEnabling();
}

QWidget* VideoSettingsDialog::MakeVideoGroup(const std::string& outputPath) {
    auto* group = new QGroupBox(QStringLiteral("Video"), this);
    const VideoContainerInfo& container = InfoOf(settings_.container);
    auto* containerName = new QLabel(
        Spaced(std::string(container.label) + " (" +
               QFileInfo(QString::fromStdString(outputPath)).fileName().toStdString() + ")"),
        group);
    containerName->setObjectName("container");

    videoCodec_ = new QComboBox(group);
    videoCodec_->setObjectName("videoCodec");
    for (const VideoCodecInfo& info : kVideoCodecs)
        videoCodec_->addItem(QString::fromUtf8(info.name));
    videoCodec_->setCurrentIndex(RowOf(kVideoCodecs, settings_.videoCodec));
    connect(videoCodec_, &QComboBox::currentIndexChanged, this, [this] { ShowQualityRange(); });

    // Empty: the encoder's own default quality.
    quality_ = MakeNumberEdit(NumberEntry::DigitsOnly, "quality", group);
    if (settings_.crf >= 0) ShowUnsigned(quality_, settings_.crf);
    qualityRange_ = new QLabel(group);
    qualityRange_->setObjectName("qualityRange");

    frameRate_ = MakeNumberEdit(NumberEntry::DigitsOnly, "frameRate", group);
    ShowUnsigned(frameRate_, settings_.frameRate100);
    colorDepth_ = new ColorDepthButtons(settings_.colorDepth, group);

    auto* layout = new QGridLayout(group);
    layout->addWidget(new QLabel(QStringLiteral("Container :"), group), 0, 0);
    layout->addWidget(containerName, 0, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Codec :"), group), 1, 0);
    layout->addWidget(videoCodec_, 1, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Quality (CRF) :"), group), 2, 0);
    layout->addWidget(quality_, 2, 1);
    layout->addWidget(qualityRange_, 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("Frame rate :"), group), 3, 0);
    layout->addWidget(frameRate_, 3, 1);
    layout->addWidget(new QLabel(QStringLiteral("/ 100 "), group), 3, 2);
    layout->addWidget(new QLabel(QStringLiteral("Color depth :"), group), 4, 0);
    layout->addWidget(colorDepth_, 4, 1, 1, 2);
    ShowQualityRange();
    return group;
}

QWidget* VideoSettingsDialog::MakeAudioGroup() {
    auto* group = new QGroupBox(QStringLiteral("Audio"), this);
    audioSource_ =
        new AudioSourceButtons(settings_.audioSource(), settings_.wavePath, group,
                               [this](AudioSource source) { SelectAudioSource(source); });

    audioCodec_ = new QComboBox(group);
    audioCodec_->setObjectName("audioCodec");
    for (const AudioCodecInfo& info : kAudioCodecs)
        audioCodec_->addItem(QString::fromUtf8(info.name));
    audioCodec_->setCurrentIndex(RowOf(kAudioCodecs, settings_.audioCodec));

    auto* layout = new QGridLayout(group);
    layout->addWidget(audioSource_->Button(0), 0, 0, 1, 3);
    layout->addWidget(audioSource_->Button(1), 1, 0, 1, 3);
    layout->addWidget(audioSource_->Button(2), 2, 0, 1, 3);
    layout->addWidget(audioSource_->WavePathBox(), 3, 0, 1, 2);
    layout->addWidget(audioSource_->BrowseButton(), 3, 2);
    layout->addWidget(new QLabel(QStringLiteral("Audio codec :"), group), 4, 0);
    layout->addWidget(audioCodec_, 4, 1, 1, 2);
    return group;
}

void VideoSettingsDialog::SelectAudioSource(AudioSource source) {
    // The sound is recorded while the movie plays at its own rate: the box shows it again.
    if (source == AudioSource::RecordFromMovie) ShowUnsigned(frameRate_, settings_.frameRate100);
    ApplyEnabling();
}

void VideoSettingsDialog::ApplyEnabling() {
    audioCodec_->setEnabled(audioSource_->Source() != AudioSource::None);
    frameRate_->setEnabled(audioSource_->Source() != AudioSource::RecordFromMovie);
}

void VideoSettingsDialog::ShowQualityRange() {
    const int32_t maxCrf = InfoOf(ChosenVideoCodec()).maxCrf;
    // A codec without a quality scale takes its own; a number typed for another goes.
    if (maxCrf == 0) quality_->clear();
    quality_->setEnabled(maxCrf > 0);
    qualityRange_->setText(maxCrf > 0 ? QStringLiteral("0 - %1, empty: default").arg(maxCrf)
                                      : QStringLiteral("not used"));
}

VideoCodec VideoSettingsDialog::ChosenVideoCodec() const {
    const int row = videoCodec_->currentIndex();
    return row >= 0 ? kVideoCodecs[static_cast<size_t>(row)].codec : settings_.videoCodec;
}

AudioCodec VideoSettingsDialog::ChosenAudioCodec() const {
    const int row = audioCodec_->currentIndex();
    return row >= 0 ? kAudioCodecs[static_cast<size_t>(row)].codec : settings_.audioCodec;
}

void VideoSettingsDialog::accept() {
    VideoExportSettings committed = settings_;
    frames_.ReadInto(committed);
    committed.frameRate100 = ReadSigned(frameRate_);
    committed.colorDepth = colorDepth_->ColorDepth();
    committed.videoCodec = ChosenVideoCodec();
    committed.crf = quality_->text().isEmpty() ? -1 : ReadUnsigned(quality_);
    committed.audioCodec = ChosenAudioCodec();
    committed.SetAudioSource(audioSource_->Source(), audioSource_->WavePath());

    // The settings cannot name a WAV source without its file; say so as for a missing one.
    DialogMessage refused{0, {}, MessageIcon::Error};
    if (audioSource_->Source() == AudioSource::WaveFile && audioSource_->WavePath().empty())
        refused = {resources::kStrFileNotExists,
                   resources::LoadString(resources::kStrFileNotExists), MessageIcon::Error};
    else
        refused.text = CheckVideoExport(committed);
    if (!refused.text.empty()) {
        showMessage_(this, refused);
        return;
    }
    settings_ = committed;
    QDialog::accept();
}

}  // namespace settings
