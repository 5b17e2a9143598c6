// What the parser keeps for the script engine: DoInitAction per frame, exported names and
// the onClipEvent handlers of placements.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/BitWriter.h"
#include "support/SwfWriter.h"
#include "swf/format/TagCode.h"
#include "swf/movie/SpriteCharacter.h"
#include "swf/parse/ControlTagParser.h"
#include "swf/parse/MovieParser.h"

namespace {

namespace st = swftest;

constexpr uint16_t kExportAssets = static_cast<uint16_t>(swf::TagCode::ExportAssets);

std::shared_ptr<swf::SwfMovie> Parse(const st::SwfWriter& movie) {
    std::string error;
    auto parsed = swf::MovieParser::parse(movie.bytes(), error);
    EXPECT_TRUE(parsed) << error;
    return parsed;
}

st::ActionBuilder Trace(const std::string& text) {
    return st::ActionBuilder().pushString(text).trace();
}

std::vector<uint8_t> Code(const st::ActionBuilder& actions) {
    return actions.terminated();
}

TEST(ScriptTags, InitActionsBelongToTheirTimelinesFrame) {
    st::SwfWriter sprite;
    sprite.doInitAction(9, Trace("inner")).showFrame();
    st::SwfWriter movie;
    movie.defineSprite(5, sprite).showFrame();
    movie.doAction(Trace("frame")).doInitAction(5, Trace("a")).doInitAction(6, Trace("b"));
    movie.showFrame().showFrame();

    auto parsed = Parse(movie);
    ASSERT_TRUE(parsed);
    const auto& frames = parsed->timeline->frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_TRUE(frames[0].initActions.empty());
    EXPECT_TRUE(frames[2].initActions.empty());
    ASSERT_EQ(frames[1].initActions.size(), 2u);
    EXPECT_EQ(frames[1].initActions[0].spriteId, 5);
    EXPECT_EQ(frames[1].initActions[0].code, Code(Trace("a")));
    EXPECT_EQ(frames[1].initActions[1].spriteId, 6);
    EXPECT_EQ(frames[1].initActions[1].code, Code(Trace("b")));
    EXPECT_EQ(frames[1].tags.size(), 1u);  // the DoAction alone

    auto* spriteCharacter = parsed->dictionary.findAs<swf::SpriteCharacter>(5);
    ASSERT_TRUE(spriteCharacter);
    ASSERT_EQ(spriteCharacter->timeline()->frames().size(), 1u);
    ASSERT_EQ(spriteCharacter->timeline()->frames()[0].initActions.size(), 1u);
    EXPECT_EQ(spriteCharacter->timeline()->frames()[0].initActions[0].spriteId, 9);
}

TEST(ScriptTags, AnInitActionWithoutItsSpriteIdIsDropped) {
    st::SwfWriter movie;
    std::vector<uint8_t> oneByte{5};
    movie.tag(st::kTagDoInitAction, oneByte).showFrame();
    auto parsed = Parse(movie);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->timeline->frame(0).initActions.empty());
}

std::vector<uint8_t> ExportBody(uint16_t count,
                                const std::vector<std::pair<uint16_t, std::string>>& entries) {
    st::BitWriter out;
    out.u16(count);
    for (const auto& [id, name] : entries) out.u16(id).string(name);
    return out.bytes();
}

TEST(ScriptTags, ExportsAreFoundIgnoringCasePreferringAnExactName) {
    st::SwfWriter movie;
    movie.tag(kExportAssets, ExportBody(2, {{1, "Ball"}, {2, "ball"}}));
    movie.tag(kExportAssets, ExportBody(1, {{3, "BOX"}})).showFrame();
    auto parsed = Parse(movie);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->exports.size(), 3u);

    struct Case {
        const char* name;
        std::optional<uint16_t> id;
    };
    const Case cases[] = {
        {"Ball", 1}, {"ball", 2}, {"BALL", 1},  // no exact match: the first exported
        {"box", 3},  {"BOX", 3},  {"Bal", std::nullopt}, {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parsed->findExport(c.name), c.id) << c.name;
}

