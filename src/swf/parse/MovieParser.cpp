#include "swf/parse/MovieParser.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "swf/format/BitReader.h"
#include "swf/format/TagCode.h"
#include "swf/format/TagStream.h"
#include "swf/parse/CharacterParser.h"
#include "swf/parse/LzmaBody.h"
#include "swf/parse/TimelineBuilder.h"
#include "swf/text/EditTextCharacter.h"
#include "swf/text/FontCharacter.h"

namespace swf {
namespace {

constexpr size_t kHeaderSize = 8;  // signature, version, file length

}  // namespace

void MovieParser::readExports(std::span<const uint8_t> body, SwfMovie& movie, ParseBudget& budget) {
    BitReader in(body);
    unsigned count = in.u16();
    // Each entry takes at least three bytes of the tag, so a false count ends with the data.
    for (unsigned i = 0; i < count; ++i) {
        uint16_t id = in.u16();
        std::string name = in.cString();
        if (in.overrun()) return;  // a cut entry is dropped
        if (!budget.takeBytes(sizeof(SwfMovie::Export) + name.size())) return;
        movie.exports.emplace_back(std::move(name), id);
    }
}

bool MovieParser::inflateBody(std::span<const uint8_t> compressed, std::vector<uint8_t>& out,
                              std::string& error) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        error = "the decompressor could not be started";
        return false;
    }
    z.next_in = const_cast<Bytef*>(compressed.data());
    z.avail_in = static_cast<uInt>(compressed.size());
    constexpr size_t kChunk = 1 << 16;
    int status = Z_OK;
    while (status == Z_OK) {
        if (out.size() >= kMaxMovieBytes) {
            inflateEnd(&z);
            error = "the movie is larger than 256 MiB uncompressed";
            return false;
        }
        size_t have = out.size();
        out.resize(have + kChunk);
        z.next_out = out.data() + have;
        z.avail_out = static_cast<uInt>(kChunk);
        status = inflate(&z, Z_SYNC_FLUSH);
        out.resize(have + (kChunk - z.avail_out));
        if (status == Z_BUF_ERROR && z.avail_in == 0)
            break;  // the data ends before the stream does
        if (status == Z_BUF_ERROR) status = Z_OK;
    }
    inflateEnd(&z);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR && out.empty()) {
        error =
            std::string("the compressed data is damaged (") + (z.msg ? z.msg : "zlib error") + ")";
        return false;
    }
    if (out.size() > kMaxMovieBytes) {
        error = "the movie is larger than 256 MiB uncompressed";
        return false;
    }
    return true;
}

void MovieParser::readTags(std::span<const uint8_t> tags, SwfMovie& movie,
                           const ParseBudget& budget) {
    CharacterParseContext context;
    context.dictionary = &movie.dictionary;
    context.budget = budget;
    context.swfVersion = movie.header.version;
    TimelineBuilder timeline(movie.header.frameCount, context.budget, movie.header.version, tags);
    TagStream stream(tags);
    Tag tag;
    bool sawEnd = false;
    int frame = 0;
    while (stream.next(tag)) {
        if (tag.code == static_cast<uint16_t>(TagCode::End)) sawEnd = true;
        if (tag.code == static_cast<uint16_t>(TagCode::ShowFrame)) ++frame;
        if (timeline.add(tag)) continue;
        switch (static_cast<TagCode>(tag.code)) {
            case TagCode::JpegTables:
                if (movie.jpegTables.empty())
                    movie.jpegTables.assign(tag.body.begin(), tag.body.end());
                context.jpegTables = movie.jpegTables;
                continue;
            case TagCode::DefineFontInfo:
            case TagCode::DefineFontInfo2:
                FontCharacter::applyFontInfo(tag.code, tag.body, movie.dictionary);
                continue;
            case TagCode::ExportAssets:
                readExports(tag.body, movie, context.budget);
                continue;
            case TagCode::FileAttributes:
                if (!tag.body.empty()) {
                    movie.useNetwork = (tag.body[0] & 0x01) != 0;
                    movie.actionScript3 = (tag.body[0] & 0x08) != 0;
                }
                continue;
            case TagCode::ScriptLimits:
                if (tag.body.size() >= 2)
                    movie.maxRecursionDepth = static_cast<uint16_t>(tag.body[0] | tag.body[1] << 8);
                continue;
            case TagCode::ImportAssets:
            case TagCode::ImportAssets2:
                readImport(tag, movie, context.budget);
                continue;
            case TagCode::DefineButtonSound:
                readButtonSounds(tag, movie);
                continue;
            case TagCode::VideoFrame:
                CharacterParser::addVideoFrame(tag, context);
                continue;
            case TagCode::CsmTextSettings:
                EditTextCharacter::applyTextSettings(tag.body, movie.dictionary);
                continue;
            case TagCode::DefineScalingGrid:
                CharacterParser::addScalingGrid(tag.body, movie.dictionary);
                continue;
            case TagCode::DoAbc:
            case TagCode::DoAbcDefine:
                readAbc(tag, frame, movie, context.budget);
                continue;
            case TagCode::SymbolClass:
                readSymbolClasses(tag.body, movie, context.budget);
                continue;
            case TagCode::DefineSceneAndFrameLabelData:
                readSceneData(tag.body, movie, context.budget);
                continue;
            default:
                break;
        }
        if (auto character = CharacterParser::parse(tag, context))
            movie.dictionary.add(std::move(character));
    }
    movie.truncated = stream.truncated() || !sawEnd;
    movie.timeline = timeline.finish();
}

