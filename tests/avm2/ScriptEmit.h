#pragma once
// Expressions for small ABC test scripts: each Emit leaves one value on the stack. Class names
// may carry their package ("flash.utils::ByteArray").

#include <functional>
#include <string>
#include <vector>

#include "ScriptRun.h"

namespace avm2test {

using Emit = std::function<void(AbcBuilder&, AbcCode&)>;

Emit Str(std::string s);
Emit Num(double v);
// new Cls(args...)
Emit New(std::string cls, std::vector<Emit> args);
// target.method(args...)
Emit Call(Emit target, std::string method, std::vector<Emit> args);
Emit Global(std::string name);
// Cls.method(args...)
Emit Static(std::string cls, std::string method, std::vector<Emit> args);
Emit Get(Emit target, std::string name);
// target[key]
Emit Index(Emit target, Emit key);
// The value left by `first` after `then` ran on a copy of it (then's result dropped).
Emit After(Emit first, std::function<void(AbcBuilder&, AbcCode&)> then);
// Vector.<elementType>, the class made by applytype.
Emit VectorOf(std::string elementType);
Emit Construct(Emit cls, std::vector<Emit> args);
// The value after `method`(args) was called on it.
Emit Having(Emit value, std::string method, std::vector<Emit> args);
// The value after value.name = item.
Emit Assigned(Emit value, std::string name, Emit item);
// The value after value[index] = item.
Emit Stored(Emit value, double index, Emit item);
// The value after value[key] = item, the key any value (a Dictionary's object keys).
Emit StoredAt(Emit value, Emit key, Emit item);
// Register `index` of the script (1 and up), and the value after it was stored there.
Emit Local(uint32_t index);
Emit Kept(uint32_t index, Emit value);

struct Case {
    const char* name;
    Emit value;
    const char* trace;
};

// What trace(value) prints.
std::string TraceOf(const Emit& value);
// What `value` throws, as text ("" when it throws nothing): value inside try, catch traced.
std::string ThrownBy(const Emit& value);
// The multiname of a class name, its package before "::".
uint32_t ClassName(AbcBuilder& abc, const std::string& cls);

}  // namespace avm2test