TEST(ScriptTags, ACutExportTagKeepsTheWholeEntries) {
    std::vector<uint8_t> whole = ExportBody(60000, {{7, "first"}, {8, "second"}});
    struct Case {
        size_t length;
        size_t kept;
    };
    // count, then "first" (2 + 6 bytes), then "second" (2 + 7 bytes); the count claims more.
    const Case cases[] = {{1, 0}, {2, 0}, {9, 0}, {10, 1}, {18, 1}, {19, 2}};
    for (const Case& c : cases) {
        st::SwfWriter movie;
        movie.tag(kExportAssets, std::span(whole).first(c.length)).showFrame();
        auto parsed = Parse(movie);
        ASSERT_TRUE(parsed);
        ASSERT_EQ(parsed->exports.size(), c.kept) << c.length;
        EXPECT_EQ(parsed->findExport("FIRST"),
                  c.kept > 0 ? std::optional<uint16_t>(7) : std::nullopt);
        EXPECT_EQ(parsed->findExport("second"),
                  c.kept > 1 ? std::optional<uint16_t>(8) : std::nullopt);
    }
}

std::vector<swf::ClipActionRecord> Expected(const std::vector<st::ClipAction>& handlers) {
    std::vector<swf::ClipActionRecord> out;
    for (const st::ClipAction& h : handlers) {
        swf::ClipActionRecord r;
        r.events = h.events;
        r.keyCode = (h.events & st::kClipKeyPress) ? h.keyCode : 0;
        r.code = Code(h.actions);
        out.push_back(r);
    }
    return out;
}

struct ClipCase {
    const char* name;
    uint8_t swfVersion;
    int placeVersion;
    std::vector<st::ClipAction> handlers;
};

std::vector<ClipCase> ClipCases() {
    return {
        {"swf5",
         5,
         2,
         {{.events = st::kClipEnterFrame | st::kClipLoad, .actions = Trace("enter")},
          {.events = st::kClipMouseDown, .actions = Trace("down")},
          {.events = st::kClipKeyUp | st::kClipData, .actions = st::ActionBuilder()}}},
        {"swf6 key press",
         6,
         2,
         {{.events = st::kClipKeyPress, .keyCode = 13, .actions = Trace("enter key")},
          {.events = st::kClipEnterFrame | st::kClipDragOut, .actions = Trace("tick")},
          {.events = st::kClipConstruct | st::kClipInitialize, .actions = Trace("init")}}},
        {"swf8 place3",
         8,
         3,
         {{.events = st::kClipUnload, .actions = st::ActionBuilder().stop()},
          {.events = st::kClipKeyPress | st::kClipKeyDown, .keyCode = 32, .actions = Trace("k")}}},
    };
}

TEST(ScriptTags, ClipActionsAreReadIntoRecords) {
    // The two enums must agree bit for bit, as the writer and the engine read the same file.
    static_assert(static_cast<uint32_t>(swf::kClipKeyPress) == st::kClipKeyPress);
    static_assert(static_cast<uint32_t>(swf::kClipConstruct) == st::kClipConstruct);
    for (const ClipCase& c : ClipCases()) {
        st::SwfWriter sprite;
        sprite.version(c.swfVersion).showFrame();
        st::SwfWriter movie;
        movie.version(c.swfVersion).defineSprite(1, sprite);
        st::Placement placement{.depth = 3, .character = 1, .clipActions = c.handlers};
        if (c.placeVersion == 3)
            movie.placeObject3(placement);
        else
            movie.placeObject2(placement);
        movie.showFrame();
        auto parsed = Parse(movie);
        ASSERT_TRUE(parsed) << c.name;
        const auto& tags = parsed->timeline->frame(0).tags;
        ASSERT_EQ(tags.size(), 1u) << c.name;
        const auto& place = std::get<swf::PlaceObject>(tags[0]);
        EXPECT_EQ(place.characterId, 1) << c.name;
        ASSERT_TRUE(place.clipActions) << c.name;
        EXPECT_EQ(*place.clipActions, Expected(c.handlers)) << c.name;
    }
}

