#include "settings/OutputKind.h"

namespace settings {

const char* OutputKindLabel(OutputKind kind) {
    switch (kind) {
        case OutputKind::Avi:
            return "AVI";
        case OutputKind::Video:
            return "VIDEO";
        case OutputKind::Tga:
            return "TGA";
        case OutputKind::Png:
            return "PNG";
    }
    return "";
}

}  // namespace settings
