#pragma once
// Scripted input for a run without a window: a JSON list of mouse and keyboard events, cut
// into frames by {"type": "Wait"}. The events before the first Wait come after frame 1 has
// been shown, those up to the K-th Wait after frame K.

#include <optional>
#include <string>
#include <vector>

#include "swf/input/InputEvent.h"

namespace cli {

class InputScript {
  public:
    static constexpr size_t kMaxFileBytes = 16 << 20;

    // The script in the file, or nothing with `error` saying why.
    static std::optional<InputScript> Read(const std::string& path, std::string& error);
    static std::optional<InputScript> FromText(std::string_view text, std::string& error);

    // The events to deliver once frame K (from 1) has been shown, at [K - 1].
    const std::vector<std::vector<swf::InputEvent>>& Frames() const { return frames_; }
    // One line for each event of a type this program does not know (the first few): such
    // events are left out, the rest still run.
    const std::vector<std::string>& Warnings() const { return warnings_; }
    static constexpr size_t kMaxWarnings = 10;

  private:
    std::vector<std::vector<swf::InputEvent>> frames_;
    std::vector<std::string> warnings_;
};

}  // namespace cli
