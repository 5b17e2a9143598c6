#include "settings/dialogs/ImageSequenceSettingsDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "resources/StringTable.h"
#include "settings/ExportChecks.h"
#include "settings/dialogs/ColorDepthButtons.h"
#include "settings/dialogs/DimensionGroup.h"
#include "settings/dialogs/FrameRangeGroup.h"
#include "settings/dialogs/OkCancelButtons.h"
#include "settings/dialogs/SequenceModeGroup.h"

namespace settings {

ImageSequenceSettingsDialog::ImageSequenceSettingsDialog(const ImageSequenceSettings& settings,
                                                         PixelSize movie, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setWindowTitle(QStringLiteral("Image Sequence Export Setting"));
    // These boxes take any text; what is not a number reads as 0.
    sequence_ = new SequenceModeGroup(settings.sequenceMode, this);
    range_ =
        new FrameRangeGroup(NumberEntry::AnyText, settings.startFrame, settings.endFrame, this);
    dimension_ =
        new DimensionGroup(NumberEntry::AnyText, {settings.width, settings.height}, movie,
                           settings.useOriginalSize != 0, settings.keepAspectRatio != 0, this);
    auto* depthGroup = new QGroupBox(QStringLiteral("Color Depth"), this);
    colorDepth_ = new ColorDepthButtons(settings.colorDepth, depthGroup);
    (new QVBoxLayout(depthGroup))->addWidget(colorDepth_);

    auto* grid = new QGridLayout(this);
    grid->addWidget(sequence_, 0, 0);
    grid->addWidget(range_, 0, 1);
    grid->addWidget(dimension_, 1, 0);
    grid->addWidget(depthGroup, 1, 1);
    grid->addWidget(MakeOkCancelButtons(this), 2, 0, 1, 2);
}

void ImageSequenceSettingsDialog::accept() {
    ImageSequenceSettings committed = settings_;
    committed.startFrame = range_->StartFrame();
    committed.endFrame = range_->EndFrame();
    if (const int failed = CheckImageSequenceExport(committed)) {
        showMessage_(this, {failed, resources::LoadString(failed), MessageIcon::Error});
        return;
    }
    const PixelSize size = dimension_->Boxes().Size();
    committed.width = size.width;
    committed.height = size.height;
    committed.sequenceMode = sequence_->Pending();
    committed.keepAspectRatio = dimension_->KeepAspectRatio() ? 1 : 0;
    committed.colorDepth = colorDepth_->ColorDepth();
    committed.useOriginalSize = dimension_->Boxes().UseOriginalSize() ? 1 : 0;
    settings_ = committed;
    QDialog::accept();
}

}  // namespace settings
