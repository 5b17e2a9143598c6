#include "settings/dialogs/CompressorDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <algorithm>
#include <climits>

#include "resources/ResultCode.h"
#include "settings/dialogs/OkCancelButtons.h"

namespace settings {
namespace {

// Whether an encoder takes the frames does not depend on their rate; any valid one serves.
constexpr int32_t kProbeFrameRate100 = 2500;
constexpr int32_t kDefaultKeyFrameEvery = 15;
constexpr int32_t kDefaultDataRateKB = 300;

QSpinBox* MakeSpinBox(const char* name, int minimum, int maximum, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    return box;
}

}  // namespace

std::vector<convert::VideoCompressorInfo> CompressorsAccepting(
    const convert::VideoFrameFormat& input) {
    convert::VideoFrameFormat probe = input;
    probe.frameRate100 = kProbeFrameRate100;
    std::vector<convert::VideoCompressorInfo> accepting;
    for (const convert::VideoCompressorInfo& compressor : convert::AvailableVideoCompressors()) {
        if (compressor.fourcc != convert::kFourCCDib) {
            convert::CompressionOptions options;
            options.handler = compressor.fourcc;
            convert::VideoEncoder encoder;
            if (Failed(encoder.Open(probe, options))) continue;
        }
        accepting.push_back(compressor);
    }
    return accepting;
}

CompressorDialog::CompressorDialog(const convert::VideoFrameFormat& input,
                                   const convert::CompressorSettings& current, QWidget* parent)
    : QDialog(parent),
      offered_(CompressorsAccepting(input)),
      compressors_(new QComboBox(this)),
      quality_(MakeSpinBox("quality", -1, 100, this)),
      keyFrames_(new QCheckBox(QStringLiteral("Key Frame Every"), this)),
      keyFrameEvery_(MakeSpinBox("keyFrameEvery", 1, 99999, this)),
      dataRate_(new QCheckBox(QStringLiteral("Data Rate"), this)),
      dataRateKB_(MakeSpinBox("dataRateKB", 1, INT_MAX / 1024, this)) {
    setWindowTitle(QStringLiteral("Video Compression"));
    compressors_->setObjectName("compressor");
    keyFrames_->setObjectName("keyFrames");
    dataRate_->setObjectName("dataRate");
    quality_->setSpecialValueText(QStringLiteral("Default"));

    for (const convert::VideoCompressorInfo& compressor : offered_)
        compressors_->addItem(QString::fromStdString(compressor.name));
    const auto found =
        std::ranges::find(offered_, current.fccHandler, &convert::VideoCompressorInfo::fourcc);
    if (found != offered_.end()) compressors_->setCurrentIndex(int(found - offered_.begin()));

    // Quality runs from 0 to 10000 in the settings, shown in hundredths.
    quality_->setValue(current.lQ < 0 ? -1 : std::min(current.lQ / 100, 100));
    keyFrames_->setChecked(current.lKey > 0);
    keyFrameEvery_->setValue(current.lKey > 0 ? current.lKey : kDefaultKeyFrameEvery);
    dataRate_->setChecked(current.lDataRate > 0);
    dataRateKB_->setValue(current.lDataRate > 0 ? current.lDataRate : kDefaultDataRateKB);

    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(keyFrames_);
    keyRow->addWidget(keyFrameEvery_);
    keyRow->addWidget(new QLabel(QStringLiteral("frames"), this));
    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(dataRate_);
    rateRow->addWidget(dataRateKB_);
    rateRow->addWidget(new QLabel(QStringLiteral("KB/sec"), this));
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Compressor:"), compressors_);
    layout->addRow(QStringLiteral("Compression Quality:"), quality_);
    layout->addRow(keyRow);
    layout->addRow(rateRow);
    layout->addRow(MakeOkCancelButtons(this));

    EnableOptions();
    connect(compressors_, &QComboBox::currentIndexChanged, this, [this] { EnableOptions(); });
    connect(keyFrames_, &QCheckBox::toggled, this, [this] { EnableOptions(); });
    connect(dataRate_, &QCheckBox::toggled, this, [this] { EnableOptions(); });
}

convert::FourCC CompressorDialog::SelectedHandler() const {
    const int index = compressors_->currentIndex();
    return index < 0 ? convert::kFourCCDib : offered_[static_cast<size_t>(index)].fourcc;
}

void CompressorDialog::EnableOptions() {
    // Uncompressed frames have no key frames, rate or quality to set.
    const bool encoder = SelectedHandler() != convert::kFourCCDib;
    quality_->setEnabled(encoder);
    keyFrames_->setEnabled(encoder);
    keyFrameEvery_->setEnabled(encoder && keyFrames_->isChecked());
    dataRate_->setEnabled(encoder);
    dataRateKB_->setEnabled(encoder && dataRate_->isChecked());
}

void CompressorDialog::ApplyTo(convert::CompressorSettings& settings) const {
    const convert::FourCC handler = SelectedHandler();
    if (handler != settings.fccHandler) {
        // The output format and state were the previous encoder's.
        settings.lpbiOut.clear();
        settings.lpState.clear();
    }
    settings.dwFlags |= convert::kCompressorSettingsValid;
    settings.fccType = convert::kFourCCVideoCompressor;
    settings.fccHandler = handler;
    settings.hic = convert::OpenVideoCompressor(handler);
    settings.lKey = keyFrames_->isChecked() ? keyFrameEvery_->value() : 0;
    settings.lDataRate = dataRate_->isChecked() ? dataRateKB_->value() : 0;
    settings.lQ = quality_->value() < 0 ? convert::kDefaultQuality : quality_->value() * 100;
}

}  // namespace settings
