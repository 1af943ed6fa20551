#include "rle.h"
#include "unit_ops.h"

namespace {

// Stores every row it is given, one 32-bit unit per row.
struct OpaqueRows {
    uint8_t* at;
    int32_t pitch;

    void operator()(uint32_t unit, uint32_t count) { at = FillRows(at, pitch, unit, count); }
};

}  // namespace

void DecodeRle(uint8_t* dest, const uint8_t* picture, int32_t pitch)
{
    WalkPicture(picture, [&](uint32_t strip) { return OpaqueRows{dest + 4 * strip, pitch}; });
}
