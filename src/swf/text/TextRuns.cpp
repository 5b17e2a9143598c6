#include "swf/text/TextRuns.h"

#include <algorithm>

namespace swf {
namespace {

// `into` keeps the attributes it shares with `other`.
void keepShared(TextFormat& into, const TextFormat& other) {
    auto keep = [](auto& mine, const auto& theirs) {
        if (mine != theirs) mine.reset();
    };
    keep(into.font, other.font);
    keep(into.size, other.size);
    keep(into.color, other.color);
    keep(into.bold, other.bold);
    keep(into.italic, other.italic);
    keep(into.underline, other.underline);
    keep(into.url, other.url);
    keep(into.target, other.target);
    keep(into.align, other.align);
    keep(into.leftMargin, other.leftMargin);
    keep(into.rightMargin, other.rightMargin);
    keep(into.indent, other.indent);
    keep(into.leading, other.leading);
    keep(into.blockIndent, other.blockIndent);
    keep(into.tabStops, other.tabStops);
    keep(into.bullet, other.bullet);
    keep(into.kerning, other.kerning);
    keep(into.letterSpacing, other.letterSpacing);
}

}  // namespace

void TextRuns::append(size_t count, const TextFormat& format) {
    if (count == 0) return;
    if (!runs_.empty() && runs_.back().format == format) {
        runs_.back().end += count;
        return;
    }
    const size_t begin = length();
    runs_.push_back({begin, begin + count, format});
}

const TextFormat* TextRuns::at(size_t index) const {
    if (runs_.empty()) return nullptr;
    auto it = std::upper_bound(runs_.begin(), runs_.end(), index,
                               [](size_t i, const FormatRun& run) { return i < run.end; });
    return it == runs_.end() ? &runs_.back().format : &it->format;
}

size_t TextRuns::splitAt(size_t index) {
    auto it = std::upper_bound(runs_.begin(), runs_.end(), index,
                               [](size_t i, const FormatRun& run) { return i < run.end; });
    if (it == runs_.end()) return runs_.size();
    if (it->begin == index) return static_cast<size_t>(it - runs_.begin());
    FormatRun tail = *it;
    tail.begin = index;
    it->end = index;
    // The insertion may move the runs: the position is taken after it.
    const auto inserted = runs_.insert(it + 1, std::move(tail));
    return static_cast<size_t>(inserted - runs_.begin());
}

void TextRuns::joinEqualNeighbours() {
    std::vector<FormatRun> joined;
    joined.reserve(runs_.size());
    for (FormatRun& run : runs_) {
        if (run.begin == run.end) continue;
        if (!joined.empty() && joined.back().format == run.format)
            joined.back().end = run.end;
        else
            joined.push_back(std::move(run));
    }
    runs_ = std::move(joined);
}

void TextRuns::apply(size_t begin, size_t end, const TextFormat& changes) {
    end = std::min(end, length());
    if (begin >= end) return;
    const size_t first = splitAt(begin);
    const size_t last = splitAt(end);
    for (size_t i = first; i < last; ++i) {
        // The display attribute belongs to style sheets, not to characters.
        const std::string display = runs_[i].format.display;
        runs_[i].format.merge(changes);
        runs_[i].format.display = display;
    }
    joinEqualNeighbours();
}

void TextRuns::replace(size_t begin, size_t end, size_t inserted, const TextFormat& format) {
    const size_t total = length();
    begin = std::min(begin, total);
    end = std::clamp(end, begin, total);
    const size_t first = splitAt(begin);
    const size_t last = splitAt(end);
    runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(first),
                runs_.begin() + static_cast<std::ptrdiff_t>(last));
    if (inserted > 0)
        runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(first),
                     FormatRun{begin, begin + inserted, format});
    // Later runs move by the difference.
    for (size_t i = first + (inserted > 0 ? 1 : 0); i < runs_.size(); ++i) {
        runs_[i].begin = runs_[i].begin - (end - begin) + inserted;
        runs_[i].end = runs_[i].end - (end - begin) + inserted;
    }
    joinEqualNeighbours();
}

TextFormat TextRuns::common(size_t begin, size_t end) const {
    end = std::min(end, length());
    TextFormat shared;
    bool first = true;
    for (const FormatRun& run : runs_) {
        if (run.end <= begin || run.begin >= end) continue;
        if (first)
            shared = run.format;
        else
            keepShared(shared, run.format);
        first = false;
    }
    return shared;
}

}  // namespace swf
