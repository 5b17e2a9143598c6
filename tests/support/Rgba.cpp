#include "support/Rgba.h"

#include "support/BitWriter.h"

namespace swftest {

void Rgba::write(BitWriter& out, bool withAlpha) const {
    out.u8(r).u8(g).u8(b);
    if (withAlpha) out.u8(a);
}

}  // namespace swftest
