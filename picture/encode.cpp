#include "encode.h"

#include <algorithm>
#include <cstring>

#include "rle.h"
#include "rle_walk.h"

namespace {

constexpr uint32_t kLongestRun = 511;  // a count of 256 + 255

// Emits one strip through `emit(bytes, n)`. Vertically equal units must
// become a literal, a marker and a count, since a repeated unit always reads
// as a marker; a run longer than 511 goes on with a fresh literal.
template <class Emit>
void EncodeStrip(const uint8_t* pixels, uint16_t width, uint16_t height, uint32_t strip, Emit emit)
{
    const uint8_t* column = pixels + 4 * strip;
    uint32_t row = 0;
    while (row < height) {
        const uint32_t unit = LoadUnit(column + size_t(row) * width);
        uint32_t repeats = 0;
        while (row + 1 + repeats < height && repeats < kLongestRun &&
               LoadUnit(column + size_t(row + 1 + repeats) * width) == unit)
            ++repeats;

        uint8_t token[10];
        size_t length = 4;
        StoreUnit(token, unit);
        if (repeats > 0) {
            StoreUnit(token + 4, unit);
            length = 8;
            if (repeats < 256) {
                token[length++] = uint8_t(repeats);
            } else {
                token[length++] = 0;
                token[length++] = uint8_t(repeats - 256);
            }
        }
        emit(token, length);
        row += 1 + repeats;
    }
}

}  // namespace

std::vector<uint8_t> EncodeRle(const uint8_t* pixels, uint16_t width, uint16_t height)
{
    std::vector<uint8_t> picture = {uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8)};
    for (uint32_t strip = 0; strip < width / 4u; ++strip)
        EncodeStrip(pixels, width, height, strip,
                    [&](const uint8_t* bytes, size_t n) { picture.insert(picture.end(), bytes, bytes + n); });
    return picture;
}

size_t RleStripSize(const uint8_t* pixels, uint16_t width, uint16_t height, uint32_t strip)
{
    size_t size = 0;
    EncodeStrip(pixels, width, height, strip, [&](const uint8_t*, size_t n) { size += n; });
    return size;
}

std::vector<uint8_t> BuildBackcg(const uint8_t palette[kBackcgPaletteSize], const std::vector<uint8_t>& picture)
{
    static const uint8_t kDirectory[12] = {
        1, 0, 0, 0,  // one picture
        4, 0, 0, 0,  // its record follows this field
        0, 0, 0, 0,  // the record's reserved field
    };
    std::vector<uint8_t> resource(kBackcgPaletteSize + sizeof kDirectory + picture.size());
    memcpy(resource.data(), palette, kBackcgPaletteSize);
    memcpy(resource.data() + kBackcgPaletteSize, kDirectory, sizeof kDirectory);
    std::copy(picture.begin(), picture.end(), resource.begin() + kBackcgPaletteSize + sizeof kDirectory);
    return resource;
}
