// The raw-picture members of the sprite routines and the rectangle clear.
#include <cstddef>
#include <cstring>

#include "sprite.h"
#include "unit_ops.h"

namespace {

uint32_t RawWidth(const uint8_t* picture) { return RleWidth(picture); }
uint32_t RawHeight(const uint8_t* picture) { return RleHeight(picture); }

const uint8_t* RawPixel(const uint8_t* picture, uint32_t x, uint32_t y)
{
    return picture + kRawHeaderSize + size_t(y) * RawWidth(picture) + x;
}

// Copies `groups` units of a row, whole or keyed.
void CopyRow(uint8_t* at, const uint8_t* source, uint32_t groups) { memcpy(at, source, size_t(groups) * 4); }

struct KeyedRow {
    uint32_t keys;
    void operator()(uint8_t* at, const uint8_t* source, uint32_t groups) const
    {
        for (uint32_t group = 0; group < groups; ++group)
            StoreKeyed(at + 4 * group, LoadUnit(source + 4 * group), keys);
    }
};

// The rows of a window: row r starts at pixel (srcX, srcY + r) of the
// picture, moved by what shift() gives for that row.
template <class Row, class Shift>
void CopyWindow(uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width,
                uint32_t height, Row row, Shift shift)
{
    const uint32_t groups = width / 4;
    const uint8_t* source = RawPixel(picture, srcX, srcY);
    for (uint32_t r = 0; r < height; ++r, dest += pitch, source += RawWidth(picture))
        row(dest, source + shift(), groups);
}

auto NoShift = [] { return ptrdiff_t(0); };

}  // namespace

void CopyRaw(uint8_t* dest, const uint8_t* picture, int32_t pitch)
{
    CopyWindow(dest, picture, pitch, 0, 0, RawWidth(picture), RawHeight(picture), CopyRow, NoShift);
}

void CopyRawKeyed(uint32_t key, uint8_t* dest, const uint8_t* picture, int32_t pitch)
{
    CopyWindow(dest, picture, pitch, 0, 0, RawWidth(picture), RawHeight(picture),
               KeyedRow{RepeatByte(uint8_t(key >> 24))}, NoShift);
}

void CopyRawWindow(uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width,
                   uint32_t height)
{
    CopyWindow(dest, picture, pitch, srcX, srcY, width, height, CopyRow, NoShift);
}

void CopyRawWindowKeyed(uint32_t key, uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX,
                        uint32_t srcY, uint32_t width, uint32_t height)
{
    CopyWindow(dest, picture, pitch, srcX, srcY, width, height, KeyedRow{RepeatByte(uint8_t(key >> 24))}, NoShift);
}

void CopyRawWave(uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width,
                 uint32_t height, int32_t amplitude, int32_t phaseStep, int32_t phase)
{
    // The phase is a byte offset into the table; masking it keeps every read
    // inside the table (callers keep it a multiple of 4 within it). It steps
    // in unsigned 32-bit arithmetic, wrapping as the table does.
    uint32_t offset = uint32_t(phase);
    CopyWindow(dest, picture, pitch, srcX, srcY, width, height, CopyRow, [&] {
        const int64_t value = WaveTable[(offset & 0x7FF) >> 2];
        offset = (offset + uint32_t(phaseStep)) & 0x7FF;
        return ptrdiff_t(value * amplitude / 10000);  // truncated toward zero
    });
}

void ClearRect(uint8_t* dest, int32_t pitch, uint32_t width, uint32_t height)
{
    for (uint32_t row = 0; row < height; ++row, dest += pitch)
        memset(dest, 0, size_t(width / 4) * 4);
}
