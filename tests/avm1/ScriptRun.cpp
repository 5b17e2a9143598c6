#include "ScriptRun.h"

#include <gtest/gtest.h>

#include "swf/player/Player.h"

namespace avm1test {

std::vector<std::string> RunMovie(const swftest::SwfWriter& movie, int frames) {
    return RunMovie(movie, frames, {});
}

std::vector<std::string> RunMovie(const swftest::SwfWriter& movie, int frames,
                                  const std::vector<std::vector<swf::InputEvent>>& input) {
    swf::Player player;
    std::vector<std::string> lines;
    player.SetTraceSink([&](const std::string& line) { lines.push_back(line); });
    std::vector<uint8_t> bytes = movie.bytes();
    EXPECT_TRUE(player.LoadMovieFromMemory(bytes)) << player.LoadError();
    auto deliver = [&](size_t frame) {
        if (frame <= input.size())
            for (const swf::InputEvent& event : input[frame - 1]) player.HandleInput(event);
    };
    deliver(1);
    for (int i = 1; i < frames; ++i) {
        player.advanceFrame();
        deliver(static_cast<size_t>(i) + 1);
    }
    return lines;
}

std::vector<std::string> RunScript(std::string_view source, int swfVersion, int frames) {
    swftest::SwfWriter movie;
    movie.version(static_cast<uint8_t>(swfVersion));
    movie.doAction(swftest::ActionBuilder::assemble(source)).showFrame();
    return RunMovie(movie, frames);
}

void ExpectTraces(const std::vector<ScriptCase>& cases) {
    for (const ScriptCase& c : cases)
        EXPECT_EQ(Joined(RunScript(c.script, c.version)), c.trace)
            << c.name << " (SWF " << c.version << ")";
}

std::string PushedArguments(std::string_view list) {
    std::vector<std::string> values;
    while (!list.empty()) {
        size_t comma = list.find(',');
        std::string_view value = list.substr(0, comma);
        while (value.starts_with(' ')) value.remove_prefix(1);
        values.emplace_back(value);
        list = comma == std::string_view::npos ? "" : list.substr(comma + 1);
    }
    std::string out;
    for (auto it = values.rbegin(); it != values.rend(); ++it) out += *it + ", ";
    return out + std::to_string(values.size());
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
    return out;
}

swf::InputEvent Pointer(swf::InputEvent::Type type, double x, double y) {
    swf::InputEvent event;
    event.type = type;
    event.x = x;
    event.y = y;
    return event;
}

}  // namespace avm1test
