#include "settings/dialogs/AviSettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "audio/FormatDescription.h"
#include "convert/VideoEncoder.h"
#include "resources/StringTable.h"
#include "settings/ExportChecks.h"
#include "settings/dialogs/AudioFormatDialog.h"
#include "settings/dialogs/AudioSourceButtons.h"
#include "settings/dialogs/ColorDepthButtons.h"
#include "settings/dialogs/CompressorDialog.h"
#include "settings/dialogs/DesktopMixer.h"
#include "settings/dialogs/OkCancelButtons.h"
#include "settings/dialogs/SpacedText.h"

namespace settings {
namespace {

QPushButton* MakeButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

AviSettingsDialog::AviSettingsDialog(const AviExportSettings& settings, PixelSize movie,
                                     convert::CompressorSettings& compressor,
                                     audio::WaveFormat& audioFormat, DialogOrigin origin,
                                     const audio::MixerOpener& openMixer, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      origin_(origin),
      compressor_(compressor),
      audioFormat_(audioFormat) {
    setWindowTitle(QStringLiteral("AVI Export Setting"));
    frames_ = FrameGroups::Make(settings, movie, this);
    QWidget* video = MakeVideoGroup();
    QWidget* audio = MakeAudioGroup();

    playAfterCreating_ = new QCheckBox(QStringLiteral("Play after creating"), this);
    playAfterCreating_->setObjectName("playAfterCreating");
    if (origin_ == DialogOrigin::Batch) {
        settings_.playAfterCreating = 0;
        playAfterCreating_->hide();
    } else {
        playAfterCreating_->setChecked(settings.playAfterCreating != 0);
    }

    auto* grid = new QGridLayout(this);
    frames_.AddTo(grid);
    grid->addWidget(video, 0, 1);
    grid->addWidget(audio, 1, 1, 2, 1);
    grid->addWidget(playAfterCreating_, 3, 0);
    grid->addWidget(MakeSplitRow(), 3, 1);
    grid->addWidget(MakeOkCancelButtons(this), 4, 0, 1, 2);

    OpenMixer(openMixer);
    ApplyAudioEnabling();
}

AviSettingsDialog::~AviSettingsDialog() = default;

QWidget* AviSettingsDialog::MakeVideoGroup() {
    auto* group = new QGroupBox(QStringLiteral("Video"), this);
    compressorName_ = new QLabel(group);
    compressorName_->setObjectName("compressorName");
    // A record that names no compressor shows none, and OK then asks for one.
    if (compressor_.fccHandler != 0)
        compressorName_->setText(Spaced(convert::VideoCompressorName(compressor_)));
    QPushButton* select = MakeButton("Select...", "selectCompressor", group);
    connect(select, &QPushButton::clicked, this, [this] { ChooseCompressor(); });

    frameRate_ = MakeNumberEdit(NumberEntry::DigitsOnly, "frameRate", group);
    ShowUnsigned(frameRate_, settings_.frameRate100);
    colorDepth_ = new ColorDepthButtons(settings_.colorDepth, group);

    auto* layout = new QGridLayout(group);
    layout->addWidget(new QLabel(QStringLiteral("Compressor :"), group), 0, 0);
    layout->addWidget(compressorName_, 0, 1);
    layout->addWidget(select, 0, 2);
    layout->addWidget(new QLabel(QStringLiteral("Frame rate :"), group), 1, 0);
    layout->addWidget(frameRate_, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("/ 100 "), group), 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Color depth :"), group), 2, 0);
    layout->addWidget(colorDepth_, 2, 1, 1, 2);
    return group;
}

QWidget* AviSettingsDialog::MakeAudioGroup() {
    auto* group = new QGroupBox(QStringLiteral("Audio"), this);
    audioSource_ =
        new AudioSourceButtons(settings_.audioSource(), settings_.wavePath, group,
                               [this](AudioSource source) { SelectAudioSource(source); });

    audioFormatText_ = new QLabel(group);
    audioFormatText_->setObjectName("audioFormat");
    ShowAudioFormat();
    selectAudioFormat_ = MakeButton("Select...", "selectAudioFormat", group);
    connect(selectAudioFormat_, &QPushButton::clicked, this, [this] { ChooseAudioFormat(); });

    volume_ = new QSlider(Qt::Horizontal, group);
    volume_->setObjectName("recordingVolume");
    volume_->setEnabled(false);
    advance_ = MakeButton("Advance...", "advance", group);
    connect(advance_, &QPushButton::clicked, this, [] { StartDesktopMixer(); });

    auto* separator = new QFrame(group);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    auto* layout = new QGridLayout(group);
    layout->addWidget(audioSource_->Button(0), 0, 0, 1, 3);
    layout->addWidget(audioSource_->Button(1), 1, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("Format :"), group), 2, 0);
    layout->addWidget(audioFormatText_, 2, 1);
    layout->addWidget(selectAudioFormat_, 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("Recording volume :"), group), 3, 0);
    layout->addWidget(volume_, 3, 1);
    layout->addWidget(advance_, 3, 2);
    layout->addWidget(separator, 4, 0, 1, 3);
    layout->addWidget(audioSource_->Button(2), 5, 0, 1, 3);
    layout->addWidget(audioSource_->WavePathBox(), 6, 0, 1, 2);
    layout->addWidget(audioSource_->BrowseButton(), 6, 2);
    return group;
}

QWidget* AviSettingsDialog::MakeSplitRow() {
    auto* row = new QWidget(this);
    splitSize_ = MakeNumberEdit(NumberEntry::DigitsOnly, "splitSize", row);
    ShowUnsigned(splitSize_, settings_.splitSizeMB);
    splitSize_->installEventFilter(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Split file when exceeding"), row));
    layout->addWidget(splitSize_);
    layout->addWidget(new QLabel(QStringLiteral("MB"), row));
    return row;
}

void AviSettingsDialog::OpenMixer(const audio::MixerOpener& openMixer) {
    if (!openMixer) return;
    // Changes may be reported on any thread; the track bar follows them on this one.
    auto changed = [this](const audio::Mixer& mixer, uint32_t controlId) {
        const audio::Mixer* device = &mixer;
        QMetaObject::invokeMethod(
            this,
            [this, device, controlId] {
                if (!mixer_ || volume_->isSliderDown()) return;
                if (const auto position = mixer_->ControlChanged(*device, controlId)) {
                    const QSignalBlocker quiet(volume_);
                    volume_->setValue(static_cast<int>(*position));
                }
            },
            Qt::QueuedConnection);
    };
    mixer_ = std::make_unique<audio::RecordVolumeMixer>();
    if (!mixer_->Open(openMixer(changed), audio::kMixerSourceWaveOut, audio::kMixerControlVolume)) {
        mixer_.reset();
        return;
    }
    volume_->setRange(0, static_cast<int>(mixer_->Steps()));
    volume_->setPageStep(std::max(1, volume_->maximum() / 10));
    volume_->setValue(static_cast<int>(mixer_->Position()));
    connect(volume_, &QSlider::valueChanged, this, [this](int position) {
        if (mixer_) mixer_->SetPosition(static_cast<uint32_t>(position));
    });
}

void AviSettingsDialog::SelectAudioSource(AudioSource source) {
    // Recording runs at the movie's own rate: the box shows it again.
    if (source == AudioSource::RecordFromMovie) ShowUnsigned(frameRate_, settings_.frameRate100);
    ApplyAudioEnabling();
}

void AviSettingsDialog::ApplyAudioEnabling() {
    const bool record = audioSource_->Source() == AudioSource::RecordFromMovie;
    audioFormatText_->setEnabled(record);
    selectAudioFormat_->setEnabled(record);
    advance_->setEnabled(record && DesktopMixerInstalled());
    volume_->setEnabled(record && mixer_ != nullptr);
    frameRate_->setEnabled(!record);
}

void AviSettingsDialog::ChooseCompressor() {
    const PixelSize size = frames_.dimension->Boxes().Size();
    const convert::VideoFrameFormat input{size.width, size.height, colorDepth_->ColorDepth(), 0};
    CompressorDialog chooser(input, compressor_, this);
    if (chooser.exec() != QDialog::Accepted) return;
    chooser.ApplyTo(compressor_);
    compressorName_->setText(Spaced(convert::VideoCompressorName(compressor_)));
}

void AviSettingsDialog::ShowAudioFormat() {
    const audio::AudioFormatDescription description = audio::DescribeAudioFormat(audioFormat_);
    audioFormatText_->setText(Spaced(description.tagName + ": " + description.formatName));
}

void AviSettingsDialog::ChooseAudioFormat() {
    AudioFormatDialog chooser(audioFormat_, audio::RecordingFormats(), this);
    if (chooser.exec() != QDialog::Accepted) return;
    const std::optional<audio::WaveFormat> chosen = chooser.Chosen();
    if (!chosen) return;
    audioFormat_ = *chosen;
    ShowAudioFormat();
}

bool AviSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == splitSize_ && event->type() == QEvent::FocusOut) LimitSplitSizeBox();
    return QDialog::eventFilter(watched, event);
}

