// flash.external.ExternalInterface: the bridge to a hosting page or application. A converter
// hosts no script container, so it is not available, callbacks cannot be added and calls
// answer null. The class's helpers that turn values into the bridge's XML and JavaScript
// forms and back work as the player's do, since movies call them directly.

#include <algorithm>
#include <string>
#include <vector>

#include "swf/avm1/machine/ArrayObject.h"
#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/FlashGeom.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/classes/PlayerObjects.h"

namespace swf::avm1 {
namespace {


constexpr int kMaxDepth = 256;            // nested arrays and objects a conversion follows
constexpr size_t kMaxValues = 1'000'000;  // values one conversion visits (cycles repeat)

// Counts the values a conversion visits and how deep it is.
class Budget {
  public:
    void charge(int depth) {
        if (++count_ > kMaxValues || depth > kMaxDepth)
            throw ScriptLimitError("value too large or nested too deep to convert");
    }

  private:
    size_t count_ = 0;
};

struct Replacement {
    std::string_view from;
    std::string_view to;
};

// Replaces each occurrence of any `from`, scanning once from the left.
std::string replaceAll(const std::string& text, std::initializer_list<Replacement> table) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const Replacement& r : table) {
            if (text.compare(i, r.from.size(), r.from) == 0) {
                out += r.to;
                i += r.from.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) out += text[i++];
        Machine::checkLength(out.size());
    }
    return out;
}

// Both answer null for an empty text, which "<string>" + ... + "</string>" shows as "null".
Value escapeXml(Machine& m, const Value& v) {
    std::string text = m.toString(v);
    if (text.empty()) return Value(Null{});
    return Value(replaceAll(
        text, {{"&", "&amp;"}, {"<", "&lt;"}, {">", "&gt;"}, {"\"", "&quot;"}, {"'", "&apos;"}}));
}

