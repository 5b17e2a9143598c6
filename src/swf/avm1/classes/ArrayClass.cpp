// Array: the constructor, the sort flags and the methods of Array.prototype. The methods work
// on any object (its `length` and own elements), read elements as the object's own stored
// values, and move elements the way the player does: the elements past the point of change
// are deleted and stored again, holes included, which shows in their enumeration order.

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"
#include "swf/avm1/machine/StringFunctions.h"

namespace swf::avm1 {
namespace {

enum SortFlag : int32_t {
    kCaseInsensitive = 1,
    kDescending = 2,
    kUniqueSort = 4,
    kReturnIndexedArray = 8,
    kNumeric = 16,
};

std::string nameOf(uint64_t index) {
    return std::to_string(index);
}

void checkCount(uint64_t count) {
    if (count > ArrayObject::kMaxLength)
        throw ScriptLimitError(
            "array too long: the script asked for more elements than the player keeps");
}

// Walking elements counts against the action list's bound, one action an element, so a
// script looping over methods of huge arrays stops as one looping over actions does.
void charge(Machine& m, uint64_t work) {
    for (uint64_t i = 0; i < work; ++i)
        m.chargeAction();
}

int32_t lengthOf(Machine& m, Object* self) {
    if (auto* array = dynamic_cast<ArrayObject*>(self)) return array->signedLength();
    // Only a length of the object's own counts (a getter runs): one its prototypes hold is not
    // seen, and neither is __resolve.
    if (!self->findOwn("length")) return 0;
    return m.toInt32(m.getPastResolve(self, "length"));
}

// The length a method walks: a negative one is 0.
uint32_t walkLength(Machine& m, Object* self) {
    int32_t length = lengthOf(m, self);
    if (length <= 0) return 0;
    checkCount(static_cast<uint32_t>(length));
    return static_cast<uint32_t>(length);
}

// What the methods read: the own stored value, never the prototype's nor a getter's.
Value element(Object* self, uint32_t index) {
    Property* p = self->findOwn(nameOf(index));
    return p && !p->isVirtual() ? p->value : Value();
}

void storeElement(Object* self, uint32_t index, const Value& value) {
    if (auto* array = dynamic_cast<ArrayObject*>(self))
        array->setAt(index, value);
    else
        self->setOwn(nameOf(index), value);
}

// Deletes the element (unless it may not be deleted) and stores `value` there: the place
// comes last in enumeration order.
void restoreElement(Object* self, uint32_t index, const Value& value) {
    if (Property* p = self->findOwn(nameOf(index)); p && !(p->flags & kDontDelete))
        self->deleteOwn(nameOf(index));
    storeElement(self, index, value);
}

// shift, unshift and pop leave the `length` of an object that is not an array as it was.
void storeArrayLength(Machine& m, Object* self, uint32_t length) {
    if (auto* array = dynamic_cast<ArrayObject*>(self)) array->setLength(m, static_cast<int32_t>(length));
}

void storeLength(Machine& m, Object* self, uint32_t length) {
    if (auto* array = dynamic_cast<ArrayObject*>(self))
        array->setLength(m, static_cast<int32_t>(length));
    else
        m.set(self, "length", Value(static_cast<double>(length)));
}

// The own elements of [from, to), sorted by index: only the ones there are, so a long array
// of holes costs nothing to hold.
class Elements {
  public:
    Elements(Machine& m, Object* self, uint32_t from, uint32_t to) {
        if (from >= to) return;
        charge(m, std::min<uint64_t>(to - from, self->ownCount()));
        if (to - from <= self->ownCount()) {
            for (uint32_t i = from; i < to; ++i) {
                Property* p = self->findOwn(nameOf(i));
                if (p && !p->isVirtual()) items_.emplace_back(i, p->value);
            }
            return;
        }
        std::vector<std::string> names;
        self->ownNames(names);
        for (const std::string& name : names) {
            auto index = ArrayObject::indexOf(name);
            if (!index || *index < from || *index >= to) continue;
            Property* p = self->findOwn(name);
            if (p && !p->isVirtual()) items_.emplace_back(*index, p->value);
        }
        std::sort(items_.begin(), items_.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
    }

    Value at(uint32_t index) const {
        auto it = std::lower_bound(items_.begin(), items_.end(), index,
                                   [](const auto& item, uint32_t i) { return item.first < i; });
        return it != items_.end() && it->first == index ? it->second : Value();
    }

  private:
    std::vector<std::pair<uint32_t, Value>> items_;
};

// Stores `count` elements in order (the k-th at indexAt(k)), which together make up all of
// [from, newLength), after deleting the elements of [from, oldEnd): the player deletes them
// all and stores them again, so the stored ones come last in enumeration order, in the order
// stored, and lose their flags; those that may not be deleted stay where they were. When the
// elements are already the last own properties in that order, plain and with no holes before
// new ones, overwriting them in place gives the same and spares deleting each one.
void rewrite(Machine& m, Object* self, uint32_t from, uint32_t oldEnd, uint32_t newLength,
             uint32_t count, const std::function<uint32_t(uint32_t)>& indexAt,
             const std::function<Value(uint32_t)>& valueAt) {
    charge(m, count);
    bool inPlace = true;
    std::vector<uint32_t> reused;  // elements deleted and stored again, in storing order
    bool madeNew = false;
    for (uint32_t k = 0; k < count && inPlace; ++k) {
        uint32_t index = indexAt(k);
        Property* p = self->findOwn(nameOf(index));
        if (!p) {
            madeNew = true;
        } else if (!(p->flags & kDontDelete) && index < oldEnd) {
            if (p->flags != 0 || p->isVirtual() || madeNew) inPlace = false;
            reused.push_back(index);
        }
    }
    // Every place stored is deleted first. Only deleted for good: the elements of
    // [newLength, oldEnd) of an array; an object that is not one keeps them.
    oldEnd = dynamic_cast<ArrayObject*>(self) ? std::max(oldEnd, newLength) : newLength;
    uint32_t dropFrom = std::max(from, newLength);
    auto dropped = [&](const std::string& name) {
        auto index = ArrayObject::indexOf(name);
        if (!index || *index < dropFrom || *index >= oldEnd) return false;
        Property* p = self->findOwn(name);
        return p && !(p->flags & kDontDelete);
    };
    if (inPlace && !reused.empty()) {
        std::vector<std::string> names;
        self->ownNames(names);
        size_t matched = 0;
        for (auto it = names.rbegin(); it != names.rend() && matched < reused.size(); ++it) {
            if (dropped(*it)) continue;
            if (*it != nameOf(reused[reused.size() - 1 - matched])) break;
            ++matched;
        }
        inPlace = matched == reused.size();
    }
    ArrayObject::deleteElements(*self, inPlace ? dropFrom : from, oldEnd);
    for (uint32_t k = 0; k < count; ++k) storeElement(self, indexAt(k), valueAt(k));
    storeArrayLength(m, self, newLength);
}

// Removes `deleteCount` elements at `start` and puts `items` there; returns the removed ones.
ArrayObject* replace(Machine& m, Object* self, uint32_t length, uint32_t start,
                     uint32_t deleteCount, std::span<const Value> items) {
    uint32_t inserted = static_cast<uint32_t>(items.size());
    uint64_t newLength = uint64_t{length} - deleteCount + inserted;
    checkCount(newLength);
    Elements old(m, self, start, length);
    charge(m, deleteCount);
    ArrayObject* removed = m.newArray();
    for (uint32_t i = 0; i < deleteCount; ++i) removed->setAt(i, old.at(start + i));
    // The elements after the gap move first, from the far end when they move up; then the
    // new items, in order.
    uint32_t tailFrom = start + deleteCount;
    uint32_t tailCount = length - tailFrom;
    bool up = inserted > deleteCount;
    auto tailSource = [&](uint32_t k) { return up ? length - 1 - k : tailFrom + k; };
    rewrite(
        m, self, start, length, static_cast<uint32_t>(newLength), tailCount + inserted,
        [&](uint32_t k) {
            return k < tailCount ? tailSource(k) - deleteCount + inserted : start + k - tailCount;
        },
        [&](uint32_t k) { return k < tailCount ? old.at(tailSource(k)) : items[k - tailCount]; });
    return removed;
}

// A start or end argument: negative counts from the end; the result is within [0, length].
uint32_t position(Machine& m, const Value& value, uint32_t length) {
    double n = toInteger(m.toNumber(value));
    if (n < 0) n = std::max(0.0, n + length);
    return static_cast<uint32_t>(std::min<double>(n, length));
}

std::string join(Machine& m, Object* self, const std::string& separator) {
    uint32_t length = walkLength(m, self);
    Elements elements(m, self, 0, length);
    charge(m, length);
    std::string out;
    for (uint32_t i = 0; i < length; ++i) {
        if (i > 0) appendText(out, separator, m.swfVersion());
        appendText(out, m.toString(elements.at(i)), m.swfVersion());
        Machine::checkLength(out.size());
    }
    return out;
}

// ---- sorting

// One element's key for one field, by that field's flags. NUMERIC orders two numbers by
// value; any other pair, even under NUMERIC, is compared as text.
struct SortKey {
    std::string text;
    double number = 0;
    bool isNumber = false;
};

SortKey keyOf(Machine& m, const Value& value, int32_t flags) {
    SortKey key;
    key.isNumber = (flags & kNumeric) && value.isNumber();
    if (key.isNumber) key.number = value.asNumber();
    key.text = m.toString(value);
    if (flags & kCaseInsensitive)
        for (char& c : key.text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

int compareKeys(const SortKey& a, const SortKey& b) {
    int c;
    if (a.isNumber && b.isNumber) {
        // NaN after every number, equal to itself.
        bool an = std::isnan(a.number), bn = std::isnan(b.number);
        c = an || bn ? (an ? 1 : 0) - (bn ? 1 : 0) : (a.number > b.number) - (a.number < b.number);
    } else {
        int r = a.text.compare(b.text);
        c = (r > 0) - (r < 0);
    }
    return c;
}

// The player's sort of 0..count-1, a quicksort in place: each range takes its first element
// as the pivot, asks compare(pivot, element) for every element of the range, the pivot itself
// included (that answer is not used), and moves those the pivot is greater than before it.
// Equal and inconsistent answers decide the order as they do in the player. Ranges wait on a
// stack, so sorted input costs time but no depth. Reports whether two elements compared equal.
std::vector<uint32_t> quickSort(uint32_t count,
                                const std::function<int(uint32_t, uint32_t)>& compare,
                                bool& sawEqual) {
    std::vector<uint32_t> order(count);
    for (uint32_t i = 0; i < count; ++i) order[i] = i;
    sawEqual = false;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;
    if (count > 1) ranges.emplace_back(0, count - 1);
    while (!ranges.empty()) {
        auto [lo, hi] = ranges.back();
        ranges.pop_back();
        uint32_t pivot = order[lo];
        compare(pivot, pivot);
        uint32_t last = lo;
        for (uint32_t i = lo + 1; i <= hi; ++i) {
            int c = compare(pivot, order[i]);
            if (c == 0) sawEqual = true;
            if (c > 0) std::swap(order[++last], order[i]);
        }
        std::swap(order[lo], order[last]);
        if (last + 1 < hi) ranges.emplace_back(last + 1, hi);
        if (last > lo + 1) ranges.emplace_back(lo, last - 1);
    }
    return order;
}

// Sorts by `compare` and answers as sort and sortOn do: 0 when UNIQUESORT finds two equal
// elements (`unique` false ignores the flag), the index array for RETURNINDEXEDARRAY (both
// leave the array as it was), else the array, sorted. DESCENDING reverses the ascending
// order, so equal elements come out in reverse too.
Value finishSort(Machine& m, Object* self, const std::vector<Value>& values, int32_t flags,
                 const std::function<int(uint32_t, uint32_t)>& compare, bool unique = true) {
    uint32_t count = static_cast<uint32_t>(values.size());
    bool sawEqual = false;
    std::vector<uint32_t> order = quickSort(count, compare, sawEqual);
    if (unique && (flags & kUniqueSort) && sawEqual) return Value(0);
    if (flags & kDescending) std::reverse(order.begin(), order.end());
    if (flags & kReturnIndexedArray) {
        charge(m, count);
        ArrayObject* indexes = m.newArray();
        for (uint32_t i = 0; i < count; ++i)
            indexes->setAt(i, Value(static_cast<double>(order[i])));
        return Value(static_cast<Object*>(indexes));
    }
    // Only the places whose element moved are stored again (deleted first, so they come last
    // in enumeration order, in index order); the length is left as it is.
    charge(m, count);
    for (uint32_t k = 0; k < count; ++k)
        if (order[k] != k) restoreElement(self, k, values[order[k]]);
    return Value(self);
}

std::vector<Value> sortValues(Machine& m, Object* self) {
    uint32_t length = walkLength(m, self);
    Elements elements(m, self, 0, length);
    charge(m, length);
    std::vector<Value> values;
    values.reserve(length);
    for (uint32_t i = 0; i < length; ++i) values.push_back(elements.at(i));
    return values;
}

// sort(), sort(flags), sort(compareFunction), sort(compareFunction, flags). Any object first
// is the compare function (one that cannot be called finds every pair equal); a lone
// undefined sorts nothing and answers undefined.
Value sort(Machine& m, Object* self, std::span<const Value> args) {
    if (!self) return Value();
    if (args.size() == 1 && args[0].isUndefined()) return Value();
    Value compareFunction;
    size_t flagsAt = 0;
    if (arg(args, 0).isObject()) {
        compareFunction = arg(args, 0);
        flagsAt = 1;
    } else if (arg(args, 0).isNullish()) {
        flagsAt = 1;
    }
    int32_t flags = m.toInt32(arg(args, flagsAt));
    std::vector<Value> values = sortValues(m, self);
    if (!compareFunction.isUndefined()) {
        // UNIQUESORT does not apply to a compare function's order.
        return finishSort(
            m, self, values, flags,
            [&](uint32_t a, uint32_t b) {
                // Each call counts against the action list's bound, native functions too.
                m.chargeAction();
                Value pair[2] = {values[a], values[b]};
                double r = m.toNumber(m.call(compareFunction, nullptr, pair));
                return (r > 0) - (r < 0);
            },
            false);
    }
    std::vector<SortKey> keys;
    keys.reserve(values.size());
    for (const Value& v : values) keys.push_back(keyOf(m, v, flags));
    return finishSort(m, self, values, flags,
                      [&](uint32_t a, uint32_t b) { return compareKeys(keys[a], keys[b]); });
}

// sortOn(name or [names], flags or [flags per name]).
Value sortOn(Machine& m, Object* self, std::span<const Value> args) {
    if (!self || args.empty()) return Value();
    std::vector<std::string> fields;
    // Any object is a list of names, its length and elements read as an array's.
    if (Object* list = m.liveObject(args[0].asObject())) {
        uint32_t count = walkLength(m, list);
        Elements names(m, list, 0, count);
        for (uint32_t i = 0; i < count; ++i) fields.push_back(m.toString(names.at(i)));
    } else {
        fields.push_back(m.toString(args[0]));
    }
    // Flags per field when an array of as many is given; else the same for every field.
    std::vector<int32_t> fieldFlags(fields.size(), 0);
    int32_t flags = 0;
    if (auto* list = dynamic_cast<ArrayObject*>(arg(args, 1).asObject())) {
        if (list->length() == fields.size()) {
            for (uint32_t i = 0; i < list->length(); ++i) fieldFlags[i] = m.toInt32(list->at(i));
            if (!fieldFlags.empty()) flags = fieldFlags[0];
        }
    } else {
        flags = m.toInt32(arg(args, 1));
        std::fill(fieldFlags.begin(), fieldFlags.end(), flags);
    }
    std::vector<Value> values = sortValues(m, self);
    checkCount(uint64_t{values.size()} * std::max<size_t>(fields.size(), 1));
    charge(m, uint64_t{values.size()} * fields.size());
    std::vector<std::vector<SortKey>> keys(fields.size());
    for (size_t f = 0; f < fields.size(); ++f) {
        keys[f].reserve(values.size());
        for (const Value& v : values)
            keys[f].push_back(keyOf(m, m.get(v, fields[f]), fieldFlags[f]));
    }
    // Unlike sort's, each field's DESCENDING turns that field's comparisons round: elements
    // equal on every field keep their places.
    return finishSort(m, self, values, flags & ~kDescending, [&](uint32_t a, uint32_t b) {
        for (size_t f = 0; f < fields.size(); ++f)
            if (int c = compareKeys(keys[f][a], keys[f][b]))
                return fieldFlags[f] & kDescending ? -c : c;
        return 0;
    });
}

Value arrayPush(Machine& m, Object* self, std::span<const Value> args) {
    if (!self) return Value();
    uint32_t length = walkLength(m, self);
    checkCount(uint64_t{length} + args.size());
    for (uint32_t i = 0; i < args.size(); ++i) storeElement(self, length + i, args[i]);
    uint32_t newLength = length + static_cast<uint32_t>(args.size());
    storeLength(m, self, newLength);
    return Value(static_cast<double>(newLength));
}

Value arrayPop(Machine& m, Object* self, std::span<const Value>) {
    if (!self) return Value();
    uint32_t length = walkLength(m, self);
    if (length == 0) return Value();
    Value last = element(self, length - 1);
    self->deleteOwn(nameOf(length - 1));
    storeArrayLength(m, self, length - 1);
    return last;
}

Value arrayShift(Machine& m, Object* self, std::span<const Value>) {
    if (!self) return Value();
    uint32_t length = walkLength(m, self);
    if (length == 0) return Value();
    return replace(m, self, length, 0, 1, {})->at(0);
}

Value arrayUnshift(Machine& m, Object* self, std::span<const Value> args) {
    if (!self) return Value();
    uint32_t length = walkLength(m, self);
    replace(m, self, length, 0, 0, args);
    return Value(static_cast<double>(length + args.size()));
}

Value arraySplice(Machine& m, Object* self, std::span<const Value> args) {
    if (!self || args.empty()) return Value();
    uint32_t length = walkLength(m, self);
    uint32_t start = position(m, args[0], length);
    uint32_t deleteCount = length - start;
    if (args.size() > 1) {
        double n = toInteger(m.toNumber(args[1]));
        // A negative count is refused whole: nothing removed, nothing inserted.
        if (n < 0) return Value();
        deleteCount = static_cast<uint32_t>(std::clamp<double>(n, 0, deleteCount));
    }
    std::span<const Value> items = args.size() > 2 ? args.subspan(2) : std::span<const Value>();
    // Every place of the result is stored, holes before the change included, each where it
    // stands (no change to enumeration order); then the length, on any object.
    uint64_t newLength = uint64_t{length} - deleteCount + items.size();
    checkCount(newLength);
    Elements old(m, self, 0, length);
    charge(m, newLength + deleteCount);
    ArrayObject* removed = m.newArray();
    for (uint32_t i = 0; i < deleteCount; ++i) removed->setAt(i, old.at(start + i));
    auto inserted = static_cast<uint32_t>(items.size());
    for (uint32_t k = 0; k < newLength; ++k) {
        if (k < start)
            storeElement(self, k, old.at(k));
        else if (k < start + inserted)
            storeElement(self, k, items[k - start]);
        else
            storeElement(self, k, old.at(k - inserted + deleteCount));
    }
    storeLength(m, self, static_cast<uint32_t>(newLength));
    return Value(static_cast<Object*>(removed));
}

Value arraySlice(Machine& m, Object* self, std::span<const Value> args) {
    ArrayObject* result = m.newArray();
    if (!self) return Value(static_cast<Object*>(result));
    uint32_t length = walkLength(m, self);
    uint32_t start = position(m, arg(args, 0), length);
    // A missing or undefined end is the length; null is 0.
    uint32_t end = arg(args, 1).isUndefined() ? length : position(m, args[1], length);
    end = std::max(start, end);
    Elements elements(m, self, start, end);
    charge(m, end - start);
    for (uint32_t i = start; i < end; ++i) result->setAt(i - start, elements.at(i));
    return Value(static_cast<Object*>(result));
}

Value arrayConcat(Machine& m, Object* self, std::span<const Value> args) {
    ArrayObject* result = m.newArray();
    uint64_t next = 0;
    auto append = [&](Object* from, uint32_t length) {
        checkCount(next + length);
        Elements elements(m, from, 0, length);
        charge(m, length);
        for (uint32_t i = 0; i < length; ++i)
            result->setAt(static_cast<uint32_t>(next++), elements.at(i));
    };
    if (self) append(self, walkLength(m, self));
    // Arrays among the arguments give their elements, one level deep.
    for (const Value& v : args) {
        if (auto* array = dynamic_cast<ArrayObject*>(v.asObject())) {
            append(array, walkLength(m, array));
        } else {
            checkCount(next + 1);
            result->setAt(static_cast<uint32_t>(next++), v);
        }
    }
    return Value(static_cast<Object*>(result));
}

Value arrayJoin(Machine& m, Object* self, std::span<const Value> args) {
    if (!self) return Value();
    std::string separator = arg(args, 0).isUndefined() ? "," : m.toString(args[0]);
    return Value(join(m, self, separator));
}

Value arrayToString(Machine& m, Object* self, std::span<const Value>) {
    if (!self) return Value();
    return Value(join(m, self, ","));
}

Value arrayReverse(Machine& m, Object* self, std::span<const Value>) {
    if (!self) return Value();
    uint32_t length = walkLength(m, self);
    Elements elements(m, self, 0, length);
    charge(m, length);
    // Pairs swap from the ends inwards, each place deleted and stored again; the middle
    // one stays where it is.
    for (uint32_t i = 0; i < length / 2; ++i) {
        uint32_t j = length - 1 - i;
        restoreElement(self, i, elements.at(j));
        restoreElement(self, j, elements.at(i));
    }
    return Value(self);
}

Value arrayConstruct(Machine& m, Object* self, std::span<const Value> args) {
    auto* array = m.constructing() ? dynamic_cast<ArrayObject*>(self) : nullptr;
    if (!array) array = m.newArray();
    if (args.size() == 1 && args[0].isNumber()) {
        array->setLength(m, toInt32(args[0].asNumber()));
    } else {
        for (uint32_t i = 0; i < args.size(); ++i) array->setAt(i, args[i]);
    }
    return Value(static_cast<Object*>(array));
}

Object* makeArray(Machine& m, Object* prototype) {
    return m.heap().make<ArrayObject>(prototype);
}

using native::constant;
using native::method;

constexpr NativeMember kArrayStatics[] = {
    constant("CASEINSENSITIVE", kCaseInsensitive),
    constant("DESCENDING", kDescending),
    constant("UNIQUESORT", kUniqueSort),
    constant("RETURNINDEXEDARRAY", kReturnIndexedArray),
    constant("NUMERIC", kNumeric),
};

constexpr NativeMember kArrayMethods[] = {
    method("push", arrayPush),
    method("pop", arrayPop),
    method("shift", arrayShift),
    method("unshift", arrayUnshift),
    method("splice", arraySplice),
    method("slice", arraySlice),
    method("concat", arrayConcat),
    method("join", arrayJoin),
    method("toString", arrayToString),
    method("reverse", arrayReverse),
    method("sort", sort),
    method("sortOn", sortOn),
};

}  // namespace

void installArrayClass(Machine& m) {
    // The prototype is a plain object: it has no length of its own.
    Object* proto = m.newObject();
    m.prototypes().array = proto;
    // Array(n) and new Array(n) make n holes; any other arguments are the elements. Called as
    // a function it makes a new array too, whatever `this` is.
    installClass(m, m.global(), proto,
                 {"Array", arrayConstruct, makeArray, {252, 0}, kArrayStatics, kArrayMethods});
}

}  // namespace swf::avm1
