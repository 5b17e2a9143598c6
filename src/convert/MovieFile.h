#pragma once
// The movie file operations: reading the header, inflating a compressed ("CWS") movie into
// an uncompressed working copy, and making the silent copy that is played whenever frames
// are captured or stepped.

#include <cstdint>
#include <span>
#include <string>

#include "convert/MovieHeader.h"

namespace convert {

// The signature, version and file length (8 bytes), then room for the largest frame
// rectangle (17 bytes), the frame rate and the frame count.
inline constexpr size_t kSwfHeaderBytes = 29;
// No movie inflates to more than this; a larger one is taken for a hostile file.
inline constexpr uint64_t kMaxInflatedMovieBytes = uint64_t{1} << 30;

// The header's values before rounding.
struct SwfHeaderFields {
    double width = 0;   // pixels
    double height = 0;  // pixels
    double frameRate = 0;
    int32_t frameCount = 0;
};

// Parses an uncompressed header ("FWS"). Returns 0, or -1 when the signature is wrong or
// the fields run past the end of `bytes`.
int ParseSwfHeader(std::span<const uint8_t> bytes, SwfHeaderFields& fields);

// Reads the header of an uncompressed or compressed movie; `header` is written only on
// success. Returns 0, or -1 when the file cannot be read, is not a movie, or ends (or its
// stream breaks) inside the header fields.
int ReadSwfHeader(const std::string& path, MovieHeader& header);

// Writes the uncompressed form of a compressed movie to `copyPath` and returns 1; returns 0
// (writing nothing) for a movie that is already uncompressed, -1 on failure. A stream that
// stops early or breaks gives the movie inflated so far. A movie that would inflate past
// `maxInflatedBytes` fails. On failure `copyPath` is as it was.
int DecompressSwf(const std::string& sourcePath, const std::string& copyPath,
                  uint64_t maxInflatedBytes = kMaxInflatedMovieBytes);

// How much of a movie a silent copy holds.
struct MovieExtent {
    // The main timeline's ShowFrame tags copied.
    int32_t completeFrames = 0;
    // The movie ends inside a tag (a download that stopped): the copy ends after its last
    // complete frame, with an End tag, and its header counts only those frames.
    bool cutShort = false;
};

// Copies an uncompressed movie up to its End tag with every sound tag, also inside sprites,
// turned into an unknown tag that players skip. A movie cut short inside a tag is copied up
// to its last complete frame. Returns 0, or -1 when the source cannot be read, is not an
// uncompressed movie, holds no complete frame before a cut, has a sprite whose tags
// overrun it, or the copy cannot be written; on failure `copyPath` is as it was.
int MakeSilentCopy(const std::string& sourcePath, const std::string& copyPath,
                   MovieExtent* extent = nullptr);

}  // namespace convert
