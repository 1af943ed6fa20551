#include "rle.h"
#include "rle_walk.h"

namespace {

// Stores every row it is given, one 32-bit unit per row.
struct OpaqueRows {
    uint8_t* at;
    int32_t pitch;

    void operator()(uint32_t unit, uint32_t count)
    {
        do {
            StoreUnit(at, unit);
            at += pitch;
        } while (--count);
    }
};

}  // namespace

void DecodeRle(uint8_t* dest, const uint8_t* picture, int32_t pitch)
{
    const uint32_t strips = RleWidth(picture) / 4u;
    const uint32_t height = RleHeight(picture);
    const uint8_t* in = picture + kRleHeaderSize;
    for (uint32_t strip = 0; strip < strips; ++strip) {
        OpaqueRows rows{dest + 4 * strip, pitch};
        in = WalkStrip(in, height, rows);
    }
}