TEST(ScriptTags, ACutClipActionListKeepsTheWholeRecordsAndStaysInsideTheTag) {
    for (const ClipCase& c : ClipCases()) {
        st::Placement placement{.depth = 1, .character = 2, .clipActions = c.handlers};
        st::BitWriter out;
        placement.write(out, c.placeVersion, c.swfVersion);
        const std::vector<uint8_t> body = out.bytes();
        const size_t eventBytes = c.swfVersion >= 6 ? 4 : 2;
        auto recordSize = [&](const st::ClipAction& h) {
            return eventBytes + 4 + Code(h.actions).size() +
                   ((h.events & st::kClipKeyPress) ? 1 : 0);
        };
        // The list closes the body; where each of its records ends there.
        size_t listSize = 2 + eventBytes + eventBytes;
        for (const st::ClipAction& h : c.handlers) listSize += recordSize(h);
        std::vector<size_t> recordEnds;
        size_t at = body.size() - listSize + 2 + eventBytes;
        for (const st::ClipAction& h : c.handlers) recordEnds.push_back(at += recordSize(h));
        const auto all = Expected(c.handlers);
        const auto code = static_cast<uint16_t>(c.placeVersion == 3 ? swf::TagCode::PlaceObject3
                                                                    : swf::TagCode::PlaceObject2);
        // The body stays whole in memory: a read past the cut would find the real records.
        for (size_t length = body.size() - listSize; length <= body.size(); ++length) {
            auto place = swf::ControlTagParser::parsePlaceObject(
                code, std::span(body).first(length), c.swfVersion);
            ASSERT_TRUE(place) << c.name << " " << length;
            size_t whole = 0;
            while (whole < recordEnds.size() && recordEnds[whole] <= length) ++whole;
            std::vector<swf::ClipActionRecord> expected(all.begin(), all.begin() + whole);
            auto parsedRecords = place->clipActions ? *place->clipActions
                                                    : std::vector<swf::ClipActionRecord>{};
            EXPECT_EQ(parsedRecords, expected) << c.name << " cut at " << length;
        }
    }
}

TEST(ScriptTags, ARecordSizePastTheDataOrAKeyPressWithoutRoomEndsTheList) {
    struct Case {
        const char* name;
        std::vector<uint8_t> list;  // SWF 6 CLIPACTIONS
        size_t kept;
    };
    const std::vector<uint8_t> head{0, 0, 0x02, 0, 0, 0};           // reserved, all events
    const std::vector<uint8_t> good{0x02, 0, 0, 0, 1, 0, 0, 0, 0};  // enter frame: END
    auto join = [&](std::vector<std::vector<uint8_t>> parts) {
        std::vector<uint8_t> out = head;
        for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const Case cases[] = {
        {"huge size", join({good, {0x02, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}}), 1},
        {"size one past", join({good, {0x02, 0, 0, 0, 2, 0, 0, 0, 0}}), 1},
        {"key press, size 0", join({good, {0, 0, 0x02, 0, 0, 0, 0, 0}, good}), 1},
        {"end flag", join({good, {0, 0, 0, 0}, good}), 1},
        {"no end flag", join({good, good}), 2},
        {"header only", head, 0},
        {"nothing", {}, 0},
    };
    for (const Case& c : cases) {
        auto records = swf::ControlTagParser::parseClipActions(c.list, 6);
        EXPECT_EQ(records.size(), c.kept) << c.name;
        for (const auto& r : records) {
            EXPECT_EQ(r.events, swf::kClipEnterFrame) << c.name;
            EXPECT_EQ(r.code, std::vector<uint8_t>{0}) << c.name;
        }
    }
}

}  // namespace