void MovieParser::readAbc(const Tag& tag, int frame, SwfMovie& movie, ParseBudget& budget) {
    SwfMovie::AbcBlock block;
    block.frame = frame;
    BitReader in(tag.body);
    if (tag.code == static_cast<uint16_t>(TagCode::DoAbc)) {
        block.lazyInitialize = (in.u32() & 1) != 0;
        block.name = in.cString();
        if (in.overrun()) return;
    }
    std::span<const uint8_t> data = in.bytes(in.remaining());
    if (!budget.takeBytes(data.size())) return;
    block.data.assign(data.begin(), data.end());
    movie.abcBlocks.push_back(std::move(block));
}

void MovieParser::readSymbolClasses(std::span<const uint8_t> body, SwfMovie& movie, ParseBudget& budget) {
    BitReader in(body);
    unsigned count = in.u16();
    for (unsigned i = 0; i < count; ++i) {
        uint16_t id = in.u16();
        std::string name = in.cString();
        if (in.overrun() || !budget.takeBytes(sizeof(uint16_t) + name.size())) return;
        movie.symbolClasses.emplace_back(id, std::move(name));
    }
}

void MovieParser::readSceneData(std::span<const uint8_t> body, SwfMovie& movie, ParseBudget& budget) {
    BitReader in(body);
    SceneData data;
    // Each entry takes two bytes at least, so the counts are bounded by the tag's length.
    for (auto* list : {&data.scenes, &data.labels}) {
        const uint32_t count = in.encodedU32();
        for (uint32_t i = 0; i < count && !in.atEnd(); ++i) {
            SceneData::Entry entry;
            entry.frame = in.encodedU32();
            entry.name = in.cString();
            if (in.overrun() || !budget.takeBytes(sizeof entry + entry.name.size())) return;
            list->push_back(std::move(entry));
        }
    }
    movie.sceneData = std::move(data);
}

void MovieParser::readButtonSounds(const Tag& tag, SwfMovie& movie) {
    BitReader in(tag.body);
    const uint16_t button = in.u16();
    std::array<SoundStart, 4> sounds;
    for (SoundStart& sound : sounds) {
        sound.soundId = in.u16();
        if (sound.soundId != 0) {
            const uint16_t id = sound.soundId;
            sound = SoundStart::readInfo(in);
            sound.soundId = id;
        }
    }
    if (!in.overrun()) movie.buttonSounds[button] = sounds;
}

void MovieParser::readImport(const Tag& tag, SwfMovie& movie, ParseBudget& budget) {
    BitReader in(tag.body);
    SwfMovie::Import import;
    import.url = in.cString();
    if (tag.code == static_cast<uint16_t>(TagCode::ImportAssets2)) in.skip(2);
    uint16_t count = in.u16();
    for (uint16_t i = 0; i < count && !in.atEnd(); ++i) {
        uint16_t id = in.u16();
        std::string name = in.cString();
        if (in.overrun()) break;
        import.assets.emplace_back(id, std::move(name));
    }
    if (budget.takeBytes(tag.body.size())) movie.imports.push_back(std::move(import));
}

namespace {

// An import's URL as a file beside the movie (or below its folder); nothing else is read.
std::optional<std::filesystem::path> localImportPath(const std::filesystem::path& folder,
                                                     const std::string& url) {
    std::filesystem::path relative(url);
    if (url.empty() || url.find(':') != std::string::npos || relative.is_absolute())
        return std::nullopt;
    for (const auto& part : relative)
        if (part == "..") return std::nullopt;
    return folder / relative;
}

}  // namespace

