// Array.
#include <algorithm>
#include <cmath>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/Machine.h"

namespace swf::avm2 {
namespace {

enum SortFlag : int { kCaseInsensitive = 1, kDescending = 2, kUniqueSort = 4, kReturnIndexedArray = 8, kNumeric = 16 };

ArrayObject* thisArray(Machine& m, const Value& self) {
    Object* o = self.asObject();
    ArrayObject* a = o ? o->asArray() : nullptr;
    if (!a) a = m.newArray();  // the prototype and foreign objects act as empty arrays
    return a;
}

void checkLength(size_t n) {
    if (n > ArrayObject::kMaxLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
}

// The element at `i` as a read finds it (a hole reads through to the prototypes); a hole when
// nothing has it.
Value elementAt(ArrayObject* a, size_t i) {
    if (i < a->items.size() && !a->items[i].isHole()) return a->items[i];
    Value* v = a->elementThroughPrototypes(static_cast<uint32_t>(i), std::to_string(i));
    return v ? *v : Value::hole();
}

// Makes `elements` the whole array, as the methods that rearrange every element leave it.
void replaceElements(ArrayObject* a, std::vector<Value> elements) {
    a->items = std::move(elements);
    a->declaredLength = 0;
}

// The elements' texts between separators, null and undefined as nothing; `text` makes an
// element's text.
template <class Text>
std::string joinBy(ArrayObject* a, const std::string& separator, Text text) {
    checkLength(a->length());
    std::string out;
    for (size_t i = 0; i < a->length(); ++i) {
        if (i) out += separator;
        Value v = elementAt(a, i);
        if (!v.isNullish()) out += text(v);
        if (out.size() > Machine::kMaxStringLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
    }
    return out;
}

std::string join(Machine& m, ArrayObject* a, const std::string& separator) {
    return joinBy(a, separator, [&m](const Value& v) { return m.toString(v); });
}

// Removes the elements from `from` (at most `count`) and puts `inserted` in their place,
// over the elements as reads find them; returns those removed.
std::vector<Value> spliceElements(ArrayObject* a, size_t from, size_t count, std::span<const Value> inserted) {
    replaceElements(a, arrayElements(a));
    count = std::min(count, a->items.size() - from);
    auto first = a->items.begin() + static_cast<std::ptrdiff_t>(from);
    std::vector<Value> removed(first, first + static_cast<std::ptrdiff_t>(count));
    a->items.erase(first, first + static_cast<std::ptrdiff_t>(count));
    checkLength(a->items.size() + inserted.size());
    a->items.insert(a->items.begin() + static_cast<std::ptrdiff_t>(from), inserted.begin(), inserted.end());
    return removed;
}

// A position for removeAt and insertAt: negative counts from the end, clamped to 0.
size_t positionFromEnd(Machine& m, const Value& v, size_t length) {
    double d = std::trunc(m.toNumber(v));
    if (std::isnan(d)) d = 0;
    if (d < 0) d = std::max(0.0, static_cast<double>(length) + d);
    return static_cast<size_t>(std::min(d, 4294967295.0));
}

// Calls `callback(item, index, array)` for each element, as forEach and its kin do.
template <class Visit>
void eachItem(Machine& m, ArrayObject* a, std::span<const Value> args, const char* method, Visit visit) {
    Value callback = callbackArgument(m, args, std::string("Array/") + method);
    if (callback.isNullish()) return;  // a null callback visits nothing
    Value thisArg = argAt(args, 1);
    checkLength(a->length());
    for (size_t i = 0; i < a->length(); ++i) {
        Value item = elementAt(a, i).withoutHole();
        Value callArgs[3] = {item, Value::number(static_cast<double>(i)), Value::object(a)};
        if (!visit(item, m.call(callback, thisArg, callArgs))) return;
    }
}

// How sort orders two values without a compare function: -1, 0 or 1. Undefined goes last
// in either direction, holes after it.
int compareForSort(Machine& m, const Value& l, const Value& r, int flags) {
    auto rank = [](const Value& v) { return v.isHole() ? 2 : v.isUndefined() ? 1 : 0; };
    if (rank(l) || rank(r)) return rank(l) == rank(r) ? 0 : rank(l) < rank(r) ? -1 : 1;
    int order;
    if (flags & kNumeric) {
        double dl = m.toNumber(l), dr = m.toNumber(r);
        order = dl < dr ? -1 : dr < dl ? 1 : 0;
    } else {
        std::string sl = m.toString(l), sr = m.toString(r);
        if (flags & kCaseInsensitive) {
            for (char& c : sl) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            for (char& c : sr) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        order = sl.compare(sr) < 0 ? -1 : sl == sr ? 0 : 1;
    }
    return (flags & kDescending) ? -order : order;
}

// Sorts `a` by `less` over positions, as sort and sortOn finish: 0 when UNIQUESORT finds two
// equal elements (the array left alone), the positions with RETURNINDEXEDARRAY, else the
// array sorted in place.
template <class Less>
Value sortBy(Machine& m, ArrayObject* a, const std::vector<Value>& elements, const Value& self, int flags, Less less) {
    std::vector<size_t> order(elements.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), less);
    if (flags & kUniqueSort)
        for (size_t i = 1; i < order.size(); ++i)
            if (!less(order[i - 1], order[i]) && !less(order[i], order[i - 1])) return Value::number(0);
    if (flags & kReturnIndexedArray) {
        std::vector<Value> indexes;
        for (size_t i : order) indexes.push_back(Value::number(static_cast<double>(i)));
        return Value::object(m.newArray(std::move(indexes)));
    }
    // Undefined elements end up as holes, after the rest.
    std::vector<Value> sorted;
    for (size_t i : order) sorted.push_back(elements[i].isUndefined() ? Value::hole() : elements[i]);
    replaceElements(a, std::move(sorted));
    return self;
}

}  // namespace

std::string localeString(Machine& m, const Value& v) {
    Name method = Name::qualified(m.namespaces().publicNs(), "toLocaleString");
    return m.toString(m.call(m.getProperty(v, method), v, {}));
}

std::vector<Value> arrayElements(ArrayObject* a) {
    checkLength(a->length());
    std::vector<Value> out;
    out.reserve(a->length());
    for (size_t i = 0; i < a->length(); ++i) out.push_back(elementAt(a, i));
    return out;
}

double numberParameter(Machine& m, std::span<const Value> args, size_t index, double fallback) {
    return index < args.size() ? m.toNumber(args[index]) : fallback;
}

size_t relativePosition(Machine& m, std::span<const Value> args, size_t index, size_t length, double fallback) {
    double d = numberParameter(m, args, index, fallback);
    if (std::isnan(d)) d = 0;
    d = std::trunc(d);
    if (d < 0) d = std::max(0.0, static_cast<double>(length) + d);
    return static_cast<size_t>(std::min(d, static_cast<double>(length)));
}

Value callbackArgument(Machine& m, std::span<const Value> args, const std::string& method) {
    if (args.empty())
        m.throwError("ArgumentError", 1063, "Argument count mismatch on " + method + "(). Expected 1, got 0.");
    Object* o = args[0].asObject();
    if (!args[0].isNullish() && !(o && (o->asFunction() || o->asClass())))
        m.throwError("TypeError", 1034, "Type Coercion failed: cannot convert " + m.describeForError(args[0]) + " to Function.");
    return args[0];
}

void installArrayClass(Machine& m) {
    ClassObject* cls = m.builtins().array;
    auto make = [](Machine& m, std::span<const Value> args) {
        if (args.size() == 1 && args[0].isNumber()) {
            double n = args[0].asNumber();
            if (n < 0 || n != std::floor(n) || n > 4294967295.0)
                m.throwError("RangeError", 1005, "Array index is not a positive integer (" + numberToString(n) + ").");
            ArrayObject* a = m.newArray();
            a->setLength(static_cast<size_t>(n));
            return Value::object(a);
        }
        return Value::object(m.newArray(std::vector<Value>(args.begin(), args.end())));
    };
    cls->construct = make;
    cls->call = [make](Machine& m, const Value&, std::span<const Value> args) { return make(m, args); };
    cls->setOwn("length", Value::number(1));
    for (auto [name, value] : {std::pair{"CASEINSENSITIVE", 1}, {"DESCENDING", 2}, {"UNIQUESORT", 4},
                               {"RETURNINDEXEDARRAY", 8}, {"NUMERIC", 16}}) {
        cls->setOwn(name, Value::number(value));
        cls->setEnumerable(name, false);
    }
    m.defineAccessor(cls, "length",
        [](Machine& m, const Value& self, std::span<const Value>) {
            return Value::number(static_cast<double>(thisArray(m, self)->length()));
        },
        [](Machine& m, const Value& self, std::span<const Value> args) {
            double n = m.toNumber(argAt(args, 0));
            if (n < 0 || n != std::floor(n) || n > 4294967295.0)
                m.throwError("RangeError", 1005, "Array index is not a positive integer (" + numberToString(n) + ").");
            thisArray(m, self)->setLength(static_cast<size_t>(n));
            return Value();
        });
    Object* p = cls->prototype;
    m.defineMethod(p, "push", [](Machine& m, const Value& self, std::span<const Value> args) {
        ArrayObject* a = thisArray(m, self);
        checkLength(a->length() + args.size());
        for (const Value& v : args) a->setElement(static_cast<uint32_t>(a->length()), v);
        return Value::number(static_cast<double>(a->length()));
    }, 1);
    // pop, shift, unshift and reverse work on the elements `items` holds, holes included, as
    // the player's do: with a length past them, pop takes the last element held, not the
    // element at length - 1.
    m.defineMethod(p, "pop", [](Machine& m, const Value& self, std::span<const Value>) {
        ArrayObject* a = thisArray(m, self);
        size_t n = a->length();
        if (n == 0) return Value();
        Value v;
        if (a->items.empty()) {
            v = elementAt(a, n - 1);
            a->deleteOwn(std::to_string(n - 1));
        } else {
            v = elementAt(a, a->items.size() - 1);
            a->items.pop_back();
        }
        a->declaredLength = n - 1;
        return v.withoutHole();
    });
    m.defineMethod(p, "shift", [](Machine& m, const Value& self, std::span<const Value>) {
        ArrayObject* a = thisArray(m, self);
        size_t n = a->length();
        if (n == 0) return Value();
        Value v = elementAt(a, 0);
        if (!a->items.empty()) a->items.erase(a->items.begin());
        a->declaredLength = n - 1;
        return v.withoutHole();
    });
    m.defineMethod(p, "unshift", [](Machine& m, const Value& self, std::span<const Value> args) {
        ArrayObject* a = thisArray(m, self);
        size_t n = a->length();
        checkLength(n + args.size());
        a->items.insert(a->items.begin(), args.begin(), args.end());
        for (Value& v : std::span(a->items).first(args.size())) v = v.withoutHole();
        a->declaredLength = n + args.size();
        return Value::number(static_cast<double>(a->length()));
    }, 1);
    m.defineMethod(p, "join", [](Machine& m, const Value& self, std::span<const Value> args) {
        Value sep = argAt(args, 0);
        return Value::string(join(m, thisArray(m, self), sep.isUndefined() ? "," : m.toString(sep)));
    }, 1);
    m.defineMethod(p, "toString", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(join(m, thisArray(m, self), ","));
    });
    m.defineMethod(p, "toLocaleString", [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::string(joinBy(thisArray(m, self), ",", [&m](const Value& v) { return localeString(m, v); }));
    });
    m.defineMethod(p, "reverse", [](Machine& m, const Value& self, std::span<const Value>) {
        ArrayObject* a = thisArray(m, self);
        std::reverse(a->items.begin(), a->items.end());
        return self;
    });
    m.defineMethod(p, "concat", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::vector<Value> items = arrayElements(thisArray(m, self));
        for (const Value& v : args) {
            Object* o = v.asObject();
            if (ArrayObject* other = o ? o->asArray() : nullptr) {
                checkLength(items.size() + other->length());
                std::vector<Value> more = arrayElements(other);
                items.insert(items.end(), more.begin(), more.end());
            } else {
                items.push_back(v);
            }
            checkLength(items.size());
        }
        return Value::object(m.newArray(std::move(items)));
    }, 1);
    m.defineMethod(p, "slice", [](Machine& m, const Value& self, std::span<const Value> args) {
        ArrayObject* a = thisArray(m, self);
        size_t n = a->length();
        size_t from = relativePosition(m, args, 0, n, 0);
        size_t to = relativePosition(m, args, 1, n, static_cast<double>(n));
        std::vector<Value> items;
        checkLength(to > from ? to - from : 0);
        for (size_t i = from; i < to; ++i) items.push_back(elementAt(a, i));
        return Value::object(m.newArray(std::move(items)));
    }, 2);
    m.defineMethod(p, "splice", [](Machine& m, const Value& self, std::span<const Value> args) {
        ArrayObject* a = thisArray(m, self);
        if (args.empty()) return Value();
        size_t n = a->length();
        size_t from = relativePosition(m, args, 0, n, 0);
        double countArg = args.size() < 2 ? static_cast<double>(n - from) : m.toNumber(args[1]);
        if (std::isnan(countArg) || countArg < 0) countArg = 0;
        size_t count = static_cast<size_t>(std::min(countArg, static_cast<double>(n - from)));
        std::span<const Value> inserted = args.size() > 2 ? args.subspan(2) : std::span<const Value>();
        return Value::object(m.newArray(spliceElements(a, from, count, inserted)));
    }, 2);
    m.defineMethod(p, "removeAt", [](Machine& m, const Value& self, std::span<const Value> args) {
        ArrayObject* a = thisArray(m, self);
        size_t at = positionFromEnd(m, argAt(args, 0), a->length());
        if (at >= a->length()) return Value();
        return spliceElements(a, at, 1, {}).front().withoutHole();
    }, 1);
    m.defineMethod(p, "insertAt", [](Machine& m, const Value& self, std::span<const Value> args) {
        ArrayObject* a = thisArray(m, self);
        size_t at = std::min(positionFromEnd(m, argAt(args, 0), a->length()), a->length());
        Value element = argAt(args, 1);
        spliceElements(a, at, 0, std::span<const Value>(&element, 1));
        return Value();
    }, 2);
    m.defineMethod(p, "indexOf", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::vector<Value> elements = arrayElements(thisArray(m, self));
        size_t from = relativePosition(m, args, 1, elements.size(), 0);
        for (size_t i = from; i < elements.size(); ++i)
            if (m.strictEquals(elements[i], argAt(args, 0))) return Value::number(static_cast<double>(i));
        return Value::number(-1);
    }, 1);
    m.defineMethod(p, "lastIndexOf", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::vector<Value> elements = arrayElements(thisArray(m, self));
        size_t n = elements.size();
        double from = argAt(args, 1).isUndefined() ? static_cast<double>(n) - 1 : m.toNumber(argAt(args, 1));
        if (from < 0) from = std::max(0.0, from + static_cast<double>(n));
        for (double i = std::min(from, static_cast<double>(n) - 1); i >= 0; --i)
            if (m.strictEquals(elements[static_cast<size_t>(i)], argAt(args, 0))) return Value::number(i);
        return Value::number(-1);
    }, 1);
    m.defineMethod(p, "forEach", [](Machine& m, const Value& self, std::span<const Value> args) {
        eachItem(m, thisArray(m, self), args, "forEach", [](const Value&, const Value&) { return true; });
        return Value();
    }, 1);
    m.defineMethod(p, "map", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::vector<Value> out;
        eachItem(m, thisArray(m, self), args, "map", [&](const Value&, const Value& r) {
            out.push_back(r);
            return true;
        });
        return Value::object(m.newArray(std::move(out)));
    }, 1);
    m.defineMethod(p, "filter", [](Machine& m, const Value& self, std::span<const Value> args) {
        std::vector<Value> out;
        eachItem(m, thisArray(m, self), args, "filter", [&](const Value& item, const Value& r) {
            if (Machine::toBoolean(r)) out.push_back(item);
            return true;
        });
        return Value::object(m.newArray(std::move(out)));
    }, 1);
    m.defineMethod(p, "some", [](Machine& m, const Value& self, std::span<const Value> args) {
        bool any = false;
        eachItem(m, thisArray(m, self), args, "some", [&](const Value&, const Value& r) {
            any = Machine::toBoolean(r);
            return !any;
        });
        return Value::boolean(any);
    }, 1);
    m.defineMethod(p, "every", [](Machine& m, const Value& self, std::span<const Value> args) {
        bool all = true;
        eachItem(m, thisArray(m, self), args, "every", [&](const Value&, const Value& r) {
            all = Machine::toBoolean(r);
            return all;
        });
        return Value::boolean(all);
    }, 1);
    m.defineMethod(p, "sort", [](Machine& m, const Value& self, std::span<const Value> args) {
        ArrayObject* a = thisArray(m, self);
        Value compare;
        int flags = 0;
        for (const Value& v : args) {
            if (Object* o = v.asObject(); o && (o->asFunction() || o->asClass())) compare = v;
            else if (v.isNumber()) flags = m.toInt(v);
        }
        std::vector<Value> elements = arrayElements(a);
        auto less = [&](size_t x, size_t y) {
            const Value& l = elements[x];
            const Value& r = elements[y];
            if (compare.isUndefined() || l.isUndefined() || r.isUndefined()) return compareForSort(m, l, r, flags) < 0;
            Value callArgs[2] = {l, r};
            return m.toNumber(m.call(compare, Value::null(), callArgs)) < 0;
        };
        return sortBy(m, a, elements, self, flags, less);
    }, 1);
    m.defineMethod(p, "sortOn", [](Machine& m, const Value& self, std::span<const Value> args) {
        ArrayObject* a = thisArray(m, self);
        // The fields by name, one or an array of them; the options one for all or one each.
        std::vector<std::string> names;
        Value fields = argAt(args, 0);
        if (ArrayObject* list = fields.asObject() ? fields.asObject()->asArray() : nullptr) {
            for (const Value& v : list->items) names.push_back(m.toString(v));
        } else if (!fields.isNullish()) {
            names.push_back(m.toString(fields));
        }
        std::vector<int> fieldFlags(names.size(), 0);
        int flags = 0;
        Value options = argAt(args, 1);
        if (ArrayObject* list = options.asObject() ? options.asObject()->asArray() : nullptr) {
            if (list->items.size() == names.size())
                for (size_t f = 0; f < names.size(); ++f) fieldFlags[f] = m.toInt(list->items[f]);
            if (!fieldFlags.empty()) flags = fieldFlags[0];
        } else if (!options.isUndefined()) {
            flags = m.toInt(options);
            fieldFlags.assign(names.size(), flags);
        }
        // Each element's fields, read once.
        std::vector<Value> elements = arrayElements(a);
        std::vector<std::vector<Value>> keys(elements.size());
        for (size_t i = 0; i < elements.size(); ++i) {
            const Value& item = elements[i];
            for (const std::string& name : names) {
                Name field = Name::qualified(m.namespaces().publicNs(), name);
                keys[i].push_back(item.isObject() && m.hasProperty(item, field) ? m.getProperty(item, field) : Value());
            }
        }
        auto less = [&](size_t x, size_t y) {
            for (size_t f = 0; f < names.size(); ++f)
                if (int c = compareForSort(m, keys[x][f], keys[y][f], fieldFlags[f])) return c < 0;
            return false;
        };
        return sortBy(m, a, elements, self, flags, less);
    }, 1);
}

}  // namespace swf::avm2
