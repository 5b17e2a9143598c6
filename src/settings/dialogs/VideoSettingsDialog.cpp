#include "settings/dialogs/VideoSettingsDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "resources/StringTable.h"
#include "settings/dialogs/ColorDepthButtons.h"
#include "settings/dialogs/DimensionGroup.h"
#include "settings/dialogs/FrameRangeGroup.h"
#include "settings/dialogs/NumberEdits.h"
#include "settings/dialogs/OkCancelButtons.h"
#include "settings/dialogs/SequenceModeGroup.h"

namespace settings {
namespace {

QString Spaced(const std::string& text) {
    return QStringLiteral(" ") + QString::fromStdString(text);
}

size_t IndexOf(AudioSource source) {
    for (size_t i = 0; i < kAudioSourceChoices.size(); ++i)
        if (kAudioSourceChoices[i].source == source) return i;
    return 0;
}

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
    : QDialog(parent),
      settings_(ForOutput(settings, outputPath)),
      audioSource_(settings_.audioSource()) {
    setWindowTitle(QStringLiteral("Video Export Setting"));
    sequence_ = new SequenceModeGroup(settings_.sequenceMode, this);
    range_ = new FrameRangeGroup(NumberEntry::DigitsOnly, settings_.startFrame, settings_.endFrame,
                                 this);
    dimension_ =
        new DimensionGroup(NumberEntry::DigitsOnly, {settings_.width, settings_.height}, movie,
                           settings_.useOriginalSize != 0, settings_.keepAspectRatio != 0, this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(sequence_, 0, 0);
    grid->addWidget(range_, 1, 0);
    grid->addWidget(dimension_, 2, 0);
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
    static constexpr const char* kButtonNames[] = {"audioNone", "audioRecord", "audioWaveFile"};
    auto* group = new QGroupBox(QStringLiteral("Audio"), this);
    auto* buttons = new QButtonGroup(group);
    for (size_t i = 0; i < kAudioSourceChoices.size(); ++i) {
        const AudioSource source = kAudioSourceChoices[i].source;
        audioButtons_[i] = new QRadioButton(QString::fromUtf8(kAudioSourceChoices[i].label), group);
        audioButtons_[i]->setObjectName(kButtonNames[i]);
        buttons->addButton(audioButtons_[i]);
        connect(audioButtons_[i], &QRadioButton::clicked, this,
                [this, source] { SelectAudioSource(source); });
    }
    audioButtons_[IndexOf(audioSource_)]->setChecked(true);

    audioCodec_ = new QComboBox(group);
    audioCodec_->setObjectName("audioCodec");
    for (const AudioCodecInfo& info : kAudioCodecs)
        audioCodec_->addItem(QString::fromUtf8(info.name));
    audioCodec_->setCurrentIndex(RowOf(kAudioCodecs, settings_.audioCodec));

    wavePath_ = new QLineEdit(group);
    wavePath_->setObjectName("wavePath");
    wavePath_->setReadOnly(true);
    if (audioSource_ == AudioSource::WaveFile) wavePath_->setText(Spaced(settings_.wavePath));
    browse_ = new QPushButton(QStringLiteral("Browse..."), group);
    browse_->setObjectName("browseWave");
    browse_->setAutoDefault(false);
    connect(browse_, &QPushButton::clicked, this, [this] { BrowseWaveFile(); });

    auto* layout = new QGridLayout(group);
    layout->addWidget(audioButtons_[0], 0, 0, 1, 3);
    layout->addWidget(audioButtons_[1], 1, 0, 1, 3);
    layout->addWidget(audioButtons_[2], 2, 0, 1, 3);
    layout->addWidget(wavePath_, 3, 0, 1, 2);
    layout->addWidget(browse_, 3, 2);
    layout->addWidget(new QLabel(QStringLiteral("Audio codec :"), group), 4, 0);
    layout->addWidget(audioCodec_, 4, 1, 1, 2);
    return group;
}

void VideoSettingsDialog::SelectAudioSource(AudioSource source) {
    if (source == audioSource_) return;
    audioSource_ = source;
    // The sound is recorded while the movie plays at its own rate: the box shows it again.
    if (source == AudioSource::RecordFromMovie) ShowUnsigned(frameRate_, settings_.frameRate100);
    ApplyEnabling();
}

void VideoSettingsDialog::ApplyEnabling() {
    const bool waveFile = audioSource_ == AudioSource::WaveFile;
    wavePath_->setEnabled(waveFile);
    browse_->setEnabled(waveFile);
    audioCodec_->setEnabled(audioSource_ != AudioSource::None);
    frameRate_->setEnabled(audioSource_ != AudioSource::RecordFromMovie);
}

void VideoSettingsDialog::ShowQualityRange() {
    const int32_t maxCrf = InfoOf(ChosenVideoCodec()).maxCrf;
    // A codec without a quality scale takes its own; a number typed for another goes.
    if (maxCrf == 0) quality_->clear();
    quality_->setEnabled(maxCrf > 0);
    qualityRange_->setText(maxCrf > 0 ? QStringLiteral("0 - %1, empty: default").arg(maxCrf)
                                      : QStringLiteral("not used"));
}

void VideoSettingsDialog::BrowseWaveFile() {
    QFileDialog chooser(this, QStringLiteral("Open WAV file"));
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setNameFilters({QStringLiteral("WAV file (*.wav)"), QStringLiteral("All files (*)")});
    if (!settings_.wavePath.empty()) chooser.selectFile(QString::fromStdString(settings_.wavePath));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    settings_.wavePath = chooser.selectedFiles().first().toStdString();
    wavePath_->setText(Spaced(settings_.wavePath));
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
    committed.startFrame = range_->StartFrame();
    committed.endFrame = range_->EndFrame();
    committed.frameRate100 = ReadSigned(frameRate_);
    const PixelSize size = dimension_->Boxes().Size();
    committed.width = size.width;
    committed.height = size.height;
    committed.keepAspectRatio = dimension_->KeepAspectRatio() ? 1 : 0;
    committed.useOriginalSize = dimension_->Boxes().UseOriginalSize() ? 1 : 0;
    committed.sequenceMode = sequence_->Pending();
    committed.colorDepth = colorDepth_->ColorDepth();
    committed.videoCodec = ChosenVideoCodec();
    committed.crf = quality_->text().isEmpty() ? -1 : ReadUnsigned(quality_);
    committed.audioCodec = ChosenAudioCodec();
    committed.SetAudioSource(audioSource_, settings_.wavePath);

    // The settings cannot name a WAV source without its file; say so as for a missing one.
    DialogMessage refused{0, {}, MessageIcon::Error};
    if (audioSource_ == AudioSource::WaveFile && settings_.wavePath.empty())
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
