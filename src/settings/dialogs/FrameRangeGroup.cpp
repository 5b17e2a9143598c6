#include "settings/dialogs/FrameRangeGroup.h"

#include <QFormLayout>
#include <QLineEdit>

namespace settings {

FrameRangeGroup::FrameRangeGroup(NumberEntry entry, int32_t startFrame, int32_t endFrame,
                                 QWidget* parent)
    : QGroupBox(QStringLiteral("Duration"), parent),
      start_(MakeNumberEdit(entry, "startFrame", this)),
      end_(MakeNumberEdit(entry, "endFrame", this)) {
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Start frame :"), start_);
    layout->addRow(QStringLiteral("End frame :"), end_);
    ShowUnsigned(start_, startFrame);
    ShowUnsigned(end_, endFrame);
}

int32_t FrameRangeGroup::StartFrame() const {
    return ReadSigned(start_);
}

int32_t FrameRangeGroup::EndFrame() const {
    return ReadSigned(end_);
}

}  // namespace settings
