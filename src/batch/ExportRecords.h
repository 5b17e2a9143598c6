#pragma once
// The main window's current export settings: what the Create AVI and Create Image Sequence
// commands offer, the templates of a new batch task, and where a batch puts each task's
// settings before running it.

#include <cstdint>
#include <memory>

#include "audio/WaveFormat.h"
#include "convert/CompressorSettings.h"
#include "convert/MovieHeader.h"
#include "settings/AviExportSettings.h"
#include "settings/ImageSequenceSettings.h"
#include "settings/VideoExportSettings.h"

namespace batch {

struct ExportRecords {
    settings::AviExportSettings avi;
    audio::WaveFormat audioFormat = settings::DefaultAudioFormat();
    // Empty until the first Create AVI command makes one. While a batch runs an AVI task it
    // is that task's own record, shared.
    std::shared_ptr<convert::CompressorSettings> compressor;
    settings::ImageSequenceSettings image;
    settings::VideoExportSettings video;

    // Before the batch dialog opens: the records take the player area's size, and count it
    // as the original size when no movie is open (null) or the area shows the open movie
    // at its own size.
    void PrepareForBatch(int32_t areaWidth, int32_t areaHeight,
                         const convert::MovieHeader* openMovie);
};

}  // namespace batch
