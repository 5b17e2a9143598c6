// ASnative, ASconstructor, ASSetNative and ASSetNativeAccessor: the player numbers its built-in
// functions (table, index) and lets movies fetch them by number. The entries known here are
// the built-ins of this machine, found by where they live (Math.abs is 200,0), so ASnative
// hands out the same code a script reaches by name.

#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {
namespace {


enum class Part { Value, Getter, Setter };

struct Entry {
    int table;
    int index;
    std::string path;  // dotted, from _global
    Part part = Part::Value;
};

// Every numbered function this machine has.
const std::vector<Entry>& entries() {
    static const std::vector<Entry> list = [] {
        std::vector<Entry> e = {
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
            {103, 256, "Date"},
            {103, 257, "Date.UTC"},
            {200, 18, "isNaN"},
            {200, 19, "isFinite"},
            {251, 3, "String.prototype.toUpperCase"},
            {251, 4, "String.prototype.toLowerCase"},
            {252, 0, "Array"},
            {666, 1, "Stage.scaleMode", Part::Getter},
            {666, 2, "Stage.scaleMode", Part::Setter},
            {666, 3, "Stage.align", Part::Getter},
            {666, 4, "Stage.align", Part::Setter},
            {666, 5, "Stage.width", Part::Getter},
            {666, 6, "Stage.width", Part::Setter},
            {666, 7, "Stage.height", Part::Getter},
            {666, 8, "Stage.height", Part::Setter},
        };
        // Date's methods: local ones from 0, UTC ones from 128, in the player's order.
        static const char* const kDate[] = {"FullYear", "Year",    "Month",   "Date",        "Day",
                                            "Hours",    "Minutes", "Seconds", "Milliseconds"};
        static const char* const kDateSetters[] = {"FullYear", "Month",   "Date",        "Hours",
                                                   "Minutes",  "Seconds", "Milliseconds"};
        auto add = [&](int table, int index, std::string path) {
            e.push_back({table, index, std::move(path)});
        };
        for (int utc = 0; utc < 2; ++utc) {
            std::string prefix = utc ? "Date.prototype.getUTC" : "Date.prototype.get";
            std::string setter = utc ? "Date.prototype.setUTC" : "Date.prototype.set";
            int base = utc ? 128 : 0;
            for (int i = 0; i < 9; ++i) add(103, base + i, prefix + kDate[i]);
            for (int i = 0; i < 7; ++i) add(103, base + 9 + i, setter + kDateSetters[i]);
        }
        add(103, 16, "Date.prototype.getTime");
        add(103, 17, "Date.prototype.setTime");
        add(103, 18, "Date.prototype.getTimezoneOffset");
        add(103, 19, "Date.prototype.toString");
        add(103, 20, "Date.prototype.setYear");
        static const char* const kMath[] = {"abs",   "min",  "max",  "sin",  "cos",   "atan2",
                                            "tan",   "exp",  "log",  "sqrt", "round", "random",
                                            "floor", "ceil", "atan", "asin", "acos",  "pow"};
        for (int i = 0; i < 18; ++i) add(200, i, std::string("Math.") + kMath[i]);
        return e;
    }();
    return list;
}

struct Native {
    NativeFunction function;
    InstanceMaker maker;
};

class Table {
  public:
    // Looks the entries up on the machine's objects; ones not there yet are tried again when
    // asked for.
    void resolve(Machine& m) {
        for (const Entry& e : entries()) resolve(m, e);
    }
    // A native of this machine's own (not one of the entries above).
    void add(int table, int index, NativeFunction f) {
        natives_[{table, index}] = {std::move(f), {}};
    }

    const Native* get(Machine& m, int64_t table, int64_t index) {
        auto key = std::make_pair(static_cast<int>(table), static_cast<int>(index));
        if (key.first != table || key.second != index) return nullptr;
        auto it = natives_.find(key);
        if (it != natives_.end()) return &it->second;
        auto entry = byNumber().find(key);
        return entry == byNumber().end() ? nullptr : resolve(m, *entry->second);
    }

  private:
    // The entries by number.
    static const std::map<std::pair<int, int>, const Entry*>& byNumber() {
        static const std::map<std::pair<int, int>, const Entry*> numbered = [] {
            std::map<std::pair<int, int>, const Entry*> map;
            for (const Entry& e : entries()) map.emplace(std::make_pair(e.table, e.index), &e);
            return map;
        }();
        return numbered;
    }

    const Native* resolve(Machine& m, const Entry& e) {
        auto key = std::make_pair(e.table, e.index);
        auto it = natives_.find(key);
        if (it != natives_.end()) return &it->second;
        Function* f = find(m, e);
        if (!f) return nullptr;
        return &(natives_[key] = {f->native(), f->instanceMaker()});
    }

    static Function* find(Machine& m, const Entry& e) {
        Object* at = m.global();
        std::string_view path = e.path;
        Property* p = nullptr;
        while (at) {
            size_t dot = path.find('.');
            p = at->findOwn(path.substr(0, dot));
            if (!p) return nullptr;
            if (dot == std::string_view::npos) break;
            at = p->value.asObject();
            path.remove_prefix(dot + 1);
        }
        if (!at || !p) return nullptr;
        Object* o = e.part == Part::Getter   ? p->getter
                    : e.part == Part::Setter ? p->setter
                                             : p->value.asObject();
        Function* f = o ? o->asFunction() : nullptr;
        return f && f->isNative() ? f : nullptr;
    }

