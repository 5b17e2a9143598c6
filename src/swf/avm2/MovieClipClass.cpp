// flash.display.MovieClip's timeline control, and Graphics (the drawing API) on sprites and
// shapes.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "swf/avm2/DisplayClasses.h"
#include "swf/avm2/NativeSupport.h"
#include "swf/avm2/SceneClasses.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/geom/Geometry.h"

namespace swf::avm2 {

namespace {

swf::MovieClip& clipOf(Machine& m, const Value& self) {
    if (swf::MovieClip* clip = nativeSelf<DisplayHandle>(m, self).clip()) return *clip;
    m.throwError("Error", 2012, "This object has no timeline.");
}

// The 0-based frame a goto names: a frame number (1-based, within `sceneName`'s scene or the
// current one) or a label (in that scene, or anywhere without one). A number that is no whole
// number is taken as a label; a label the timeline lacks is an error from version 11 on, and
// the first frame before.
int frameArgument(Machine& m, swf::MovieClip& clip, const Value& frame, const Value& sceneName) {
    const SceneLayout scenes = scenesOf(m, clip);
    const SceneLayout::Scene* scene = &scenes.sceneAt(clip.currentFrame());
    if (!sceneName.isNullish()) {
        std::string name = m.toString(sceneName);
        scene = scenes.find(name);
        if (!scene) m.throwError("ArgumentError", 2108, "Scene " + name + " was not found.");
    }
    if (frame.isNumber() && frame.asNumber() == std::floor(frame.asNumber())) return scene->first + m.toInt(frame) - 1;
    std::string text = m.toString(frame);
    int labelled = scenes.findLabel(text, sceneName.isNullish() ? nullptr : scene);
    if (labelled >= 0) return labelled;
    double number = stringToNumber(text);
    if (std::isfinite(number) && number == std::floor(number)) return scene->first + static_cast<int>(number) - 1;
    if (bridgeOf(m).context().movie().header.version < 11) return 0;
    m.throwError("ArgumentError", 2109, "Frame label " + text + " not found in scene " + scene->name + ".");
}

void gotoFrame(Machine& m, swf::MovieClip& clip, int frame, bool play) {
    if (play)
        clip.play();
    else
        clip.stop();
    bridgeOf(m).gotoFrame(clip, std::max(frame, 0));
}

// nextScene and prevScene: the first frame of the scene `step` away, within the first and
// last scenes; the playhead keeps playing or standing.
void gotoScene(Machine& m, swf::MovieClip& clip, int step) {
    const SceneLayout scenes = scenesOf(m, clip);
    const auto& list = scenes.scenes();
    const auto at = static_cast<int>(&scenes.sceneAt(clip.currentFrame()) - list.data());
    const int to = std::clamp(at + step, 0, static_cast<int>(list.size()) - 1);
    gotoFrame(m, clip, list[static_cast<size_t>(to)].first, clip.playing());
}

Drawing* drawingOf(Machine& m, const Value& self) {
    auto& graphics = nativeSelf<DisplayPartObject>(m, self);
    swf::MovieClip* clip = graphics.owner ? graphics.owner->clip() : nullptr;
    return clip ? &clip->drawing() : nullptr;
}

double twips(Machine& m, const Value& v) {
    double d = m.toNumber(v);
    return std::isfinite(d) ? std::clamp(d, -1e7, 1e7) * kTwipsPerPixel : 0;
}

Rgba colorOf(Machine& m, const Value& rgb, const Value& alpha) {
    auto c = m.toUint(rgb);
    double a = alpha.isUndefined() ? 1.0 : m.toNumber(alpha);
    if (std::isnan(a)) a = 0;
    return Rgba{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c),
                static_cast<uint8_t>(std::lround(std::clamp(a, 0.0, 1.0) * 255))};
}

// An ellipse in four quarter arcs of two curves each, from its rightmost point.
void drawEllipse(Drawing& d, double cx, double cy, double rx, double ry) {
    constexpr int kSegments = 8;
    double control = 1 / std::cos(std::numbers::pi / kSegments);
    d.moveTo(Point{cx + rx, cy});
    for (int i = 1; i <= kSegments; ++i) {
        double mid = (i - 0.5) * 2 * std::numbers::pi / kSegments;
        double end = i * 2 * std::numbers::pi / kSegments;
        d.curveTo(Point{cx + rx * control * std::cos(mid), cy + ry * control * std::sin(mid)},
                  Point{cx + rx * std::cos(end), cy + ry * std::sin(end)});
    }
}

using DrawFunction = void (*)(Machine&, Drawing&, std::span<const Value>);

void defineDrawing(Machine& m, ClassObject* p, const char* name, DrawFunction draw) {
    defineNativeMethod(m, p, name, [draw](Machine& m, const Value& self, std::span<const Value> args) {
        if (Drawing* d = drawingOf(m, self)) draw(m, *d, args);
        return Value();
    });
}

void installGraphicsMethods(Machine& m, ClassObject* p) {
    defineDrawing(m, p, "clear", [](Machine&, Drawing& d, std::span<const Value>) { d.clear(); });
    defineDrawing(m, p, "beginFill", [](Machine& m, Drawing& d, std::span<const Value> args) {
        FillStyle fill;
        fill.color = colorOf(m, argAt(args, 0), argAt(args, 1));
        d.beginFill(fill);
    });
    defineDrawing(m, p, "endFill", [](Machine&, Drawing& d, std::span<const Value>) { d.endFill(); });
    defineDrawing(m, p, "lineStyle", [](Machine& m, Drawing& d, std::span<const Value> args) {
        double thickness = m.toNumber(argAt(args, 0));
        if (argAt(args, 0).isNullish() || std::isnan(thickness)) {
            d.lineStyle(std::nullopt);
            return;
        }
        LineStyle line;
        line.width = static_cast<uint16_t>(std::lround(std::clamp(thickness, 0.0, 255.0) * kTwipsPerPixel));
        line.color = colorOf(m, argAt(args, 1), argAt(args, 2));
        d.lineStyle(line);
    });
    defineDrawing(m, p, "moveTo", [](Machine& m, Drawing& d, std::span<const Value> args) {
        d.moveTo(Point{twips(m, argAt(args, 0)), twips(m, argAt(args, 1))});
    });
    defineDrawing(m, p, "lineTo", [](Machine& m, Drawing& d, std::span<const Value> args) {
        d.lineTo(Point{twips(m, argAt(args, 0)), twips(m, argAt(args, 1))});
    });
    defineDrawing(m, p, "curveTo", [](Machine& m, Drawing& d, std::span<const Value> args) {
        d.curveTo(Point{twips(m, argAt(args, 0)), twips(m, argAt(args, 1))},
                  Point{twips(m, argAt(args, 2)), twips(m, argAt(args, 3))});
    });
    defineDrawing(m, p, "drawRect", [](Machine& m, Drawing& d, std::span<const Value> args) {
        double x = twips(m, argAt(args, 0)), y = twips(m, argAt(args, 1));
        double w = twips(m, argAt(args, 2)), h = twips(m, argAt(args, 3));
        d.moveTo(Point{x, y});
        d.lineTo(Point{x + w, y});
        d.lineTo(Point{x + w, y + h});
        d.lineTo(Point{x, y + h});
        d.lineTo(Point{x, y});
    });
    defineDrawing(m, p, "drawCircle", [](Machine& m, Drawing& d, std::span<const Value> args) {
        double r = twips(m, argAt(args, 2));
        drawEllipse(d, twips(m, argAt(args, 0)), twips(m, argAt(args, 1)), r, r);
    });
    defineDrawing(m, p, "drawEllipse", [](Machine& m, Drawing& d, std::span<const Value> args) {
        double rx = twips(m, argAt(args, 2)) / 2, ry = twips(m, argAt(args, 3)) / 2;
        drawEllipse(d, twips(m, argAt(args, 0)) + rx, twips(m, argAt(args, 1)) + ry, rx, ry);
    });
    defineDrawing(m, p, "drawRoundRect", [](Machine& m, Drawing& d, std::span<const Value> args) {
        double x = twips(m, argAt(args, 0)), y = twips(m, argAt(args, 1));
        double w = twips(m, argAt(args, 2)), h = twips(m, argAt(args, 3));
        double rx = std::min(twips(m, argAt(args, 4)) / 2, w / 2);
        double ry = args.size() > 5 && !args[5].isNullish() ? std::min(twips(m, args[5]) / 2, h / 2) : std::min(rx, h / 2);
        d.moveTo(Point{x + rx, y});
        d.lineTo(Point{x + w - rx, y});
        d.curveTo(Point{x + w, y}, Point{x + w, y + ry});
        d.lineTo(Point{x + w, y + h - ry});
        d.curveTo(Point{x + w, y + h}, Point{x + w - rx, y + h});
        d.lineTo(Point{x + rx, y + h});
        d.curveTo(Point{x, y + h}, Point{x, y + h - ry});
        d.lineTo(Point{x, y + ry});
        d.curveTo(Point{x, y}, Point{x + rx, y});
    });
}

}  // namespace

