#include "settings/NumberText.h"

#include <charconv>
#include <limits>

namespace settings {
namespace {

std::string_view TrimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int32_t ReadNumber(std::string_view text, bool allowMinus) {
    text = TrimSpaces(text);
    const bool negative = allowMinus && text.starts_with('-');
    if (negative) text.remove_prefix(1);
    // from_chars would take a sign of its own; only digits may follow.
    if (text.empty() || text.front() < '0' || text.front() > '9') return 0;
    int64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size()) return 0;
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return 0;
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t ReadSignedNumber(std::string_view text) {
    return ReadNumber(text, true);
}

int32_t ReadUnsignedNumber(std::string_view text) {
    return ReadNumber(text, false);
}

}  // namespace settings