    std::map<std::pair<int, int>, Native> natives_;
};

// The version a name's leading digits ask for ("6name" is hidden before version 6), and the
// name without them. Only 6 to 10 are versions; a leading 1 not followed by 0 is dropped.
std::pair<uint16_t, std::string> versionedName(const std::string& piece) {
    if (piece.size() >= 2 && piece[0] == '1' && piece[1] == '0')
        return {kVersion10, piece.substr(2)};
    if (piece.empty()) return {0, piece};
    switch (piece[0]) {
        case '6':
            return {kVersion6, piece.substr(1)};
        case '7':
            return {kVersion7, piece.substr(1)};
        case '8':
            return {kVersion8, piece.substr(1)};
        case '9':
            return {kVersion9, piece.substr(1)};
        case '1':
            return {0, piece.substr(1)};
        default:
            return {0, piece};
    }
}

// Calls `each` with every comma-separated piece of `text`, in order.
template <class F>
void forEachPiece(const std::string& text, F each) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        each(text.substr(start, comma - start));
        start = comma + 1;
    }
}

// Sets a member made by ASSetNative: an existing one keeps its flags and place.
void setNativeMember(Object* target, const std::string& name, Property property) {
    if (Property* old = target->findOwn(name)) property.flags = old->flags;
    target->defineOwn(name, std::move(property));
}

std::string asciiCase(std::string text, bool upper) {
    for (char& c : text)
        c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                    : std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

void installNativeTable(Machine& m) {
    auto table = std::make_shared<Table>();
    // The older case conversions: ASCII letters only, of `this` as a string.
    table->add(102, 0, [](Machine& m, Object* self, std::span<const Value>) {
        return Value(asciiCase(m.toString(Value(self)), true));
    });
    table->add(102, 1, [](Machine& m, Object* self, std::span<const Value>) {
        return Value(asciiCase(m.toString(Value(self)), false));
    });
    table->resolve(m);

    // ASnative(table, index): exactly two arguments; a number the player lacks is undefined.
    m.defineMethod(m.global(), "ASnative",
                   [table](Machine& m, Object*, std::span<const Value> args) {
                       if (args.size() != 2) return Value();
                       int t = m.toInt32(args[0]);
                       int i = m.toInt32(args[1]);
                       const Native* n = table->get(m, t, i);
                       return n ? Value(m.newFunction(n->function, n->maker)) : Value();
                   });
    // ASconstructor: the same, as a class with a prototype of its own.
    m.defineMethod(
        m.global(), "ASconstructor", [table](Machine& m, Object*, std::span<const Value> args) {
            if (args.size() != 2) return Value();
            int t = m.toInt32(args[0]);
            int i = m.toInt32(args[1]);
            const Native* n = table->get(m, t, i);
            if (!n) return Value();
            return Value(m.defineClass(nullptr, "", m.newObject(), n->function, n->maker));
        });
    // ASSetNative(object, table, "a,b,6c", first): members numbered from `first` on; every
    // piece of the list takes a number, empty ones too.
    m.defineMethod(
        m.global(), "ASSetNative", [table](Machine& m, Object*, std::span<const Value> args) {
            if (args.size() < 3) return Value();
            Object* target = m.liveObject(args[0].asObject());
            int t = m.toInt32(args[1]);
            std::string list = m.toString(args[2]);
            int64_t index = args.size() > 3 ? m.toInt32(args[3]) : 0;
            if (!target) return Value();
            forEachPiece(list, [&](const std::string& piece) {
                auto [flags, name] = versionedName(piece);
                const Native* n = name.empty() ? nullptr : table->get(m, t, index);
                ++index;
                if (!n) return;
                setNativeMember(
                    target, name,
                    Property{Value(m.newFunction(n->function, n->maker)), nullptr, nullptr, flags});
            });
            return Value();
        });
    // ASSetNativeAccessor: the same with a getter and a setter, two numbers each.
    m.defineMethod(m.global(), "ASSetNativeAccessor",
                   [table](Machine& m, Object*, std::span<const Value> args) {
                       if (args.size() < 3) return Value();
                       Object* target = m.liveObject(args[0].asObject());
                       int t = m.toInt32(args[1]);
                       std::string list = m.toString(args[2]);
                       int64_t index = args.size() > 3 ? m.toInt32(args[3]) : 0;
                       if (!target) return Value();
                       forEachPiece(list, [&](const std::string& piece) {
                           auto [flags, name] = versionedName(piece);
                           const Native* get = name.empty() ? nullptr : table->get(m, t, index);
                           const Native* set = name.empty() ? nullptr : table->get(m, t, index + 1);
                           index += 2;
                           if (!get) return;
                           Property p;
                           p.getter = m.newFunction(get->function);
                           p.setter = set ? m.newFunction(set->function) : nullptr;
                           p.flags = flags;
                           setNativeMember(target, name, std::move(p));
                       });
                       return Value();
                   });
}

}  // namespace swf::avm1
