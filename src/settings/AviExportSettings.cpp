#include "settings/AviExportSettings.h"

#include <utility>

namespace settings {

AudioSource AviExportSettings::audioSource() const {
    if (!audioEnabled) return AudioSource::None;
    return wavePath.empty() ? AudioSource::RecordFromMovie : AudioSource::WaveFile;
}

void AviExportSettings::SetAudioSource(AudioSource source, std::string path) {
    audioEnabled = source == AudioSource::None ? 0 : 1;
    if (source == AudioSource::WaveFile) {
        wavePath = std::move(path);
    } else {
        wavePath.clear();
    }
}

audio::WaveFormat DefaultAudioFormat() {
    audio::WaveFormat format;
    format.formatTag = audio::kWaveFormatPcm;
    format.channels = 2;
    format.samplesPerSec = 44100;
    format.bitsPerSample = 16;
    return audio::NormalizePcm(format);
}

}  // namespace settings
