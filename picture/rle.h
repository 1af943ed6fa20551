// Column-RLE pictures.
//
// An RlePicture is a little-endian u16 width, a u16 height and a strip stream.
// The picture is cut into strips four pixels wide; each strip is stored from
// the top row down as 32-bit units (the four pixels of one row, lowest address
// leftmost). A unit equal to the literal just before it is a run marker,
// followed by a count byte (1-255, or 0 and a byte b meaning 256 + b): the
// literal repeats that many more rows. After a run, the next unit is always a
// literal. Strips follow each other with no index or padding.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes a whole picture. dest is where the picture's top-left pixel goes;
// pitch is the signed byte distance to the row that shows the next picture
// row down (negative for a bottom-up bitmap). The stream is trusted: callers
// run CheckRle (or CheckBackcg) on untrusted pictures first.
void DecodeRle(uint8_t* dest, const uint8_t* picture, int32_t pitch);

inline uint16_t RleWidth(const uint8_t* picture) { return uint16_t(picture[0] | picture[1] << 8); }
inline uint16_t RleHeight(const uint8_t* picture) { return uint16_t(picture[2] | picture[3] << 8); }

// Bytes before the strip stream.
constexpr size_t kRleHeaderSize = 4;

enum class RleStatus {
    Ok,
    Truncated,   // the header, a unit or a count byte lies past the end of the buffer
    BadWidth,    // width is not a multiple of 4, or below 4
    BadHeight,   // height is 0
    RunTooLong,  // a run reaches past the last row of its strip
};

struct RleCheck {
    RleStatus status;
    size_t offset;  // Ok: bytes used (header and stream); otherwise the offending byte
};

// Walks the whole stream of a picture held in size bytes without writing
// anything, and says whether every token lies inside the buffer and inside
// its strip. Reads nothing outside [picture, picture + size).
RleCheck CheckRle(const uint8_t* picture, size_t size);

const char* RleStatusText(RleStatus status);
