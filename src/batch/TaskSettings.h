#pragma once
// The settings every kind of batch task has, whichever record holds them: what the list's
// summary and the batch log show.

#include <cstdint>

#include "settings/ExportTask.h"
#include "settings/SequenceMode.h"

namespace batch {

struct CommonTaskSettings {
    settings::SequenceMode sequenceMode = settings::SequenceMode::Normal;
    int32_t startFrame = 0;
    int32_t endFrame = 0;
    int32_t colorDepth = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool keepAspectRatio = false;
};

// A task of neither kind (no such task is ever made) gives the defaults.
CommonTaskSettings CommonSettingsOf(const settings::ExportTask& task);

}  // namespace batch
