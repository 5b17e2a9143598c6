#pragma once
// A parsed movie: header, dictionary of characters and the main timeline.

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "swf/geom/Geometry.h"
#include "swf/movie/Dictionary.h"
#include "swf/movie/SceneLayout.h"
#include "swf/movie/SoundStart.h"
#include "swf/movie/Timeline.h"

namespace swf {

struct SwfHeader {
    uint8_t version = 0;
    bool compressed = false;
    uint32_t declaredLength = 0;  // the file length the header states (uncompressed)
    size_t fileLength = 0;        // the bytes of the file as read (compressed or not)
    Rect frameSize;               // twips
    double frameRate = 0;         // frames per second (8.8 fixed point in the file)
    uint16_t frameCount = 0;

    // What getBytesLoaded and getBytesTotal answer: the bytes read, never past the stated
    // length; the stated length is the total unless the body is compressed, whose length
    // counts the bytes inflated rather than the bytes of the file.
    double bytesLoaded() const {
        return static_cast<double>(compressed ? fileLength : std::min<size_t>(fileLength, declaredLength));
    }
    double bytesTotal() const {
        return static_cast<double>(compressed ? fileLength : declaredLength);
    }
    // The stage size; 0 for an empty or inverted frame rectangle.
    double widthTwips() const;
    double heightTwips() const;
    int widthPixels() const;
    int heightPixels() const;
    // One frame's duration in milliseconds: 1000 / frame rate, rounded, at least 1. A frame
    // rate of 0 counts as the slowest the format can state (1/256 frame per second).
    uint32_t frameIntervalMs() const;
};

class SwfMovie {
  public:
    SwfHeader header;
    Dictionary dictionary;
    std::shared_ptr<const Timeline> timeline;
    std::vector<uint8_t> jpegTables;
    // ExportAssets entries (name, character id) in file order.
    using Export = std::pair<std::string, uint16_t>;
    std::vector<Export> exports;
    // ImportAssets: characters of another movie, by its URL, under ids of this one.
    struct Import {
        std::string url;
        std::vector<std::pair<uint16_t, std::string>> assets;  // id here, exported name there
    };
    std::vector<Import> imports;
    // The movies imports were taken from, kept alive with this one.
    std::vector<std::shared_ptr<const SwfMovie>> importedMovies;
    // DefineButtonSound: by button id, the sounds of roll out, roll over, press and release
    // (a sound id of 0 for none).
    std::map<uint16_t, std::array<SoundStart, 4>> buttonSounds;
    // True when the tag data ended before an End tag or inside a tag.
    bool truncated = false;
    // FileAttributes' UseNetwork bit: a local movie that may reach the network, not local files.
    bool useNetwork = false;
    // ScriptLimits' MaxRecursionDepth: how many levels of calls one action list may nest,
    // the list itself counted.
    uint16_t maxRecursionDepth = 256;
    // FileAttributes' ActionScript3 bit: the movie's code is for the other virtual machine,
    // and action records in it never run.
    bool actionScript3 = false;
    // DoABC and DoABC2 tags of the main timeline: ActionScript 3 bytecode, run when the
    // playhead first reaches `frame` (0-based).
    struct AbcBlock {
        int frame = 0;
        bool lazyInitialize = false;  // DoABC2 flag 1: scripts run on first use only
        std::string name;
        std::vector<uint8_t> data;
    };
    std::vector<AbcBlock> abcBlocks;
    // SymbolClass: classes bound to characters (id 0 is the main timeline's document class).
    std::vector<std::pair<uint16_t, std::string>> symbolClasses;
    // DefineSceneAndFrameLabelData: the main timeline's scenes and labels, when the movie has them.
    std::optional<SceneData> sceneData;

    // The stage colour: the first SetBackgroundColor of the main timeline, else white.
    Rgba backgroundColor() const;
    // The character exported under `name`, matched ignoring ASCII case as scripts do; an
    // exact match wins over one differing only in case, else the first one exported.
    std::optional<uint16_t> findExport(std::string_view name) const;
};

}  // namespace swf
