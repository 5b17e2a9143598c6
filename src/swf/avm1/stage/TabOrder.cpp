#include "swf/avm1/stage/TabOrder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "swf/avm1/stage/DisplayProperties.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/StageObject.h"
#include "swf/display/DisplayList.h"
#include "swf/display/EditTextInstance.h"
#include "swf/display/MovieClip.h"
#include "swf/display/MovieContext.h"

namespace swf::avm1 {
namespace {

// The handlers that make a clip a button, and so a stop for Tab; an own property counts
// even while it holds undefined.
constexpr const char* kButtonMethods[] = {"onPress",    "onRelease",  "onReleaseOutside",
                                          "onRollOver", "onRollOut",  "onDragOver",
                                          "onDragOut"};

bool hasInChain(Object* object, std::string_view name) {
    for (int level = 0; object && level < 256; ++level, object = object->proto())
        if (object->findOwn(name)) return true;
    return false;
}

// A tabIndex as the player keeps it: a 32-bit number, where -1 stands for none.
std::optional<int32_t> tabIndexOf(Machine& m, const Value& self) {
    Value v = m.get(self, "tabIndex");
    if (v.isNullish()) return std::nullopt;
    auto index = static_cast<int32_t>(toUint32(m.toNumber(v)));
    if (index == -1) return std::nullopt;
    return index;
}

bool isTabStop(Machine& m, DisplayObject& object, const Value& self) {
    Value enabled = m.get(self, "tabEnabled");
    if (!enabled.isUndefined() && !m.toBoolean(enabled)) return false;
    if (auto* field = dynamic_cast<EditTextInstance*>(&object))
        return field->field().settings().editable;
    if (object.isButton()) return true;
    if (!object.asMovieClip()) return false;
    if (!enabled.isUndefined()) return true;
    if (tabIndexOf(m, self)) return true;
    for (const char* name : kButtonMethods)
        if (hasInChain(self.asObject(), name)) return true;
    return false;
}

struct Stop {
    std::shared_ptr<DisplayObject> object;
    std::optional<int32_t> index;
    Rect bounds;
};

void collect(Machine& m, DisplayObject& container, int level, std::vector<Stop>& stops) {
    DisplayList* children = container.children();
    if (!children || level > MovieContext::kMaxNesting) return;
    for (const auto& [depth, child] : children->objects()) {
        if (!child->visible() || stops.size() >= MovieContext::kMaxObjects) continue;
        if (!child->asMovieClip() && !child->isButton() && !child->isEditText()) continue;
        m.chargeAction();
        Value self(m.stageObject(*child));
        if (isTabStop(m, *child, self))
            stops.push_back({child, tabIndexOf(m, self),
                             boundsThrough(contentBounds(m, *child), matrixToStage(*child))});
        Value tabChildren = m.get(self, "tabChildren");
        if (child->asMovieClip() && (tabChildren.isUndefined() || m.toBoolean(tabChildren)))
            collect(m, *child, level + 1, stops);
    }
}

constexpr const char* kTabIndexSlot = "__tabIndex";

}  // namespace

Value readTabIndex(Machine&, Object* self, std::span<const Value>) {
    Property* slot = self ? self->findOwn(kTabIndexSlot) : nullptr;
    return slot ? slot->value : Value();
}

Value writeTabIndex(Machine& m, Object* self, std::span<const Value> args) {
    // Only a clip, button or field keeps one; their prototypes do not.
    DisplayObject* object = self ? m.displayObjectOf(Value(self)) : nullptr;
    if (!object) return Value();
    Value given = args.empty() ? Value() : args[0];
    Value kept;
    if (!given.isUndefined()) {
        double n = m.toNumber(given);
        if (object->isEditText())
            kept = Value(static_cast<double>(toUint32(n)));
        else
            kept = Value(static_cast<double>(std::isnan(n) ? INT32_MIN : playerInt(n)));
    }
    self->defineOwn(kTabIndexSlot, Property{kept, nullptr, nullptr, kDontEnum});
    return Value();
}

std::vector<std::shared_ptr<DisplayObject>> tabOrder(Machine& m) {
    MovieClip* root = m.context().root();
    std::vector<Stop> stops;
    if (!root) return {};
    Value tabChildren = m.get(Value(m.stageObject(*root)), "tabChildren");
    if (!tabChildren.isUndefined() && !m.toBoolean(tabChildren)) return {};
    collect(m, *root, 0, stops);
    bool custom = std::any_of(stops.begin(), stops.end(), [](const Stop& s) { return s.index; });
    if (custom) {
        std::erase_if(stops, [](const Stop& s) { return !s.index; });
        std::stable_sort(stops.begin(), stops.end(),
                         [](const Stop& a, const Stop& b) { return *a.index < *b.index; });
    } else {
        std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
            if (a.bounds.yMin != b.bounds.yMin) return a.bounds.yMin < b.bounds.yMin;
            return a.bounds.xMin < b.bounds.xMin;
        });
    }
    std::vector<std::shared_ptr<DisplayObject>> order;
    order.reserve(stops.size());
    for (Stop& stop : stops) order.push_back(std::move(stop.object));
    return order;
}

}  // namespace swf::avm1