void installGraphics(Machine& m, ClassObject* sprite, ClassObject* shape) {
    ClassObject* graphics = m.defineClass("flash.display", "Graphics", m.builtins().object);
    installGraphicsMethods(m, graphics);
    auto get = [graphics](Machine& m, const Value& self, std::span<const Value>) {
        DisplayHandle& h = nativeSelf<DisplayHandle>(m, self);
        if (!h.graphics) {
            auto* g = m.heap().make<DisplayPartObject>(graphics, graphics->prototype);
            g->setTraits(graphics->instanceTraits.get());
            g->setDynamic(false);
            g->owner = &h;
            h.graphics = g;
        }
        return Value::object(h.graphics);
    };
    m.defineAccessor(sprite, "graphics", get);
    m.defineAccessor(shape, "graphics", get);
}

void installMovieClipMethods(Machine& m, ClassObject* clip) {
    ClassObject* p = clip;
    defineNativeMethod(m, p, "stop", [](Machine& m, const Value& self, std::span<const Value>) {
        clipOf(m, self).stop();
        return Value();
    });
    defineNativeMethod(m, p, "play", [](Machine& m, const Value& self, std::span<const Value>) {
        clipOf(m, self).play();
        return Value();
    });
    defineNativeMethod(m, p, "gotoAndStop", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::MovieClip& c = clipOf(m, self);
        gotoFrame(m, c, frameArgument(m, c, argAt(args, 0), argAt(args, 1)), false);
        return Value();
    }, 1);
    defineNativeMethod(m, p, "gotoAndPlay", [](Machine& m, const Value& self, std::span<const Value> args) {
        swf::MovieClip& c = clipOf(m, self);
        gotoFrame(m, c, frameArgument(m, c, argAt(args, 0), argAt(args, 1)), true);
        return Value();
    }, 1);
    defineNativeMethod(m, p, "nextFrame", [](Machine& m, const Value& self, std::span<const Value>) {
        swf::MovieClip& c = clipOf(m, self);
        gotoFrame(m, c, c.currentFrame() + 1, false);
        return Value();
    });
    defineNativeMethod(m, p, "prevFrame", [](Machine& m, const Value& self, std::span<const Value>) {
        swf::MovieClip& c = clipOf(m, self);
        gotoFrame(m, c, c.currentFrame() - 1, false);
        return Value();
    });
    defineNativeMethod(m, p, "addFrameScript", [](Machine& m, const Value& self, std::span<const Value> args) {
        DisplayHandle& h = nativeSelf<DisplayHandle>(m, self);
        for (size_t i = 0; i + 1 < args.size(); i += 2) {
            int frame = m.toInt(args[i]);
            if (frame < 0 || frame > 0xFFFF) continue;
            if (args[i + 1].isObject())
                h.frameScripts[frame] = args[i + 1];
            else
                h.frameScripts.erase(frame);
        }
        return Value();
    });
    m.defineAccessor(clip, "currentFrame", [](Machine& m, const Value& self, std::span<const Value>) {
        // A clip a script made with no symbol has no frames to stand on.
        swf::MovieClip& c = clipOf(m, self);
        bool empty = !c.character() && &c != bridgeOf(m).context().root();
        return Value::number(empty ? 0 : c.currentFrame() - scenesOf(m, c).sceneAt(c.currentFrame()).first + 1);
    });
    m.defineAccessor(clip, "totalFrames", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(clipOf(m, self).frameCount());
    });
    m.defineAccessor(clip, "framesLoaded", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(clipOf(m, self).frameCount());
    });
    m.defineAccessor(clip, "isPlaying", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::boolean(clipOf(m, self).playing());
    });
    const auto labelGetter = [](bool exactFrame) {
        return [exactFrame](Machine& m, const Value& self, std::span<const Value>) {
            swf::MovieClip& c = clipOf(m, self);
            std::string label = scenesOf(m, c).labelAt(c.currentFrame(), exactFrame);
            return label.empty() ? Value::null() : Value::string(label);
        };
    };
    m.defineAccessor(clip, "currentLabel", labelGetter(false));
    m.defineAccessor(clip, "currentFrameLabel", labelGetter(true));
    m.defineAccessor(clip, "currentLabels", [](Machine& m, const Value& self, std::span<const Value>) {
        swf::MovieClip& c = clipOf(m, self);
        const SceneLayout scenes = scenesOf(m, c);
        const SceneLayout::Scene& scene = scenes.sceneAt(c.currentFrame());
        return Value::object(newFrameLabels(m, scene.labels, scene.first));
    });
    m.defineAccessor(clip, "currentScene", [](Machine& m, const Value& self, std::span<const Value>) {
        swf::MovieClip& c = clipOf(m, self);
        return Value::object(newScene(m, scenesOf(m, c).sceneAt(c.currentFrame())));
    });
    m.defineAccessor(clip, "scenes", [](Machine& m, const Value& self, std::span<const Value>) {
        const SceneLayout scenes = scenesOf(m, clipOf(m, self));
        std::vector<Value> list;
        for (const SceneLayout::Scene& scene : scenes.scenes()) list.push_back(Value::object(newScene(m, scene)));
        return Value::object(m.newArray(std::move(list)));
    });
    defineNativeMethod(m, p, "nextScene", [](Machine& m, const Value& self, std::span<const Value>) {
        gotoScene(m, clipOf(m, self), 1);
        return Value();
    });
    defineNativeMethod(m, p, "prevScene", [](Machine& m, const Value& self, std::span<const Value>) {
        gotoScene(m, clipOf(m, self), -1);
        return Value();
    });
}

}  // namespace swf::avm2
