// The machine's conversions and comparisons of values, as the language defines them.
#include <cmath>

#include "swf/avm2/Machine.h"
#include "swf/avm2/Utf16.h"
#include "swf/avm2/XmlAccess.h"

namespace swf::avm2 {

Value Machine::toPrimitive(const Value& v, bool stringHint) {
    Object* o = v.asObject();
    if (!o) return v;
    const char* order[2] = {"valueOf", "toString"};
    if (stringHint) std::swap(order[0], order[1]);
    for (const char* method : order) {
        Name name = Name::qualified(namespaces_.publicNs(), method);
        bool found = false;
        Value f = getOnObject(o, v, name, found);
        if (!found) f = getOnObject(o, v, Name::qualified(namespaces_.as3(), method), found);
        if (found && f.isObject() && (f.asObject()->asFunction() || f.asObject()->asClass())) {
            Value result = call(f, v, {});
            if (!result.isObject()) return result;
        }
    }
    throwError("TypeError", 1050, "Cannot convert " + describeForError(v) + " to primitive.");
}

double Machine::toNumber(const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Undefined: return NAN;
        case Value::Kind::Null: return 0;
        case Value::Kind::Boolean: return v.asBoolean() ? 1 : 0;
        case Value::Kind::Number: return v.asNumber();
        case Value::Kind::String: return stringToNumber(v.asString());
        case Value::Kind::Object: return toNumber(toPrimitive(v, false));
    }
    return NAN;
}

std::string Machine::toString(const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Undefined: return "undefined";
        case Value::Kind::Null: return "null";
        case Value::Kind::Boolean: return v.asBoolean() ? "true" : "false";
        case Value::Kind::Number: return numberToString(v.asNumber());
        case Value::Kind::String: return v.asString();
        case Value::Kind::Object: return toString(toPrimitive(v, true));
    }
    return "";
}

bool Machine::toBoolean(const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Undefined:
        case Value::Kind::Null: return false;
        case Value::Kind::Boolean: return v.asBoolean();
        case Value::Kind::Number: return v.asNumber() != 0 && !std::isnan(v.asNumber());
        case Value::Kind::String: return !v.asString().empty();
        case Value::Kind::Object: return true;
    }
    return false;
}

Value Machine::coerceString(const Value& v) {
    if (v.isNullish()) return Value::null();
    if (v.isString()) return v;
    return Value::string(toString(v));
}

ClassObject* Machine::classOf(const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Boolean: return builtins_.boolean;
        case Value::Kind::Number:
            if (isIntValue(v.asNumber())) return builtins_.intClass;
            if (isUintValue(v.asNumber())) return builtins_.uintClass;
            return builtins_.number;
        case Value::Kind::String: return builtins_.string;
        case Value::Kind::Object: {
            Object* o = v.asObject();
            if (o->asClass()) return builtins_.classClass;
            return o->classObject() ? o->classObject() : builtins_.object;
        }
        default: return builtins_.object;
    }
}

std::string Machine::typeOf(const Value& v) {
    if (Object* o = v.asObject()) {
        if (o->asFunction()) return "function";
        if (o->classObject() && o->classObject()->name == "XML") return "xml";
        if (o->classObject() && o->classObject()->name == "XMLList") return "xml";
        return "object";
    }
    return primitiveTypeName(v);
}

bool Machine::isType(const Value& v, ClassObject* type) {
    if (!type) return true;
    if (v.isNullish()) return false;
    if (type == builtins_.object) return true;
    if (v.isNumber()) {
        double d = v.asNumber();
        if (type == builtins_.number) return true;
        if (type == builtins_.intClass) return isIntValue(d);
        if (type == builtins_.uintClass) return isUintValue(d);
        return false;
    }
    return classOf(v)->isSubclassOf(type);
}

Value Machine::coerceToSlot(SlotType type, const Value& v) {
    switch (type) {
        case SlotType::Int: return Value::number(toInt(v));
        case SlotType::UInt: return Value::number(toUint(v));
        case SlotType::Number: return Value::number(toNumber(v));
        case SlotType::Boolean: return Value::boolean(toBoolean(v));
        case SlotType::String: return coerceString(v);
        // A slot of a class type holds null where undefined is stored.
        case SlotType::Object: return v.isUndefined() ? Value::null() : v;
        default: return v;
    }
}

