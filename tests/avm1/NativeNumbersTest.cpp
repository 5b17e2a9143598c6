// The player's numbers of its built-ins: every number the class tables register hands out,
// through ASnative, the code of the built-in of that name, and the registry holds no number
// the list of known ones lacks.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeRegistry.h"
#include "swf/avm1/stage/ScriptEngine.h"
#include "swf/display/MovieContext.h"
#include "swf/movie/SwfMovie.h"

namespace {

using swf::avm1::Function;
using swf::avm1::InstanceCode;
using swf::avm1::Machine;
using swf::avm1::NativeCode;
using swf::avm1::Object;
using swf::avm1::Property;
using swf::avm1::Value;

enum class Part { Value, Getter, Setter };

struct Known {
    int table;
    int index;
    std::string path;  // dotted, from _global
    Part part = Part::Value;
};

std::vector<Known> knownNumbers() {
    std::vector<Known> known = {
        {1, 0, "ASSetPropFlags"},
        {100, 0, "escape"},
        {100, 1, "unescape"},
        {100, 2, "parseInt"},
        {100, 3, "parseFloat"},
        {100, 4, "trace"},
        {101, 0, "Object.prototype.watch"},
        {101, 1, "Object.prototype.unwatch"},
        {101, 2, "Object.prototype.addProperty"},
        {101, 3, "Object.prototype.valueOf"},
        {101, 4, "Object.prototype.toString"},
        {101, 5, "Object.prototype.hasOwnProperty"},
        {101, 6, "Object.prototype.isPrototypeOf"},
        {101, 7, "Object.prototype.isPropertyEnumerable"},
        {106, 0, "Number.prototype.valueOf"},
        {106, 1, "Number.prototype.toString"},
        {106, 2, "Number"},
        {107, 0, "Boolean.prototype.valueOf"},
        {107, 1, "Boolean.prototype.toString"},
        {107, 2, "Boolean"},
        {103, 16, "Date.prototype.getTime"},
        {103, 17, "Date.prototype.setTime"},
        {103, 18, "Date.prototype.getTimezoneOffset"},
        {103, 19, "Date.prototype.toString"},
        {103, 20, "Date.prototype.setYear"},
        {103, 256, "Date"},
        {103, 257, "Date.UTC"},
        {200, 18, "isNaN"},
        {200, 19, "isFinite"},
        {251, 3, "String.prototype.toUpperCase"},
        {251, 4, "String.prototype.toLowerCase"},
        {252, 0, "Array"},
        {901, 0, "MovieClip.prototype.createEmptyMovieClip"},
        {2106, 202, "SharedObject.getRemote"},
        {666, 1, "Stage.scaleMode", Part::Getter},
        {666, 2, "Stage.scaleMode", Part::Setter},
        {666, 3, "Stage.align", Part::Getter},
        {666, 4, "Stage.align", Part::Setter},
        {666, 5, "Stage.width", Part::Getter},
        {666, 6, "Stage.width", Part::Setter},
        {666, 7, "Stage.height", Part::Getter},
        {666, 8, "Stage.height", Part::Setter},
    };
    // Date's local getters and setters from 0, the universal ones from 128.
    const char* const fields[] = {"FullYear", "Year",    "Month",   "Date",        "Day",
                                  "Hours",    "Minutes", "Seconds", "Milliseconds"};
    const char* const setFields[] = {"FullYear", "Month",   "Date",        "Hours",
                                     "Minutes",  "Seconds", "Milliseconds"};
    for (int utc = 0; utc < 2; ++utc) {
        std::string get = utc ? "Date.prototype.getUTC" : "Date.prototype.get";
        std::string set = utc ? "Date.prototype.setUTC" : "Date.prototype.set";
        for (int i = 0; i < 9; ++i) known.push_back({103, utc * 128 + i, get + fields[i]});
        for (int i = 0; i < 7; ++i) known.push_back({103, utc * 128 + 9 + i, set + setFields[i]});
    }
    const char* const math[] = {"abs",   "min",  "max",  "sin",  "cos",   "atan2",
                                "tan",   "exp",  "log",  "sqrt", "round", "random",
                                "floor", "ceil", "atan", "asin", "acos",  "pow"};
    for (int i = 0; i < 18; ++i) known.push_back({200, i, std::string("Math.") + math[i]});
    const char* const convolution[] = {"matrixX", "matrixY", "matrix", "divisor",      "bias",
                                       "preserveAlpha", "clamp", "color", "alpha"};
    for (int i = 0; i < 9; ++i) {
        std::string path = std::string("flash.filters.ConvolutionFilter.prototype.") + convolution[i];
        known.push_back({1109, 2 * i + 1, path, Part::Getter});
        known.push_back({1109, 2 * i + 2, path, Part::Setter});
    }
    return known;
}

// The function a dotted path names, or null.
Function* named(Machine& m, const Known& k) {
    Object* at = m.global();
    std::string_view path = k.path;
    const Property* p = nullptr;
    while (at) {
        size_t dot = path.find('.');
        p = at->findOwn(path.substr(0, dot));
        if (!p || dot == std::string_view::npos) break;
        at = p->value.asObject();
        path.remove_prefix(dot + 1);
    }
    if (!p) return nullptr;
    Object* o = k.part == Part::Getter   ? p->getter
                : k.part == Part::Setter ? p->setter
                                         : p->value.asObject();
    return o ? o->asFunction() : nullptr;
}

NativeCode codeOf(const Function* f) {
    const NativeCode* code = f ? f->native().target<NativeCode>() : nullptr;
    return code ? *code : nullptr;
}

InstanceCode makerOf(const Function* f) {
    const InstanceCode* maker = f ? f->instanceMaker().target<InstanceCode>() : nullptr;
    return maker ? *maker : nullptr;
}

TEST(NativeNumbers, AsNativeHandsOutTheNamedBuiltIn) {
    auto movie = std::make_shared<swf::SwfMovie>();
    movie->header.version = 8;
    swf::MovieContext context(movie);
    swf::avm1::ScriptEngine engine(context);
    Machine& m = engine.machine();

    const std::vector<Known> known = knownNumbers();
    // The known ones and four no name holds: two older case conversions, (2, 0), (2106, 204).
    EXPECT_EQ(m.natives().entries().size(), known.size() + 4);
    for (const Known& k : known) {
        SCOPED_TRACE(k.path + " " + std::to_string(k.table) + "," + std::to_string(k.index));
        Value fetched = m.callMethod(Value(m.global()), "ASnative", {{Value(k.table), Value(k.index)}});
        Object* object = fetched.asObject();
        const Function* byNumber = object ? object->asFunction() : nullptr;
        const Function* byName = named(m, k);
        ASSERT_NE(byNumber, nullptr);
        ASSERT_NE(byName, nullptr);
        EXPECT_NE(codeOf(byNumber), nullptr);
        EXPECT_EQ(codeOf(byNumber), codeOf(byName));
        EXPECT_EQ(makerOf(byNumber), makerOf(byName));
    }
    const Value text("aBc");
    const std::pair<int, const char*> conversions[] = {{0, "ABC"}, {1, "abc"}};
    for (const auto& [index, converted] : conversions) {
        Value f = m.callMethod(Value(m.global()), "ASnative", {{Value(102), Value(index)}});
        EXPECT_EQ(m.toString(m.call(f, m.toObject(text), {})), converted);
    }
}

}  // namespace
