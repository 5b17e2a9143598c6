// ID3 tags as Sound.id3 shows them: v2.3 and v2.4 text frames and comments in every text
// encoding, unsynchronised or behind an extended header, under their ids and the v1 names;
// a v1 tag filling in what v2 left out; and hostile sizes that only end the reading.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "swf/sound/Id3Tag.h"

namespace {

using Fields = std::vector<swf::Id3Tag::Field>;

std::string sizeBytes(size_t size, bool synchsafe) {
    const int shift = synchsafe ? 7 : 8;
    const size_t mask = synchsafe ? 0x7F : 0xFF;
    std::string out;
    for (int i = 3; i >= 0; --i) out += static_cast<char>((size >> (shift * i)) & mask);
    return out;
}

std::string frame(int version, const std::string& id, const std::string& data, char format = 0) {
    return id + sizeBytes(data.size(), version == 4) + '\0' + format + data;
}

std::string tagV2(int version, char flags, const std::string& body) {
    return std::string("ID3") + static_cast<char>(version) + '\0' + flags +
           sizeBytes(body.size(), true) + body;
}

// Version 3 unsynchronises the whole tag once its frames are written: a zero after each 0xFF.
std::string unsynchronised(const std::string& body) {
    std::string out;
    for (char c : body) {
        out += c;
        if (c == '\xff') out += '\0';
    }
    return out;
}

std::string padded(const std::string& text, size_t width) {
    return text + std::string(width - text.size(), '\0');
}

// A v1.1 tag (a track) or a v1.0 one (track 0: the comment's 30 bytes).
std::string tagV1(const std::string& title, const std::string& comment, int track, int genre) {
    return "TAG" + padded(title, 30) + padded("Artist  ", 30) + padded("", 30) + "1999" +
           padded(comment, track ? 29 : 30) +
           (track ? std::string(1, static_cast<char>(track)) : "") + static_cast<char>(genre);
}

const std::string kAudio = std::string("\xff\xfb\x90\x00", 4) + std::string(413, '\0');

struct Case {
    const char* name;
    std::string file;
    std::optional<Fields> fields;
};

TEST(Id3TagTest, ReadsTheTextScriptsSee) {
    const std::string latin = std::string("\0", 1);
    const std::string comment = std::string("\0eng", 4) + "short" + '\0' + "Long comment";
    // "Née" in UTF-16 with a byte order mark, little-endian, and 'G clef' as a surrogate pair.
    const std::string utf16 = std::string("\x01\xff\xfeN\0\xe9\0e\0\x34\xd8\x1e\xdd\0\0", 15);
    Case cases[] = {
        {"v2.3 Latin-1 text frames and a comment, under ids and v1 names",
         tagV2(3, 0,
               frame(3, "TIT2", latin + "Caf\xe9") + frame(3, "TPE1", latin + "Band") +
                   frame(3, "TALB", latin + "Disc") + frame(3, "TYER", latin + "2001") +
                   frame(3, "COMM", comment) + frame(3, "TRCK", latin + "3/9") +
                   frame(3, "TCON", latin + "(17)") + frame(3, "APIC", std::string("\0xx", 3)) +
                   frame(3, "TXXX", latin + "a") + std::string(20, '\0')) +
             kAudio,
         Fields{{"TIT2", "Caf\xc3\xa9"},
                {"songname", "Caf\xc3\xa9"},
                {"TPE1", "Band"},
                {"artist", "Band"},
                {"TALB", "Disc"},
                {"album", "Disc"},
                {"TYER", "2001"},
                {"year", "2001"},
                {"COMM", "Long comment"},
                {"comment", "Long comment"},
                {"TRCK", "3/9"},
                {"track", "3/9"},
                {"TCON", "(17)"},
                {"genre", "(17)"}}},
        {"v2.4: UTF-16 with a byte order mark, UTF-16BE, UTF-8, TDRC as the year, a data "
         "length indicator and an unsynchronised frame",
         tagV2(4, 0,
               frame(4, "TIT2", utf16) + frame(4, "TPE1", std::string("\x02\0A\0b", 5)) +
                   frame(4, "TDRC",
                         std::string("\x03"
                                     "2024-05\0ignored",
                                     16)) +
                   frame(4, "TALB", std::string("\0\0\0\x04\0Live", 9), 0x01) +
                   frame(4, "TIT3", std::string("\0\xff\0\x41", 4), 0x02)) +
             kAudio,
         Fields{{"TIT2",
                 "N\xc3\xa9"
                 "e\xf0\x9d\x84\x9e"},
                {"songname",
                 "N\xc3\xa9"
                 "e\xf0\x9d\x84\x9e"},
                {"TPE1", "Ab"},
                {"artist", "Ab"},
                {"TDRC", "2024-05"},
                {"year", "2024-05"},
                {"TALB", "Live"},
                {"album", "Live"},
                {"TIT3",
                 "\xc3\xbf"
                 "A"}}},
        {"v2.3 behind an extended header, the whole tag unsynchronised; compressed frames skipped",
         tagV2(3, static_cast<char>(0xC0),
               unsynchronised(sizeBytes(6, false) + std::string(6, '\0') +
                              frame(3, "TPE1", std::string("\0\xff\xfe", 3)) +
                              frame(3, "TALB", latin + "zip", static_cast<char>(0x80)))) +
             kAudio,
         Fields{{"TPE1", "\xc3\xbf\xc3\xbe"}, {"artist", "\xc3\xbf\xc3\xbe"}}},
        {"v1.1 alone: fixed fields trimmed, the track and the genre number",
         kAudio + tagV1("Song", "Nice", 7, 12),
         Fields{{"songname", "Song"},
                {"artist", "Artist"},
                {"year", "1999"},
                {"comment", "Nice"},
                {"track", "7"},
                {"genre", "12"}}},
        {"v1.0 with no genre; v2 wins where both name a field",
         tagV2(3, 0, frame(3, "TIT2", latin + "Two")) + kAudio +
             tagV1("One", std::string(29, 'c') + "d", 0, 255),
         Fields{{"TIT2", "Two"},
                {"songname", "Two"},
                {"artist", "Artist"},
                {"year", "1999"},
                {"comment", std::string(29, 'c') + "d"}}},
        {"a frame larger than its tag ends the reading, where the tag claims more than the file",
         std::string("ID3\x03\0\0", 6) + sizeBytes(1000, true) + frame(3, "TIT2", latin + "Ok") +
             "TPE1" + sizeBytes(1 << 30, false) + std::string("\0\0x", 3),
         Fields{{"TIT2", "Ok"}, {"songname", "Ok"}}},
        {"an extended header larger than the tag", tagV2(4, 0x40, sizeBytes(1 << 27, true)),
         Fields{}},
        {"a v2.2 tag is not read", tagV2(2, 0, std::string("TT2\0\0\x02\0x", 8)), Fields{}},
        {"UTF-16 cut within a unit keeps the whole units",
         tagV2(3, 0, frame(3, "TIT2", std::string("\x01\xfe\xff\0A\0", 6))),
         Fields{{"TIT2", "A"}, {"songname", "A"}}},
        {"more frames than are read",
         tagV2(3, 0,
               [] {
                   std::string frames;
                   for (int i = 0; i < 300; ++i) frames += frame(3, "TIT1", std::string("\0x", 2));
                   return frames;
               }()),
         [] {
             Fields fields(swf::Id3Tag::kMaxFrames, {"TIT1", "x"});
             return fields;
         }()},
        {"no tag", kAudio + "TA", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto* bytes = reinterpret_cast<const uint8_t*>(c.file.data());
        EXPECT_EQ(swf::Id3Tag::read({bytes, c.file.size()}), c.fields);
    }
}

}  // namespace
