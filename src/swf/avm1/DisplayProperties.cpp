#include "swf/avm1/DisplayProperties.h"

#include <cmath>
#include <numbers>

#include "swf/avm1/Machine.h"
#include "swf/avm1/StageObject.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {
namespace {

enum PropertyIndex {
    kX,
    kY,
    kXScale,
    kYScale,
    kCurrentFrame,
    kTotalFrames,
    kAlpha,
    kVisible,
    kWidth,
    kHeight,
    kRotation,
    kTarget,
    kFramesLoaded,
    kName,
    kDropTarget,
    kUrl,
    kHighQuality,
    kFocusRect,
    kSoundBufTime,
    kQuality,
    kXMouse,
    kYMouse,
    kPropertyCount
};

constexpr std::string_view kNames[kPropertyCount] = {
    "_x",     "_y",           "_xscale",     "_yscale", "_currentframe", "_totalframes",
    "_alpha", "_visible",     "_width",      "_height", "_rotation",     "_target",
    "_framesloaded", "_name", "_droptarget", "_url",    "_highquality",  "_focusrect",
    "_soundbuftime", "_quality", "_xmouse",  "_ymouse"};

constexpr double kTwips = 20.0;

double scaleX(const Matrix& m) {
    return std::sqrt(m.a * m.a + m.b * m.b);
}
double scaleY(const Matrix& m) {
    return std::sqrt(m.c * m.c + m.d * m.d);
}
double rotationDegrees(const Matrix& m) {
    return std::atan2(m.b, m.a) * 180.0 / std::numbers::pi;
}

// Rebuilds the matrix from scales and rotation, keeping the translation.
void compose(Matrix& m, double sx, double sy, double degrees) {
    double skewY = std::atan2(-m.c, m.d);
    double rotX = std::atan2(m.b, m.a);
    double radians = degrees * std::numbers::pi / 180.0;
    double shift = radians - rotX;
    m.a = sx * std::cos(radians);
    m.b = sx * std::sin(radians);
    m.c = -sy * std::sin(skewY + shift);
    m.d = sy * std::cos(skewY + shift);
}

double wrapDegrees(double d) {
    d = std::fmod(d, 360.0);
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return d;
}

}  // namespace

std::optional<int> displayPropertyIndex(Machine& machine, std::string_view name) {
    if (name.empty() || name[0] != '_') return std::nullopt;
    for (int i = 0; i < kPropertyCount; ++i)
        if (machine.namesEqual(kNames[i], name)) return i;
    return std::nullopt;
}

Value getDisplayProperty(Machine& machine, DisplayObject& object, int index) {
    const Matrix& m = object.matrix();
    MovieClip* clip = object.asMovieClip();
    switch (index) {
        case kX: return Value(m.tx / kTwips);
        case kY: return Value(m.ty / kTwips);
        case kXScale: return Value(scaleX(m) * 100);
        case kYScale: return Value(scaleY(m) * 100);
        case kCurrentFrame: return Value(clip ? clip->currentFrame() + 1.0 : 1.0);
        case kTotalFrames:
        case kFramesLoaded: return Value(clip ? static_cast<double>(clip->frameCount()) : 1.0);
        case kAlpha: return Value(object.colorTransform().aMul * 100.0 / 256.0);
        case kVisible: return Value(object.visible());
        case kWidth:
        case kHeight: {
            Rect r = object.boundsInParent();
            if (r.xMin > r.xMax) return Value(0.0);
            return Value((index == kWidth ? r.xMax - r.xMin : r.yMax - r.yMin) / kTwips);
        }
        case kRotation: return Value(rotationDegrees(m));
        case kTarget: return Value(machine.slashPath(object));
        case kName: return Value(object.name());
        case kDropTarget: return Value("");
        case kUrl: return Value(machine.context().movieUrl());
        case kHighQuality: return Value(1.0);
        case kFocusRect: return Value(true);
        case kSoundBufTime: return Value(5.0);
        case kQuality: return Value("HIGH");
        case kXMouse:
        case kYMouse: return Value(0.0);
        default: return Value();
    }
}

void setDisplayProperty(Machine& machine, DisplayObject& object, int index, const Value& value) {
    if (index == kName) {
        object.setName(machine.toString(value));
        if (StageObject* stage = object.scriptObject()) stage->setPath(machine.targetPath(object));
        return;
    }
    if (index == kVisible) {
        object.setVisible(machine.toBoolean(value));
        return;
    }
    if (index == kQuality || index == kHighQuality || index == kFocusRect ||
        index == kSoundBufTime)
        return;
    double n = machine.toNumber(value);
    if (std::isnan(n)) return;
    Matrix m = object.matrix();
    switch (index) {
        case kX: m.tx = std::trunc(n * kTwips); break;
        case kY: m.ty = std::trunc(n * kTwips); break;
        case kXScale: compose(m, n / 100, scaleY(m), rotationDegrees(m)); break;
        case kYScale: compose(m, scaleX(m), n / 100, rotationDegrees(m)); break;
        case kRotation: compose(m, scaleX(m), scaleY(m), wrapDegrees(n)); break;
        case kAlpha: {
            ColorTransform c = object.colorTransform();
            c.aMul = static_cast<int32_t>(std::clamp(n, -1e6, 1e6) * 256 / 100);
            object.setColorTransform(c);
            return;
        }
        case kWidth:
        case kHeight: {
            Rect r = object.localBounds();
            double size = index == kWidth ? r.xMax - r.xMin : r.yMax - r.yMin;
            if (!(size > 0)) return;
            double scale = n * kTwips / size;
            if (index == kWidth)
                compose(m, scale, scaleY(m), rotationDegrees(m));
            else
                compose(m, scaleX(m), scale, rotationDegrees(m));
            break;
        }
        default: return;
    }
    object.setMatrix(m);
    object.setScriptMoved();
}

Value getDisplayPropertyByIndex(Machine& machine, Object& object, int index) {
    Object* live = machine.liveObject(&object);
    StageObject* stage = live ? live->asStageObject() : nullptr;
    DisplayObject* d = stage ? stage->displayObject() : nullptr;
    if (!d) return Value();
    return getDisplayProperty(machine, *d, index);
}

void setDisplayPropertyByIndex(Machine& machine, Object& object, int index, const Value& value) {
    Object* live = machine.liveObject(&object);
    StageObject* stage = live ? live->asStageObject() : nullptr;
    DisplayObject* d = stage ? stage->displayObject() : nullptr;
    if (d) setDisplayProperty(machine, *d, index, value);
}

}  // namespace swf::avm1