void MovieParser::resolveImports(SwfMovie& movie, const std::filesystem::path& folder,
                                 int& moviesLeft) {
    for (const SwfMovie::Import& import : movie.imports) {
        auto path = localImportPath(folder, import.url);
        if (!path || moviesLeft <= 0) continue;
        --moviesLeft;
        std::string error;
        auto source = parseFileWithin(path->string(), error, moviesLeft);
        if (!source) continue;
        // An imported character is attached by the name it came under.
        for (const auto& [id, name] : import.assets)
            if (auto exported = source->findExport(name)) {
                movie.dictionary.addAs(id, source->dictionary.share(*exported));
                movie.exports.emplace_back(name, id);
            }
        movie.importedMovies.push_back(std::move(source));
    }
}

std::shared_ptr<SwfMovie> MovieParser::parse(std::span<const uint8_t> data, std::string& error,
                                             const ParseBudget& budget) {
    if (data.empty()) {
        error = "the file is empty";
        return nullptr;
    }
    if (data.size() < kHeaderSize) {
        error = "the file is too short to be a movie";
        return nullptr;
    }
    bool compressed = data[0] == 'C';
    bool lzma = data[0] == 'Z';
    if (data[1] != 'W' || data[2] != 'S' || (data[0] != 'F' && data[0] != 'C' && data[0] != 'Z')) {
        error = "the file is not a Flash movie (no FWS, CWS or ZWS signature)";
        return nullptr;
    }
    auto movie = std::make_shared<SwfMovie>();
    movie->header.version = data[3];
    movie->header.compressed = compressed || lzma;
    movie->header.fileLength = data.size();
    movie->header.declaredLength =
        static_cast<uint32_t>(data[4]) | (static_cast<uint32_t>(data[5]) << 8) |
        (static_cast<uint32_t>(data[6]) << 16) | (static_cast<uint32_t>(data[7]) << 24);
    std::vector<uint8_t> inflated;
    std::span<const uint8_t> body = data.subspan(kHeaderSize);
    if (compressed) {
        if (!inflateBody(body, inflated, error)) return nullptr;
        body = inflated;
    } else if (lzma) {
        // The header's length counts the 8 header bytes; it bounds what is decoded.
        size_t declared = movie->header.declaredLength;
        size_t limit = std::min(declared > kHeaderSize ? declared - kHeaderSize : 0, kMaxMovieBytes);
        if (!LzmaBody::decode(body, limit, inflated, error)) return nullptr;
        body = inflated;
    } else if (body.size() > kMaxMovieBytes) {
        error = "the movie is larger than 256 MiB";
        return nullptr;
    }
    BitReader in(body);
    movie->header.frameSize = in.rect();
    movie->header.frameRate = in.u16() / 256.0;
    movie->header.frameCount = in.u16();
    if (in.overrun()) {
        error = "the movie's header is cut short";
        return nullptr;
    }
    readTags(body.subspan(in.position()), *movie, budget);
    return movie;
}

std::shared_ptr<SwfMovie> MovieParser::parseFile(const std::string& path, std::string& error) {
    int moviesLeft = kMaxImportedMovies;
    return parseFileWithin(path, error, moviesLeft);
}

std::shared_ptr<SwfMovie> MovieParser::parseFile(const std::string& path, std::string& error,
                                                 const std::filesystem::path& importFolder) {
    int moviesLeft = kMaxImportedMovies;
    return parseFileWithin(path, error, moviesLeft, &importFolder);
}

std::shared_ptr<SwfMovie> MovieParser::parseWithImports(std::span<const uint8_t> data,
                                                        std::string& error,
                                                        const std::filesystem::path& importFolder) {
    auto movie = parse(data, error);
    int moviesLeft = kMaxImportedMovies;
    if (movie) resolveImports(*movie, importFolder, moviesLeft);
    return movie;
}

std::shared_ptr<SwfMovie> MovieParser::parseFileWithin(const std::string& path, std::string& error,
                                                       int& moviesLeft,
                                                       const std::filesystem::path* importFolder) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    std::streamoff size = file.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > kMaxMovieBytes + kHeaderSize) {
        error = size < 0 ? "cannot read " + path : "the movie is larger than 256 MiB";
        return nullptr;
    }
    std::vector<uint8_t> data(static_cast<size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(data.data()), size)) {
        error = "cannot read " + path;
        return nullptr;
    }
    auto movie = parse(data, error);
    if (!movie) return movie;
    std::filesystem::path folder =
        importFolder ? *importFolder : std::filesystem::path(path).parent_path();
    resolveImports(*movie, folder, moviesLeft);
    return movie;
}

}  // namespace swf