void AviSettingsDialog::LimitSplitSizeBox() {
    const SplitSizeLimit limit = LimitSplitSize(ReadUnsigned(splitSize_));
    if (limit.messageId == 0) return;
    Show(limit.messageId, MessageIcon::Information,
         resources::FormatString(limit.messageId, limit.splitSizeMB));
    ShowUnsigned(splitSize_, limit.splitSizeMB);
    // Once the focus has gone where it was going: the box would drop a selection made now.
    QMetaObject::invokeMethod(
        splitSize_,
        [box = splitSize_] {
            box->setFocus();
            box->selectAll();
        },
        Qt::QueuedConnection);
}

void AviSettingsDialog::Show(int stringId, MessageIcon icon, const std::string& text) {
    showMessage_(this, {stringId, text, icon});
}

void AviSettingsDialog::accept() {
    AviExportSettings committed = settings_;
    committed.audioEnabled = audioSource_->Source() == AudioSource::None ? 0 : 1;
    committed.wavePath = audioSource_->WavePath();
    frames_.ReadInto(committed);
    committed.frameRate100 = ReadSigned(frameRate_);
    committed.splitSizeMB = ReadUnsigned(splitSize_);
    committed.colorDepth = colorDepth_->ColorDepth();
    committed.playAfterCreating =
        origin_ == DialogOrigin::Command && playAfterCreating_->isChecked() ? 1 : 0;

    const std::string compressorName = compressorName_->text().toStdString();
    if (const int failed = CheckAviExport(committed, compressorName,
                                          audioSource_->Source() == AudioSource::WaveFile)) {
        // A refused rate has been read all the same: "Record from current SWF file" puts it
        // back, as it puts back whatever rate the dialog holds.
        if (failed == resources::kStrInvalidFrameRate)
            settings_.frameRate100 = committed.frameRate100;
        Show(failed, MessageIcon::Error, resources::LoadString(failed));
        return;
    }
    settings_ = committed;
    QDialog::accept();
}

}  // namespace settings
