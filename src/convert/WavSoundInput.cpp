#include "convert/WavSoundInput.h"

#include "resources/ResultCode.h"

namespace convert {

int32_t WavSoundInput::Open(const std::string& path) {
    const int32_t result = file_.Open(path, audio::WavFile::ReadMode);
    if (Failed(result)) return result;
    if (!file_.Format()) {
        file_.Close();
        return kResultFail;
    }
    return kResultOk;
}

int32_t WavSoundInput::Read(uint8_t* data, uint32_t wanted, uint32_t& read) {
    read = 0;
    return file_.Read(data, wanted, &read);
}

}  // namespace convert
