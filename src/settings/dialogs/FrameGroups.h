#pragma once
// The sequence mode, duration and size groups down the left of the AVI and video dialogs,
// made from an export's settings and read back into them; both settings name these fields
// alike.

#include <QGridLayout>

#include "settings/dialogs/DimensionGroup.h"
#include "settings/dialogs/FrameRangeGroup.h"
#include "settings/dialogs/SequenceModeGroup.h"

namespace settings {

struct FrameGroups {
    SequenceModeGroup* sequence = nullptr;
    FrameRangeGroup* range = nullptr;
    DimensionGroup* dimension = nullptr;

    template <class Settings>
    static FrameGroups Make(const Settings& settings, PixelSize movie, QWidget* parent) {
        return {new SequenceModeGroup(settings.sequenceMode, parent),
                new FrameRangeGroup(NumberEntry::DigitsOnly, settings.startFrame, settings.endFrame,
                                    parent),
                new DimensionGroup(NumberEntry::DigitsOnly, {settings.width, settings.height},
                                   movie, settings.useOriginalSize != 0,
                                   settings.keepAspectRatio != 0, parent)};
    }

    // Rows 0 to 2 of the first column.
    void AddTo(QGridLayout* grid) const {
        grid->addWidget(sequence, 0, 0);
        grid->addWidget(range, 1, 0);
        grid->addWidget(dimension, 2, 0);
    }

    template <class Settings>
    void ReadInto(Settings& committed) const {
        committed.sequenceMode = sequence->Pending();
        committed.startFrame = range->StartFrame();
        committed.endFrame = range->EndFrame();
        const PixelSize size = dimension->Boxes().Size();
        committed.width = size.width;
        committed.height = size.height;
        committed.keepAspectRatio = dimension->KeepAspectRatio() ? 1 : 0;
        committed.useOriginalSize = dimension->Boxes().UseOriginalSize() ? 1 : 0;
    }
};

}  // namespace settings
