#include "swf/player/EngineVersion.h"

#include <cstdlib>

namespace swf {

Version EngineVersion() {
    // The project version ("1.0.0"), with parts it leaves out read as 0.
    uint16_t parts[4] = {0, 0, 0, 0};
    const char* text = KINETROPE_VERSION_STRING;
    for (int i = 0; i < 4 && *text; ++i) {
        char* end = nullptr;
        parts[i] = static_cast<uint16_t>(std::strtoul(text, &end, 10));
        if (end == text || *end != '.') break;
        text = end + 1;
    }
    return {parts[0], parts[1], parts[2], parts[3]};
}

}  // namespace swf