Value Machine::coerceTo(const Value& v, ClassObject* type) {
    if (!type) return v;
    if (type == builtins_.intClass) return Value::number(toInt(v));
    if (type == builtins_.uintClass) return Value::number(toUint(v));
    if (type == builtins_.number) return Value::number(toNumber(v));
    if (type == builtins_.boolean) return Value::boolean(toBoolean(v));
    if (type == builtins_.string) return coerceString(v);
    if (type == builtins_.object) return v.isUndefined() ? Value::null() : v;
    if (v.isNullish()) return Value::null();
    if (isType(v, type)) return v;
    throwError("TypeError", 1034,
               "Type Coercion failed: cannot convert " + describeForError(v) + " to " + type->name + ".");
}

bool Machine::strictEquals(const Value& a, const Value& b) {
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
        case Value::Kind::Undefined:
        case Value::Kind::Null: return true;
        case Value::Kind::Boolean: return a.asBoolean() == b.asBoolean();
        case Value::Kind::Number: return a.asNumber() == b.asNumber();
        case Value::Kind::String: return a.asString() == b.asString();
        case Value::Kind::Object: return a.asObject() == b.asObject();
    }
    return false;
}

bool Machine::looseEquals(const Value& a, const Value& b) {
    if (std::optional<bool> xml = xmlLooseEquals(*this, a, b)) return *xml;
    if (a.kind() == b.kind()) return strictEquals(a, b);
    if (a.isNullish() && b.isNullish()) return true;
    if (a.isNullish() || b.isNullish()) return false;
    if (a.isNumber() && b.isString()) return a.asNumber() == stringToNumber(b.asString());
    if (a.isString() && b.isNumber()) return stringToNumber(a.asString()) == b.asNumber();
    if (a.isBoolean()) return looseEquals(Value::number(a.asBoolean() ? 1 : 0), b);
    if (b.isBoolean()) return looseEquals(a, Value::number(b.asBoolean() ? 1 : 0));
    if (a.isObject() && !b.isObject()) return looseEquals(toPrimitive(a, false), b);
    if (b.isObject() && !a.isObject()) return looseEquals(a, toPrimitive(b, false));
    return false;
}

Value Machine::lessThan(const Value& a, const Value& b) {
    Value pa = toPrimitive(a, false), pb = toPrimitive(b, false);
    if (pa.isString() && pb.isString()) return Value::boolean(compareUnits(pa.asString(), pb.asString()) < 0);
    double x = toNumber(pa), y = toNumber(pb);
    if (std::isnan(x) || std::isnan(y)) return Value();
    return Value::boolean(x < y);
}

Value Machine::add(const Value& a, const Value& b) {
    if (a.isNumber() && b.isNumber()) return Value::number(a.asNumber() + b.asNumber());
    if (isXmlValue(a) && isXmlValue(b)) return Value::object(xmlConcat(*this, a, b));
    Value pa = toPrimitive(a, false), pb = toPrimitive(b, false);
    if (pa.isString() || pb.isString()) {
        std::string s = toString(pa);
        std::string t = toString(pb);
        if (s.size() + t.size() > kMaxStringLength) throw ScriptLimitError("Error #1000: The system is out of memory.");
        return Value::string(s + t);
    }
    return Value::number(toNumber(pa) + toNumber(pb));
}

std::string Machine::describeForError(const Value& v) {
    if (Object* o = v.asObject()) {
        if (ClassObject* c = o->asClass()) return c->name + "$";
        if (o->asFunction()) return "Function";
        if (!o->classObject()) return "Object";
        // The player names a class of a package with a dot here ("flash.display.Sprite").
        std::string name = o->classObject()->name;
        if (size_t colon = name.rfind("::"); colon != std::string::npos) name.replace(colon, 2, ".");
        return name;
    }
    return classOf(v)->name;
}

[[noreturn]] void Machine::throwError(const std::string& className, int code, const std::string& message) {
    // "flash.errors::IOError" names a class outside the top level.
    size_t colon = className.rfind("::");
    Name name = colon == std::string::npos
                    ? Name::qualified(namespaces_.publicNs(), className)
                    : Name::qualified(namespaces_.intern(Ns::Group::Public, className.substr(0, colon)),
                                      className.substr(colon + 2));
    bool found = false;
    Value cls = findInBuiltins(name, found);
    std::string text = "Error #" + std::to_string(code) + ": " + message;
    Value args[2] = {Value::string(text), Value::number(code)};
    if (found) throw ScriptThrow{construct(cls, args)};
    throw ScriptThrow{Value::string(name.local + ": " + text)};
}

}  // namespace swf::avm2
