#pragma once
// The format of each character of a field's text, kept as runs of equal formats: the run
// list covers the text exactly, and neighbours never share a format.

#include <cstddef>
#include <vector>

#include "swf/text/TextFormat.h"

namespace swf {

struct FormatRun {
    size_t begin = 0;
    size_t end = 0;  // exclusive
    TextFormat format;
};

class TextRuns {
  public:
    const std::vector<FormatRun>& runs() const { return runs_; }
    size_t length() const { return runs_.empty() ? 0 : runs_.back().end; }

    void clear() { runs_.clear(); }
    // `count` more characters in `format` at the end.
    void append(size_t count, const TextFormat& format);
    // The format of the character at `index`; past the end, the last one's; null when empty.
    const TextFormat* at(size_t index) const;
    // Sets every attribute `changes` sets on the characters in [begin, end).
    void apply(size_t begin, size_t end, const TextFormat& changes);
    // Characters [begin, end) give way to `inserted` characters in `format`.
    void replace(size_t begin, size_t end, size_t inserted, const TextFormat& format);
    // The attributes all characters in [begin, end) share; the others unset.
    TextFormat common(size_t begin, size_t end) const;

  private:
    // Splits the run holding `index` so that a run starts there; returns that run's position.
    size_t splitAt(size_t index);
    void joinEqualNeighbours();

    std::vector<FormatRun> runs_;
};

}  // namespace swf
