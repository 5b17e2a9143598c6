#include "swf/render/SurfaceFilter.h"

#include <cstring>

namespace swf {
namespace {

// Little-endian reads that stop (ok = false) at the end of the list.
class Reader {
  public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    uint8_t u8() {
        if (pos_ >= bytes_.size()) {
            ok_ = false;
            return 0;
        }
        return bytes_[pos_++];
    }
    uint32_t u32() {
        uint32_t v = u8();
        v |= static_cast<uint32_t>(u8()) << 8;
        v |= static_cast<uint32_t>(u8()) << 16;
        v |= static_cast<uint32_t>(u8()) << 24;
        return v;
    }
    double fixed() { return static_cast<int32_t>(u32()) / 65536.0; }
    double fixed8() {
        uint16_t v = u8();
        v |= static_cast<uint16_t>(u8() << 8);
        return static_cast<int16_t>(v) / 256.0;
    }
    double float32() {
        uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    // RGBA: the colour as RGB and the alpha as a fraction.
    void rgba(uint32_t& rgb, double& alpha) {
        uint32_t r = u8(), g = u8(), b = u8();
        rgb = r << 16 | g << 8 | b;
        alpha = u8() / 255.0;
    }

  private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

SurfaceFilter::Type typeOf(uint8_t flags) {
    if (flags & 0x80) return SurfaceFilter::Type::Inner;
    return flags & 0x10 ? SurfaceFilter::Type::Full : SurfaceFilter::Type::Outer;
}

}  // namespace

std::vector<SurfaceFilter> parseFilterList(const std::vector<uint8_t>& bytes) {
    std::vector<SurfaceFilter> list;
    Reader in(bytes);
    int count = in.u8();
    for (int i = 0; i < count && in.ok(); ++i) {
        SurfaceFilter f;
        uint8_t id = in.u8();
        switch (id) {
            case 0:  // drop shadow
            case 2:  // glow
                f.kind = id == 0 ? SurfaceFilter::Kind::DropShadow : SurfaceFilter::Kind::Glow;
                in.rgba(f.color, f.alpha);
                f.blurX = in.fixed();
                f.blurY = in.fixed();
                if (id == 0) {
                    f.angle = in.fixed();
                    f.distance = in.fixed();
                }
                f.strength = in.fixed8();
                {
                    uint8_t flags = in.u8();
                    f.inner = flags & 0x80;
                    f.knockout = flags & 0x40;
                    f.hideObject = !(flags & 0x20);
                    f.quality = flags & 0x1F;
                }
                break;
            case 1: {
                f.kind = SurfaceFilter::Kind::Blur;
                f.blurX = in.fixed();
                f.blurY = in.fixed();
                f.quality = in.u8() >> 3;
                break;
            }
            case 3: {
                f.kind = SurfaceFilter::Kind::Bevel;
                in.rgba(f.highlightColor, f.highlightAlpha);
                in.rgba(f.color, f.alpha);
                f.blurX = in.fixed();
                f.blurY = in.fixed();
                f.angle = in.fixed();
                f.distance = in.fixed();
                f.strength = in.fixed8();
                uint8_t flags = in.u8();
                f.type = typeOf(flags);
                f.knockout = flags & 0x40;
                f.quality = flags & 0x0F;
                break;
            }
            case 4:
            case 7: {
                f.kind = id == 4 ? SurfaceFilter::Kind::GradientGlow
                                 : SurfaceFilter::Kind::GradientBevel;
                size_t n = in.u8();
                for (size_t k = 0; k < n && in.ok(); ++k) {
                    uint32_t rgb;
                    double a;
                    in.rgba(rgb, a);
                    if (k < SurfaceFilter::kMaxGradientColors) {
                        f.colors.push_back(rgb);
                        f.alphas.push_back(a);
                    }
                }
                for (size_t k = 0; k < n && in.ok(); ++k) {
                    int ratio = in.u8();
                    if (k < SurfaceFilter::kMaxGradientColors) f.ratios.push_back(ratio);
                }
                f.blurX = in.fixed();
                f.blurY = in.fixed();
                f.angle = in.fixed();
                f.distance = in.fixed();
                f.strength = in.fixed8();
                uint8_t flags = in.u8();
                f.type = typeOf(flags);
                f.knockout = flags & 0x40;
                f.quality = flags & 0x0F;
                break;
            }
            case 5: {
                f.kind = SurfaceFilter::Kind::Convolution;
                f.matrixX = in.u8();
                f.matrixY = in.u8();
                f.divisor = in.float32();
                f.bias = in.float32();
                int n = f.matrixX * f.matrixY;
                for (int k = 0; k < n && in.ok(); ++k) f.matrix.push_back(in.float32());
                in.rgba(f.color, f.alpha);
                uint8_t flags = in.u8();
                f.clamp = flags & 0x02;
                f.preserveAlpha = flags & 0x01;
                break;
            }
            case 6:
                f.kind = SurfaceFilter::Kind::ColorMatrix;
                for (int k = 0; k < 20 && in.ok(); ++k) f.matrix.push_back(in.float32());
                break;
            default:
                return list;  // an unknown filter: its length is unknown, so the rest too
        }
        if (!in.ok()) break;
        list.push_back(std::move(f));
    }
    return list;
}

}  // namespace swf
