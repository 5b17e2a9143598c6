#include "support/Matrix.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "support/BitWriter.h"

namespace swftest {

namespace {

void writePair(BitWriter& out, int32_t first, int32_t second) {
    const int bits = std::max(BitWriter::signedBits(first), BitWriter::signedBits(second));
    out.ub(static_cast<uint32_t>(bits), 5);
    out.sb(first, bits).sb(second, bits);
}

}  // namespace

int32_t Matrix::fixed(double value) {
    return static_cast<int32_t>(std::lround(value * 65536.0));
}

Matrix Matrix::translation(int32_t tx, int32_t ty) {
    return affine(1, 0, 0, 1, tx, ty);
}

Matrix Matrix::scaling(double sx, double sy, int32_t tx, int32_t ty) {
    return affine(sx, 0, 0, sy, tx, ty);
}

Matrix Matrix::rotation(double degrees, int32_t tx, int32_t ty) {
    return scaleRotate(1, 1, degrees, tx, ty);
}

Matrix Matrix::scaleRotate(double sx, double sy, double degrees, int32_t tx, int32_t ty) {
    const double radians = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    return affine(sx * c, sx * s, -sy * s, sy * c, tx, ty);
}

Matrix Matrix::affine(double a, double b, double c, double d, int32_t tx, int32_t ty) {
    return Matrix{fixed(a), fixed(d), fixed(b), fixed(c), tx, ty};
}

Matrix Matrix::gradientBox(int32_t x, int32_t y, int32_t width, int32_t height, double degrees) {
    return scaleRotate(width / 32768.0, height / 32768.0, degrees, x + width / 2, y + height / 2);
}

Matrix Matrix::bitmapAt(int32_t x, int32_t y) {
    return scaling(20, 20, x, y);
}

Matrix Matrix::then(const Matrix& outer) const {
    const double a = scaleX / 65536.0, b = rotateSkew0 / 65536.0;
    const double c = rotateSkew1 / 65536.0, d = scaleY / 65536.0;
    const double oa = outer.scaleX / 65536.0, ob = outer.rotateSkew0 / 65536.0;
    const double oc = outer.rotateSkew1 / 65536.0, od = outer.scaleY / 65536.0;
    const double tx = oa * translateX + oc * translateY + outer.translateX;
    const double ty = ob * translateX + od * translateY + outer.translateY;
    return affine(oa * a + oc * b, ob * a + od * b, oa * c + oc * d, ob * c + od * d,
                  static_cast<int32_t>(std::lround(tx)), static_cast<int32_t>(std::lround(ty)));
}

void Matrix::write(BitWriter& out) const {
    out.align();
    const bool hasScale = scaleX != 0x10000 || scaleY != 0x10000;
    out.flag(hasScale);
    if (hasScale) writePair(out, scaleX, scaleY);
    const bool hasRotate = rotateSkew0 != 0 || rotateSkew1 != 0;
    out.flag(hasRotate);
    if (hasRotate) writePair(out, rotateSkew0, rotateSkew1);
    writePair(out, translateX, translateY);
    out.align();
}

}  // namespace swftest
