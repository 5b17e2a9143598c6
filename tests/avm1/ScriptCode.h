#pragma once
// Small builders of test assembler text, shared by the interpreter's tests. Each returns the
// code that leaves one value on the stack (or, with a newline at the end, a whole statement).

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace avm1test::code {

using Code = std::string;

// Each argument is code pushing one value; they go on the stack last first, then the count.
inline Code pushArgs(std::initializer_list<Code> args) {
    std::vector<Code> list(args);
    Code out;
    for (auto it = list.rbegin(); it != list.rend(); ++it) out += *it + "; ";
    return out + "push " + std::to_string(list.size());
}
inline Code lit(const Code& value) {
    return "push " + value;
}
inline Code var(const Code& name) {
    return "push \"" + name + "\"; getVariable";
}
inline Code member(const Code& object, const Code& name) {
    return object + "; push \"" + name + "\"; getMember";
}
// new flash.<package>.<name>(args)
inline Code makeFlash(const Code& package, const Code& name, std::initializer_list<Code> args = {}) {
    return pushArgs(args) + "; " + member(var("flash"), package) + "; push \"" + name +
           "\"; newMethod";
}
inline Code invoke(const Code& object, const Code& method, std::initializer_list<Code> args = {}) {
    return pushArgs(args) + "; " + object + "; push \"" + method + "\"; callMethod";
}
inline Code let(const Code& name, const Code& value) {
    return "push \"" + name + "\"; " + value + "; setVariable\n";
}
inline Code assign(const Code& object, const Code& name, const Code& value) {
    return object + "; push \"" + name + "\"; " + value + "; setMember\n";
}
inline Code trace(const Code& value) {
    return value + "; trace\n";
}
inline Code run(const Code& value) {
    return value + "; pop\n";
}

// trace(a.b.c): each dot a member of the variable before it.
inline std::string show(std::string_view path) {
    std::string out = "push \"";
    size_t dot = path.find('.');
    out += std::string(path.substr(0, dot)) + "\"; getVariable; ";
    while (dot != std::string_view::npos) {
        path.remove_prefix(dot + 1);
        dot = path.find('.');
        out += "push \"" + std::string(path.substr(0, dot)) + "\"; getMember; ";
    }
    return out + "trace\n";
}

// object.property = value (value in assembler syntax)
inline std::string set(std::string_view object, std::string_view property, std::string_view value) {
    return "push \"" + std::string(object) + "\"; getVariable; push \"" + std::string(property) +
           "\", " + std::string(value) + "; setMember\n";
}

// object.method(args) with the result left on the stack; args (assembler values) in call order.
inline std::string call(std::string_view object, std::string_view method,
                        const std::vector<std::string>& args = {}) {
    std::string out = "push ";
    for (auto it = args.rbegin(); it != args.rend(); ++it) out += *it + ", ";
    out += std::to_string(args.size()) + ", \"" + std::string(object) + "\"; getVariable; push \"" +
           std::string(method) + "\"; callMethod\n";
    return out;
}

}  // namespace avm1test::code
