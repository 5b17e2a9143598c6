#pragma once
// "Video Compression": the compressor of an AVI export, among those that take frames of the
// export's size and depth, with its key-frame rate, data rate and quality.

#include <QDialog>
#include <vector>

#include "convert/CompressorSettings.h"
#include "convert/VideoEncoder.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace settings {

// The compressors that take frames of this size and depth: uncompressed frames always, an
// encoder when it opens for them.
std::vector<convert::VideoCompressorInfo> CompressorsAccepting(
    const convert::VideoFrameFormat& input);

class CompressorDialog : public QDialog {
  public:
    CompressorDialog(const convert::VideoFrameFormat& input,
                     const convert::CompressorSettings& current, QWidget* parent = nullptr);

    // Puts the choice into `settings`: the compressor found for it, its key frames, data
    // rate and quality (0 or the encoder's own quality where a box is not checked).
    void ApplyTo(convert::CompressorSettings& settings) const;

  private:
    convert::FourCC SelectedHandler() const;
    void EnableOptions();

    std::vector<convert::VideoCompressorInfo> offered_;
    QComboBox* compressors_ = nullptr;
    QSpinBox* quality_ = nullptr;
    QCheckBox* keyFrames_ = nullptr;
    QSpinBox* keyFrameEvery_ = nullptr;
    QCheckBox* dataRate_ = nullptr;
    QSpinBox* dataRateKB_ = nullptr;
};

}  // namespace settings
