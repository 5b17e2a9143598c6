// Vector.<T>: the generic and its classes for each element type (made on first use by
// applytype), with the methods that add, remove or make elements checking the type and the
// fixed length; the methods that only read or reorder are Array's.
#include <cctype>
#include <cmath>
#include <map>
#include <memory>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/LanguageClasses.h"
#include "swf/avm2/Machine.h"
#include "swf/avm2/VectorObject.h"

namespace swf::avm2 {

void VectorObject::trace(Marker& marker) const {
    ArrayObject::trace(marker);
    marker.mark(static_cast<Object*>(elementType));
}

namespace {

[[noreturn]] void outOfRange(Machine& m, double index, size_t length) {
    m.throwError("RangeError", 1125, "The index " + numberToString(index) + " is out of range " +
                                         std::to_string(length) + ".");
}

[[noreturn]] void fixedLength(Machine& m) {
    m.throwError("RangeError", 1126, "Cannot change the length of a fixed Vector.");
}

Value coerceElement(Machine& m, const VectorObject& v, const Value& value) {
    return v.elementType ? m.coerceTo(value, v.elementType) : value;
}

bool isNumeric(Machine& m, const VectorObject& v) {
    const Machine::Builtins& b = m.builtins();
    return v.elementType == b.intClass || v.elementType == b.uintClass || v.elementType == b.number;
}

Value defaultElement(Machine& m, const VectorObject& v) {
    // Only the numeric vectors have elements of their own kind; the rest hold objects.
    if (isNumeric(m, v)) return Value::number(0);
    return Value::null();
}

void resize(Machine& m, VectorObject& v, double length) {
    if (length > static_cast<double>(ArrayObject::kMaxLength)) throw ScriptLimitError("Error #1000: The system is out of memory.");
    v.items.resize(static_cast<size_t>(length), defaultElement(m, v));
}

VectorObject& thisVector(Machine& m, const Value& self) {
    auto* v = dynamic_cast<VectorObject*>(self.asObject());
    if (!v) m.throwError("TypeError", 1034, "Type Coercion failed: cannot convert " + m.describeForError(self) + " to Vector.");
    return *v;
}

VectorObject* sameKind(Machine& m, const VectorObject& of) {
    ClassObject* cls = of.classObject();
    auto* v = m.heap().make<VectorObject>(cls, cls->prototype);
    v->setTraits(cls->instanceTraits.get());
    v->setDynamic(false);
    v->elementType = of.elementType;
    return v;
}

void installMethods(Machine& m, Object* p) {
    for (const char* shared : {"indexOf", "lastIndexOf", "every", "some", "forEach", "reverse", "sort"}) {
        if (Value* f = m.builtins().array->prototype->findOwn(shared)) {
            p->setOwn(shared, *f);
            p->setEnumerable(shared, false);
        }
    }
    // Unlike Array's, null and undefined elements print as words.
    auto join = [](Machine& m, const Value& self, const std::string& separator, bool locale = false) {
        VectorObject& v = thisVector(m, self);
        std::string out;
        for (size_t i = 0; i < v.items.size(); ++i) {
            if (i) out += separator;
            out += locale ? localeString(m, v.items[i]) : m.toString(v.items[i]);
            if (out.size() > Machine::kMaxStringLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
        }
        return Value::string(out);
    };
    m.defineMethod(p, "join", [join](Machine& m, const Value& self, std::span<const Value> args) {
        return join(m, self, argAt(args, 0).isUndefined() ? "," : m.toString(args[0]));
    }, 1);
    m.defineMethod(p, "toString", [join](Machine& m, const Value& self, std::span<const Value>) { return join(m, self, ","); });
    m.defineMethod(p, "toLocaleString", [join](Machine& m, const Value& self, std::span<const Value>) {
        return join(m, self, ",", true);
    });
    m.defineMethod(p, "insertAt", [](Machine& m, const Value& self, std::span<const Value> args) {
        VectorObject& v = thisVector(m, self);
        if (v.fixed) fixedLength(m);
        if (v.items.size() >= ArrayObject::kMaxLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
        size_t at = relativePosition(m, args, 0, v.items.size(), 0);
        v.items.insert(v.items.begin() + static_cast<std::ptrdiff_t>(at), coerceElement(m, v, argAt(args, 1)));
        return Value();
    }, 2);
    m.defineMethod(p, "removeAt", [](Machine& m, const Value& self, std::span<const Value> args) {
        VectorObject& v = thisVector(m, self);
        if (v.fixed) fixedLength(m);
        double d = std::trunc(m.toNumber(argAt(args, 0)));
        if (d < 0) d = std::max(0.0, d + static_cast<double>(v.items.size()));
        if (!(d >= 0 && d < static_cast<double>(v.items.size()))) outOfRange(m, m.toNumber(argAt(args, 0)), v.items.size());
        Value out = v.items[static_cast<size_t>(d)];
        v.items.erase(v.items.begin() + static_cast<std::ptrdiff_t>(d));
        return out;
    }, 1);
    m.defineMethod(p, "push", [](Machine& m, const Value& self, std::span<const Value> args) {
        VectorObject& v = thisVector(m, self);
        if (v.fixed) fixedLength(m);
        for (const Value& a : args) {
            if (v.items.size() >= ArrayObject::kMaxLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
            v.items.push_back(coerceElement(m, v, a));
        }
        return Value::number(static_cast<double>(v.items.size()));
    }, 1);
    m.defineMethod(p, "unshift", [](Machine& m, const Value& self, std::span<const Value> args) {
        VectorObject& v = thisVector(m, self);
        if (v.fixed) fixedLength(m);
        if (v.items.size() + args.size() > ArrayObject::kMaxLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
        std::vector<Value> front;
        for (const Value& a : args) front.push_back(coerceElement(m, v, a));
        v.items.insert(v.items.begin(), front.begin(), front.end());
        return Value::number(static_cast<double>(v.items.size()));
    }, 1);
    auto takeEnd = [](bool first) {
        return [first](Machine& m, const Value& self, std::span<const Value>) {
            VectorObject& v = thisVector(m, self);
            if (v.fixed) fixedLength(m);
            if (v.items.empty()) return isNumeric(m, v) ? Value::number(0) : Value();
            Value out = first ? v.items.front() : v.items.back();
            if (first) v.items.erase(v.items.begin());
            else v.items.pop_back();
            return out;
        };
    };
    m.defineMethod(p, "pop", takeEnd(false));
    m.defineMethod(p, "shift", takeEnd(true));
    m.defineMethod(p, "concat", [](Machine& m, const Value& self, std::span<const Value> args) {
        VectorObject& v = thisVector(m, self);
        VectorObject* out = sameKind(m, v);
        out->items = v.items;
        for (const Value& a : args) {
            // A vector of objects joins any other, its elements coerced one by one; a vector
            // of numbers only its own kind (a Vector.<uint> is no Vector.<int>).
            auto* other = dynamic_cast<VectorObject*>(a.asObject());
            const Machine::Builtins& b = m.builtins();
            auto ofNumbers = [&b](const VectorObject& w) {
                return w.elementType == b.intClass || w.elementType == b.uintClass || w.elementType == b.number;
            };
            bool joins = other && (other->classObject() == v.classObject() || (!ofNumbers(v) && !ofNumbers(*other)));
            if (!joins) m.throwError("TypeError", 1034, "Type Coercion failed: cannot convert " + m.describeForError(a) + " to " + v.classObject()->name + ".");
            for (const Value& item : other->items) out->items.push_back(coerceElement(m, v, item));
            if (out->items.size() > ArrayObject::kMaxLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
        }
        return Value::object(out);
    }, 1);
    m.defineMethod(p, "slice", [](Machine& m, const Value& self, std::span<const Value> args) {
        VectorObject& v = thisVector(m, self);
        size_t a = relativePosition(m, args, 0, v.items.size(), 0);
        size_t b = relativePosition(m, args, 1, v.items.size(), static_cast<double>(v.items.size()));
        VectorObject* out = sameKind(m, v);
        if (b > a) out->items.assign(v.items.begin() + static_cast<std::ptrdiff_t>(a), v.items.begin() + static_cast<std::ptrdiff_t>(b));
        return Value::object(out);
    }, 2);
    m.defineMethod(p, "splice", [](Machine& m, const Value& self, std::span<const Value> args) {
        VectorObject& v = thisVector(m, self);
        size_t start = relativePosition(m, args, 0, v.items.size(), 0);
        double count = args.size() < 2 ? static_cast<double>(v.items.size() - start) : m.toNumber(args[1]);
        if (std::isnan(count) || count < 0) count = 0;
        size_t n = static_cast<size_t>(std::min(count, static_cast<double>(v.items.size() - start)));
        size_t inserted = args.size() > 2 ? args.size() - 2 : 0;
        if (v.fixed && inserted != n) fixedLength(m);
        VectorObject* removed = sameKind(m, v);
        auto at = v.items.begin() + static_cast<std::ptrdiff_t>(start);
        removed->items.assign(at, at + static_cast<std::ptrdiff_t>(n));
        std::vector<Value> add;
        for (size_t i = 2; i < args.size(); ++i) add.push_back(coerceElement(m, v, args[i]));
        v.items.erase(at, at + static_cast<std::ptrdiff_t>(n));
        v.items.insert(v.items.begin() + static_cast<std::ptrdiff_t>(start), add.begin(), add.end());
        return Value::object(removed);
    }, 2);
    auto eachInto = [](bool keepItem) {
        return [keepItem](Machine& m, const Value& self, std::span<const Value> args) {
            VectorObject& v = thisVector(m, self);
            Value callback = callbackArgument(m, args, v.classObject()->name + (keepItem ? "/filter" : "/map"));
            VectorObject* out = sameKind(m, v);
            for (size_t i = 0; !callback.isNullish() && i < v.items.size(); ++i) {
                Value item = v.items[i];
                Value callArgs[3] = {item, Value::number(static_cast<double>(i)), self};
                Value r = m.call(callback, argAt(args, 1), callArgs);
                if (!keepItem) out->items.push_back(coerceElement(m, v, r));
                else if (Machine::toBoolean(r)) out->items.push_back(item);
            }
            return Value::object(out);
        };
    };
    m.defineMethod(p, "filter", eachInto(true), 1);
    m.defineMethod(p, "map", eachInto(false), 1);
}

// The class of vectors of `element` (null for any type).
ClassObject* specialize(Machine& m, ClassObject* element) {
    std::string name = "Vector.<" + (element ? element->name : std::string("*")) + ">";
    ClassObject* cls = m.defineClass("__AS3__.vec", name, m.builtins().object);
    cls->sealed = true;
    cls->setOwn("length", Value::number(1));
    auto make = [cls, element](Machine& m, double length, bool fixed) {
        auto* v = m.heap().make<VectorObject>(cls, cls->prototype);
        v->setTraits(cls->instanceTraits.get());
        v->setDynamic(false);
        v->elementType = element;
        resize(m, *v, length);
        v->fixed = fixed;
        return v;
    };
    cls->construct = [make](Machine& m, std::span<const Value> args) {
        double length = args.empty() ? 0 : m.toUint(args[0]);
        return Value::object(make(m, length, Machine::toBoolean(argAt(args, 1))));
    };
    cls->call = [make, cls](Machine& m, const Value&, std::span<const Value> args) {
        if (args.size() != 1)
            m.throwError("ArgumentError", 1112, "Argument count mismatch on class coercion.  Expected 1, got " +
                                                    std::to_string(args.size()) + ".");
        Object* o = args[0].asObject();
        if (auto* same = dynamic_cast<VectorObject*>(o); same && same->classObject() == cls) return args[0];
        ArrayObject* from = o ? o->asArray() : nullptr;
        if (!from) m.throwError("TypeError", 1034, "Type Coercion failed: cannot convert " + m.describeForError(args[0]) + " to " + cls->name + ".");
        VectorObject* v = make(m, 0, false);
        for (const Value& item : from->items) v->items.push_back(coerceElement(m, *v, item));
        return Value::object(v);
    };
    m.defineAccessor(cls, "length",
        [](Machine& m, const Value& self, std::span<const Value>) {
            return Value::number(static_cast<double>(thisVector(m, self).items.size()));
        },
        [](Machine& m, const Value& self, std::span<const Value> args) {
            VectorObject& v = thisVector(m, self);
            if (v.fixed) fixedLength(m);
            resize(m, v, m.toUint(argAt(args, 0)));
            return Value();
        });
    m.defineAccessor(cls, "fixed",
        [](Machine& m, const Value& self, std::span<const Value>) { return Value::boolean(thisVector(m, self).fixed); },
        [](Machine& m, const Value& self, std::span<const Value> args) {
            thisVector(m, self).fixed = Machine::toBoolean(argAt(args, 0));
            return Value();
        });
    installMethods(m, cls->prototype);
    return cls;
}

}  // namespace

Value vectorLoad(Machine& m, VectorObject& vector, uint32_t index) {
    if (index >= vector.items.size()) outOfRange(m, index, vector.items.size());
    return vector.items[index];
}

void vectorRefuseNumber(Machine& m, VectorObject& vector, const Name& name) {
    if (name.local.empty() || name.attribute || !name.isPublic(m.namespaces())) return;
    if (std::isspace(static_cast<unsigned char>(name.local.front())) || std::isspace(static_cast<unsigned char>(name.local.back())))
        return;
    double d = stringToNumber(name.local);
    if (!std::isnan(d)) outOfRange(m, d, vector.items.size());
}

void vectorStore(Machine& m, VectorObject& vector, uint32_t index, const Value& value) {
    if (index > vector.items.size() || (index == vector.items.size() && vector.fixed))
        outOfRange(m, index, vector.items.size());
    Value stored = coerceElement(m, vector, value);
    if (index == vector.items.size()) {
        if (index >= ArrayObject::kMaxLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
        vector.items.push_back(stored);
    } else {
        vector.items[index] = stored;
    }
}

void installVectorClasses(Machine& m) {
    ClassObject* generic = m.defineClass("__AS3__.vec", "Vector", m.builtins().object);
    generic->sealed = true;
    auto made = std::make_shared<std::map<ClassObject*, ClassObject*>>();
    generic->applyType = [made](Machine& m, std::span<const Value> params) {
        if (params.size() != 1)
            m.throwError("TypeError", 1128, "Incorrect number of type parameters for Vector, expected 1, got " +
                                                std::to_string(params.size()) + ".");
        Object* o = params[0].asObject();
        ClassObject* element = o ? o->asClass() : nullptr;
        if (!element && !params[0].isNullish())
            m.throwError("TypeError", 1034, "Type Coercion failed: cannot convert " + m.describeForError(params[0]) + " to Class.");
        ClassObject*& cls = (*made)[element];
        if (!cls) cls = specialize(m, element);
        return Value::object(cls);
    };
}

}  // namespace swf::avm2
