#pragma once
// Basic value types of the engine: twips, colours, affine matrices and colour transforms.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace swf {

constexpr double kTwipsPerPixel = 20.0;

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

// An axis-aligned rectangle in twips (or pixels, as the user says).
struct Rect {
    int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    int32_t width() const { return xMax - xMin; }
    int32_t height() const { return yMax - yMin; }
    bool empty() const { return xMax <= xMin || yMax <= yMin; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    double x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Whether `p` lies in `r`, its edges included.
inline bool containsPoint(const Rect& r, Point p) {
    return p.x >= r.xMin && p.x <= r.xMax && p.y >= r.yMin && p.y <= r.yMax;
}

// x' = a*x + c*y + tx;  y' = b*x + d*y + ty  (the SWF MATRIX: a = ScaleX, b = RotateSkew0,
// c = RotateSkew1, d = ScaleY; translation in twips).
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    // this * other: apply `other` first, then this.
    Matrix operator*(const Matrix& o) const {
        return {a * o.a + c * o.b, b * o.a + d * o.b,        a * o.c + c * o.d,
                b * o.c + d * o.d, a * o.tx + c * o.ty + tx, b * o.tx + d * o.ty + ty};
    }
    double determinant() const { return a * d - b * c; }
    // True when every term is finite and at most `limit` in size.
    bool termsWithin(double limit) const {
        for (double term : {a, b, c, d, tx, ty})
            if (!(std::fabs(term) <= limit)) return false;
        return true;
    }
    // The inverse, or the identity when the matrix is singular.
    Matrix inverted() const {
        double det = determinant();
        if (det == 0) return {};
        return {
            d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
    }
    static Matrix scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Matrix translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
    friend bool operator==(const Matrix&, const Matrix&) = default;
};

// Per channel: clamp(c * mult / 256 + add, 0, 255), alpha included.
struct ColorTransform {
    int32_t rMul = 256, gMul = 256, bMul = 256, aMul = 256;
    int32_t rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;

    static uint8_t channel(int32_t c, int32_t mul, int32_t add) {
        return static_cast<uint8_t>(std::clamp(c * mul / 256 + add, 0, 255));
    }
    Rgba apply(Rgba c) const {
        return {channel(c.r, rMul, rAdd), channel(c.g, gMul, gAdd), channel(c.b, bMul, bAdd),
                channel(c.a, aMul, aAdd)};
    }
    // parent * child: the child's transform is applied first, then the parent's.
    ColorTransform operator*(const ColorTransform& child) const {
        ColorTransform r;
        r.rMul = rMul * child.rMul / 256;
        r.gMul = gMul * child.gMul / 256;
        r.bMul = bMul * child.bMul / 256;
        r.aMul = aMul * child.aMul / 256;
        r.rAdd = rMul * child.rAdd / 256 + rAdd;
        r.gAdd = gMul * child.gAdd / 256 + gAdd;
        r.bAdd = bMul * child.bAdd / 256 + bAdd;
        r.aAdd = aMul * child.aAdd / 256 + aAdd;
        return r;
    }
    bool isIdentity() const { return *this == ColorTransform{}; }
    friend bool operator==(const ColorTransform&, const ColorTransform&) = default;
};

}  // namespace swf
