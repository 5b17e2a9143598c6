#pragma once
// A JSON document read whole into a tree: enough for the command line's own input files.
// Reading is bounded (size, nesting and element count), so a hostile file gives an error,
// never a crash or a runaway allocation.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cli {

class JsonValue {
  public:
    using Array = std::vector<JsonValue>;
    using Object = std::map<std::string, JsonValue, std::less<>>;

    static constexpr int kMaxDepth = 64;
    static constexpr size_t kMaxElements = 1'000'000;

    // The document in `text`, or nothing with `error` saying where it went wrong.
    static std::optional<JsonValue> Parse(std::string_view text, std::string& error);

    bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
    const std::string* AsString() const { return std::get_if<std::string>(&value_); }
    const double* AsNumber() const { return std::get_if<double>(&value_); }
    const Array* AsArray() const {
        auto* p = std::get_if<std::shared_ptr<Array>>(&value_);
        return p ? p->get() : nullptr;
    }
    const Object* AsObject() const {
        auto* p = std::get_if<std::shared_ptr<Object>>(&value_);
        return p ? p->get() : nullptr;
    }
    // A member of an object, or null when this is no object or has no such member.
    const JsonValue* Member(std::string_view name) const;

  private:
    friend class JsonParser;
    std::variant<std::monostate, bool, double, std::string, std::shared_ptr<Array>,
                 std::shared_ptr<Object>>
        value_;
};

}  // namespace cli
