#include "swf/avm2/KeyboardFocus.h"

#include <algorithm>

#include "swf/avm2/DisplayClasses.h"
#include "swf/avm2/GeomClasses.h"
#include "swf/avm2/StageBridge.h"
#include "swf/display/DisplayList.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"
#include "swf/input/InputEvent.h"

namespace swf::avm2 {

namespace {

constexpr int kTabKey = 9;
constexpr int kShiftKey = 16;
constexpr int kControlKey = 17;
constexpr int kAltKey = 18;
// The automatic order reads the stage in rows that slope: a step down counts as far as six
// steps right.
constexpr double kRowSlope = 6;

}  // namespace

void KeyboardFocus::deliver(const InputEvent& event) {
    bool down = event.type == InputEvent::Type::KeyDown;
    if (!down && event.type != InputEvent::Type::KeyUp) return;
    // The engine's key state already has this key.
    const InputState& input = context_.input();
    bool shift = shiftDown(input);
    bridge_.runScript([&] {
        swf::DisplayObject* focus = bridge_.focus();
        Object* target = focus ? bridge_.handleOf(*focus) : bridge_.stage();
        if (!target) return;
        EventObject* key = bridge_.newEvent(down ? "keyDown" : "keyUp", true, "flash.events::KeyboardEvent");
        key->keyCode = static_cast<uint32_t>(std::max(event.keyCode, 0));
        key->charCode = event.character;
        fillModifiers(*key, input);
        bridge_.dispatch(target, key);
    });
    if (!down || event.keyCode != kTabKey) return;
    if (std::shared_ptr<swf::DisplayObject> next = nextTabStop(shift))
        bridge_.requestFocus("keyFocusChange", next.get(), next.get(), kTabKey, shift);
}

void KeyboardFocus::fillModifiers(EventObject& event, const InputState& input) {
    event.shiftKey = shiftDown(input);
    event.ctrlKey = input.isKeyDown(kControlKey);
    event.altKey = input.isKeyDown(kAltKey);
}

bool KeyboardFocus::shiftDown(const InputState& input) {
    return input.isKeyDown(kShiftKey);
}

std::shared_ptr<swf::DisplayObject> KeyboardFocus::nextTabStop(bool backwards) {
    swf::MovieClip* root = context_.root();
    if (!root) return nullptr;
    std::vector<Stop> stops;
    collectStops(*root, 0, stops);
    // Where any object has a tabIndex only those take part, in its order.
    if (std::any_of(stops.begin(), stops.end(), [](const Stop& s) { return s.index >= 0; })) {
        std::erase_if(stops, [](const Stop& s) { return s.index < 0; });
        for (Stop& stop : stops) stop.place = stop.index;
    }
    if (stops.empty()) return nullptr;
    // The nearest stop past the focused one; from the last (or from none) round to the first.
    // Stops that share a place with the focused one are passed over.
    swf::DisplayObject* current = bridge_.focus();
    auto at = std::find_if(stops.begin(), stops.end(), [current](const Stop& s) { return s.object.get() == current; });
    auto before = [backwards](double a, double b) { return backwards ? a > b : a < b; };
    const Stop* next = nullptr;
    const Stop* first = nullptr;
    for (const Stop& stop : stops) {
        if (at != stops.end() && before(at->place, stop.place) && (!next || before(stop.place, next->place)))
            next = &stop;
        if (!first || before(stop.place, first->place)) first = &stop;
    }
    return (next ? next : first)->object;
}

void KeyboardFocus::collectStops(swf::DisplayObject& container, int level, std::vector<Stop>& stops) {
    DisplayList* children = container.children();
    if (!children || level > MovieContext::kMaxNesting) return;
    for (const auto& [depth, child] : children->objects()) {
        if (!child->visible() || stops.size() >= MovieContext::kMaxObjects) continue;
        auto* handle = dynamic_cast<DisplayHandle*>(child->as3Object());
        if (handle && tabEnabledOf(machine_, *handle)) {
            Rect box = transformBounds(child->localBounds(), toStage(*child));
            double place = box.xMin > box.xMax ? 0 : box.xMin + kRowSlope * box.yMin;
            stops.push_back({child, handle->tabIndex, place});
        }
        if (!handle || handle->tabChildren) collectStops(*child, level + 1, stops);
    }
}

}  // namespace swf::avm2
