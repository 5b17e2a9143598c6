#pragma once
// Reading a movie's header: its frame size, frame count and frame rate, from the first bytes
// of an uncompressed ("FWS") or compressed ("CWS" with zlib, "ZWS" with LZMA) movie, without
// reading the rest.

#include <cstdint>
#include <span>
#include <string>

#include "convert/MovieHeader.h"

namespace convert {

// The signature, version and file length (8 bytes), then room for the largest frame
// rectangle (17 bytes), the frame rate and the frame count.
inline constexpr size_t kSwfHeaderBytes = 29;

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

// Reads the header of an uncompressed or compressed movie from the start of its file;
// `header` is written only on success. Returns 0, or -1 when the bytes are not a movie, or
// end (or their stream breaks) inside the header fields.
int ReadSwfHeader(std::span<const uint8_t> file, MovieHeader& header);
// The same from a file, of which only the start is read; -1 also when it cannot be read.
int ReadSwfHeader(const std::string& path, MovieHeader& header);

}  // namespace convert