Value unescapeXml(Machine& m, const Value& v) {
    std::string text = m.toString(v);
    if (text.empty()) return Value(Null{});
    return Value(replaceAll(
        text, {{"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}}));
}

uint32_t lengthOf(Machine& m, const Value& v) {
    if (v.isNullish()) return 0;
    double n = m.toNumber(m.get(v, "length"));
    return n > 0 ? static_cast<uint32_t>(std::min<double>(n, ArrayObject::kMaxLength)) : 0;
}

bool isArray(Machine& m, const Value& v) {
    Property* p = m.global()->findOwn("Array");
    return v.isObject() && p && instanceOf(m, v, p->value);
}

class XmlWriter {
  public:
    explicit XmlWriter(Machine& m) : m_(m) {}

    std::string value(const Value& v, int depth) {
        budget_.charge(depth);
        if (v.isUndefined()) return "<undefined/>";
        if (v.isBool()) return v.asBool() ? "<true/>" : "<false/>";
        if (v.isNumber()) return "<number>" + m_.toString(v) + "</number>";
        if (v.isString()) return "<string>" + m_.toString(escapeXml(m_, v)) + "</string>";
        // An object equal to null (one with no valueOf, such as a node's attributes) is null.
        if (v.isNull() || v.asObject()->asFunction() || m_.equals(v, Value(Null{})))
            return "<null/>";
        return isArray(m_, v) ? array(v, depth) : object(v, depth);
    }

    std::string array(const Value& v, int depth) {
        std::string out = "<array>";
        uint32_t n = lengthOf(m_, v);
        for (uint32_t i = 0; i < n; ++i) {
            std::string index = std::to_string(i);
            append(out, "<property id=\"" + index + "\">" + value(m_.get(v, index), depth + 1) +
                            "</property>");
        }
        return out + "</array>";
    }

    // The members after the first: the first argument of a call is the function's name.
    std::string arguments(const Value& v, int depth) {
        std::string out = "<arguments>";
        uint32_t n = lengthOf(m_, v);
        for (uint32_t i = 1; i < n; ++i)
            append(out, value(m_.get(v, std::to_string(i)), depth + 1));
        return out + "</arguments>";
    }

    // The members in for..in order (names as they are, values converted).
    std::string object(const Value& v, int depth) {
        std::string out = "<object>";
        if (Object* o = v.asObject()) {
            std::vector<std::string> names = m_.enumerate(o);
            for (auto it = names.rbegin(); it != names.rend(); ++it)
                append(out, "<property id=\"" + *it + "\">" + value(m_.get(v, *it), depth + 1) +
                                "</property>");
        }
        return out + "</object>";
    }

  private:
    static void append(std::string& out, const std::string& more) {
        Machine::checkLength(out.size() + more.size());
        out += more;
    }
    Machine& m_;
    Budget budget_;
};

// Reads the bridge's XML back from nodes: nodeName, firstChild, childNodes, attributes.id.
class XmlReader {
  public:
    explicit XmlReader(Machine& m) : m_(m) {}

    Value value(const Value& node, int depth) {
        budget_.charge(depth);
        if (!node.isObject()) return Value();
        // Compared with ==, as the player's own ActionScript does.
        Value name = m_.get(node, "nodeName");
        auto is = [&](const char* kind) { return m_.equals(name, Value(kind)); };
        if (is("number")) return Value(m_.toNumber(Value(m_.toString(m_.get(node, "firstChild")))));
        if (is("string")) return Value(m_.toString(m_.get(node, "firstChild")));
        if (is("true")) return Value(true);
        if (is("false")) return Value(false);
        if (is("null")) return Value(Null{});
        if (is("array")) return members(node, Value(m_.newArray()), depth);
        if (is("object")) return members(node, Value(m_.newObject()), depth);
        if (is("class")) {
            // A class by its dotted name, looked up from _global.
            std::string path = m_.toString(m_.get(node, "firstChild"));
            Value at(m_.global());
            size_t start = 0;
            while (at.isObject() && start <= path.size()) {
                size_t dot = std::min(path.find('.', start), path.size());
                at = m_.get(at, path.substr(start, dot - start));
                start = dot + 1;
            }
            return at;
        }
        return Value();
    }

    // <property id="..."> children into `into`.
    Value members(const Value& node, Value into, int depth) {
        Value children = m_.get(node, "childNodes");
        uint32_t n = lengthOf(m_, children);
        for (uint32_t i = 0; i < n; ++i) {
            Value child = m_.get(children, std::to_string(i));
            std::string id = m_.toString(m_.get(m_.get(child, "attributes"), "id"));
            m_.set(into, id, value(m_.get(child, "firstChild"), depth + 1));
        }
        return into;
    }

    Value arguments(const Value& node, int depth) {
        ArrayObject* list = m_.newArray();
        Value children = m_.get(node, "childNodes");
        uint32_t n = lengthOf(m_, children);
        for (uint32_t i = 0; i < n; ++i)
            list->push(value(m_.get(children, std::to_string(i)), depth + 1));
        return Value(list);
    }

  private:
    Machine& m_;
    Budget budget_;
};

std::string quoteJs(Machine& m, const Value& v) {
    return replaceAll(m.toString(v),
                      {{"\\", "\\\\"}, {"\"", "\\\""}, {"\n", "\\n"}, {"\r", "\\r"}});
}

std::string toJs(Machine& m, const Value& v, Budget& budget, int depth) {
    budget.charge(depth);
    if (v.isString()) {
        std::string quoted(1, '"');
        quoted += quoteJs(m, v);
        quoted += '"';
        return quoted;
    }
    if (v.isUndefined()) return "undefined";
    if (!v.isObject()) return m.toString(v);
    if (v.asObject()->asFunction()) return "null";
    std::string out;
    if (isArray(m, v)) {
        uint32_t n = lengthOf(m, v);
        for (uint32_t i = 0; i < n; ++i) {
            if (i) out += ',';
            out += toJs(m, m.get(v, std::to_string(i)), budget, depth + 1);
            Machine::checkLength(out.size());
        }
        return "[" + out + "]";
    }
    std::vector<std::string> names = m.enumerate(v.asObject());
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!out.empty()) out += ',';
        out += *it;
        out += ':';
        out += toJs(m, m.get(v, *it), budget, depth + 1);
        Machine::checkLength(out.size());
    }
    return "({" + out + "})";
}

Value externalEscapeXML(Machine& m, Object*, std::span<const Value> args) {
    return args.empty() ? Value(Null{}) : escapeXml(m, args[0]);
}

Value externalUnescapeXML(Machine& m, Object*, std::span<const Value> args) {
    return args.empty() ? Value(Null{}) : unescapeXml(m, args[0]);
}

Value externalJsQuoteString(Machine& m, Object*, std::span<const Value> args) {
    return Value(quoteJs(m, arg(args, 0)));
}

Value externalArrayToXML(Machine& m, Object*, std::span<const Value> args) {
    return Value(XmlWriter(m).array(arg(args, 0), 0));
}

Value externalArgumentsToXML(Machine& m, Object*, std::span<const Value> args) {
    return Value(XmlWriter(m).arguments(arg(args, 0), 0));
}

Value externalObjectToXML(Machine& m, Object*, std::span<const Value> args) {
    return Value(XmlWriter(m).object(arg(args, 0), 0));
}

Value externalToXML(Machine& m, Object*, std::span<const Value> args) {
    return Value(XmlWriter(m).value(arg(args, 0), 0));
}

Value externalObjectToAS(Machine& m, Object*, std::span<const Value> args) {
    return XmlReader(m).members(arg(args, 0), Value(m.newObject()), 0);
}

Value externalArrayToAS(Machine& m, Object*, std::span<const Value> args) {
    return XmlReader(m).members(arg(args, 0), Value(m.newArray()), 0);
}

Value externalToAS(Machine& m, Object*, std::span<const Value> args) {
    return XmlReader(m).value(arg(args, 0), 0);
}

Value externalArgumentsToAS(Machine& m, Object*, std::span<const Value> args) {
    return XmlReader(m).arguments(arg(args, 0), 0);
}

Value externalArrayToJS(Machine& m, Object*, std::span<const Value> args) {
    Value v = arg(args, 0);
    Budget budget;
    return Value(isArray(m, v) ? toJs(m, v, budget, 0) : "[]");
}

Value externalObjectToJS(Machine& m, Object*, std::span<const Value> args) {
    Value v = arg(args, 0);
    Budget budget;
    return Value(v.isObject() ? toJs(m, v, budget, 0) : "({})");
}

Value externalToJS(Machine& m, Object*, std::span<const Value> args) {
    Budget budget;
    return Value(toJs(m, arg(args, 0), budget, 0));
}

using native::method;
// Movies before version 8 see the class but none of its members.
constexpr uint16_t kExternalFlags = kDontEnum | kReadOnly | kVersion8;

constexpr NativeMember kExternalInterface[] = {
    method("_initJS", native::nothing, kExternalFlags),
    method("_objectID", native::none, kExternalFlags),
    method("_addCallback", native::no, kExternalFlags),
    method("_evalJS", native::none, kExternalFlags),
    method("_callOut", native::none, kExternalFlags),
    method("_escapeXML", externalEscapeXML, kExternalFlags),
    method("_unescapeXML", externalUnescapeXML, kExternalFlags),
    method("_jsQuoteString", externalJsQuoteString, kExternalFlags),
    method("_useSetReturnValueHack", native::nothing, kExternalFlags),
    native::boolean("available", false, kExternalFlags),
    method("addCallback", native::no, kExternalFlags),
    method("call", native::none, kExternalFlags),
    method("_callIn", native::nothing, kExternalFlags),
    method("_arrayToXML", externalArrayToXML, kExternalFlags),
    method("_argumentsToXML", externalArgumentsToXML, kExternalFlags),
    method("_objectToXML", externalObjectToXML, kExternalFlags),
    method("_toXML", externalToXML, kExternalFlags),
    method("_objectToAS", externalObjectToAS, kExternalFlags),
    method("_arrayToAS", externalArrayToAS, kExternalFlags),
    method("_toAS", externalToAS, kExternalFlags),
    method("_argumentsToAS", externalArgumentsToAS, kExternalFlags),
    method("_arrayToJS", externalArrayToJS, kExternalFlags),
    method("_objectToJS", externalObjectToJS, kExternalFlags),
    method("_toJS", externalToJS, kExternalFlags),
};

}  // namespace

void installExternalInterface(Machine& m) {
    if (m.swfVersion() < 6) return;  // as flash.geom: no flash package for version 5
    installClass(m, flashPackage(m, "external"), m.newObject(),
                 {"ExternalInterface", native::nothing, nullptr, {}, kExternalInterface, {}});
}

}  // namespace swf::avm1
