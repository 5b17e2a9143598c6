#include "swf/sound/Id3Tag.h"
#include "swf/format/Utf8.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace swf {
namespace {

constexpr std::pair<std::string_view, std::string_view> kV1Names[] = {
    {"TIT2", "songname"}, {"TPE1", "artist"},  {"TALB", "album"}, {"TYER", "year"},
    {"TDRC", "year"},     {"COMM", "comment"}, {"TRCK", "track"}, {"TCON", "genre"}};

size_t synchsafe(const uint8_t* p) {
    return (size_t{p[0] & 0x7Fu} << 21) | (size_t{p[1] & 0x7Fu} << 14) |
           (size_t{p[2] & 0x7Fu} << 7) | (p[3] & 0x7Fu);
}

size_t bigEndian(const uint8_t* p) {
    return (size_t{p[0]} << 24) | (size_t{p[1]} << 16) | (size_t{p[2]} << 8) | p[3];
}

// Undoes unsynchronisation: the zero byte put after every 0xFF goes.
std::vector<uint8_t> resynchronised(std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    out.reserve(data.size());
    for (size_t i = 0; i < data.size(); ++i) {
        out.push_back(data[i]);
        if (data[i] == 0xFF && i + 1 < data.size() && data[i + 1] == 0) ++i;
    }
    return out;
}


std::string fromLatin1(std::span<const uint8_t> bytes) {
    std::string out;
    for (uint8_t b : bytes) appendUtf8(out, b);
    return out;
}

// One string of a frame in the frame's encoding, up to its terminator; `rest` is left with
// what follows the terminator.
std::string decodeString(uint8_t encoding, std::span<const uint8_t>& rest) {
    const bool wide = encoding == 1 || encoding == 2;
    size_t length = 0;
    while (length < rest.size() &&
           !(rest[length] == 0 && (!wide || (length + 1 < rest.size() && rest[length + 1] == 0))))
        length += wide ? 2 : 1;
    length = std::min(length, rest.size());
    const std::span<const uint8_t> text = rest.first(length);
    rest = rest.subspan(std::min(rest.size(), length + (wide ? 2 : 1)));
    switch (encoding) {
        case 0:
            return fromLatin1(text);
        case 1:
        case 2:
            return fromUtf16Bytes(text, encoding == 2);
        default:
            return std::string(text.begin(), text.end());
    }
}

// The text of a text frame or a comment (past its language and description); nothing for
// the other frames.
std::optional<std::string> frameText(std::string_view id, std::span<const uint8_t> data) {
    if (data.empty()) return std::nullopt;
    const uint8_t encoding = data[0];
    std::span<const uint8_t> rest = data.subspan(1);
    if (id == "COMM") {
        if (rest.size() < 3) return std::nullopt;
        rest = rest.subspan(3);
        decodeString(encoding, rest);  // the description
    } else if (id[0] != 'T' || id == "TXXX") {
        return std::nullopt;
    }
    return decodeString(encoding, rest);
}

void add(std::vector<Id3Tag::Field>& fields, std::string_view id, const std::string& text) {
    fields.push_back({std::string(id), text});
    for (const auto& [frame, name] : kV1Names)
        if (frame == id) fields.push_back({std::string(name), text});
}

void readV2(std::span<const uint8_t> file, std::vector<Id3Tag::Field>& fields) {
    const int version = file[3];
    const uint8_t flags = file[5];
    const size_t end = std::min(file.size(), 10 + synchsafe(&file[6]));
    std::vector<uint8_t> body(file.begin() + 10, file.begin() + static_cast<std::ptrdiff_t>(end));
    // Version 3 unsynchronises the whole tag, version 4 each frame.
    if (version == 3 && (flags & 0x80)) body = resynchronised(body);
    size_t pos = 0;
    if (flags & 0x40) {
        if (body.size() < 4) return;
        pos = version == 3 ? 4 + bigEndian(body.data()) : synchsafe(body.data());
    }
    for (int frames = 0;
         frames < Id3Tag::kMaxFrames && pos <= body.size() && body.size() - pos >= 10; ++frames) {
        const std::string_view id(reinterpret_cast<const char*>(&body[pos]), 4);
        if (!std::all_of(id.begin(), id.end(),
                         [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }))
            break;  // padding
        const size_t size = version == 4 ? synchsafe(&body[pos + 4]) : bigEndian(&body[pos + 4]);
        const uint8_t format = body[pos + 9];
        pos += 10;
        if (size > body.size() - pos) break;
        std::span<const uint8_t> data(body.data() + pos, size);
        pos += size;
        std::vector<uint8_t> resynced;
        if (version == 3) {
            if (format & 0xC0) continue;  // compressed or encrypted
            if (format & 0x20) data = data.subspan(std::min<size_t>(1, data.size()));
        } else {
            if (format & 0x0C) continue;  // compressed or encrypted
            if (format & 0x40) data = data.subspan(std::min<size_t>(1, data.size()));
            if (format & 0x01) data = data.subspan(std::min<size_t>(4, data.size()));
            if ((format & 0x02) || (flags & 0x80)) {
                resynced = resynchronised(data);
                data = resynced;
            }
        }
        if (auto text = frameText(id, data)) add(fields, id, *text);
    }
}

// The v1 fields: fixed-width Latin-1, padded with zeros or spaces; a zero before the
// comment's last byte makes that byte the track (v1.1).
void readV1(std::span<const uint8_t> tag, std::vector<Id3Tag::Field>& fields) {
    const auto text = [&](size_t from, size_t width) {
        std::span<const uint8_t> bytes = tag.subspan(from, width);
        bytes = bytes.first(
            static_cast<size_t>(std::find(bytes.begin(), bytes.end(), 0) - bytes.begin()));
        while (!bytes.empty() && bytes.back() == ' ') bytes = bytes.first(bytes.size() - 1);
        return fromLatin1(bytes);
    };
    const bool hasTrack = tag[125] == 0 && tag[126] != 0;
    const std::pair<const char*, std::string> v1[] = {
        {"songname", text(3, 30)},
        {"artist", text(33, 30)},
        {"album", text(63, 30)},
        {"year", text(93, 4)},
        {"comment", text(97, hasTrack ? 28 : 30)},
        {"track", hasTrack ? std::to_string(tag[126]) : std::string()},
        {"genre", tag[127] != 0xFF ? std::to_string(tag[127]) : std::string()}};
    for (const auto& entry : v1) {
        const std::string_view name = entry.first;
        const bool known = std::any_of(fields.begin(), fields.end(),
                                       [name](const Id3Tag::Field& f) { return f.name == name; });
        if (!entry.second.empty() && !known) fields.push_back({entry.first, entry.second});
    }
}

}  // namespace

std::optional<std::vector<Id3Tag::Field>> Id3Tag::read(std::span<const uint8_t> file) {
    const bool v2 = file.size() >= 10 && file[0] == 'I' && file[1] == 'D' && file[2] == '3';
    const bool v1 = file.size() >= 128 && file[file.size() - 128] == 'T' &&
                    file[file.size() - 127] == 'A' && file[file.size() - 126] == 'G';
    if (!v1 && !v2) return std::nullopt;
    std::vector<Field> fields;
    if (v2 && (file[3] == 3 || file[3] == 4)) readV2(file, fields);
    if (v1) readV1(file.last(128), fields);
    return fields;
}

}  // namespace swf
