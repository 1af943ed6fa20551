// The writing side of the picture forms: the column-RLE encoder (the inverse
// of DecodeRle, with maximal runs) and the BACKCG builder. Used by the tools
// and the tests; the launcher only reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "backcg.h"

// Encodes `height` rows of `width` 8-bit pixels (top row first, `width`
// bytes a row) as an RlePicture: header and stream. width must be a multiple
// of 4 and at least 4, height at least 1.
std::vector<uint8_t> EncodeRle(const uint8_t* pixels, uint16_t width, uint16_t height);

// The number of stream bytes that strip `strip` of those pixels encodes to,
// without building it; lets artwork be tuned one strip at a time.
size_t RleStripSize(const uint8_t* pixels, uint16_t width, uint16_t height, uint32_t strip);

// Builds a BACKCG resource (offset 4, reserved 0) from a palette of 256
// (blue, green, red) entries and an encoded RlePicture.
std::vector<uint8_t> BuildBackcg(const uint8_t palette[kBackcgPaletteSize], const std::vector<uint8_t>& picture);
