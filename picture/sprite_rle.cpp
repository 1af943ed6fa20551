// The column-RLE members of the sprite routines. All share DecodeRle's walk
// (rle_walk.h); they differ only in which rows and which pixels of each unit
// they write.
#include <cstddef>
#include <utility>

#include "sprite.h"
#include "unit_ops.h"

namespace {

struct KeyedSink {
    uint8_t* at;
    int32_t pitch;
    uint32_t keys;

    void operator()(uint32_t unit, uint32_t count) { at = KeyedRows(at, pitch, unit, count, keys); }
};

// The fade masks of one strip parity: each row uses `current`, and the two
// swap after every row, carrying over to the next strip of that parity.
struct FadePair {
    uint32_t current;
    uint32_t next;
};

// Which pixels nibble n selects, as a unit: pixel k where bit 3 - k is set.
uint32_t NibbleMask(uint32_t nibble)
{
    return UnitOf(nibble & 8 ? 0xFF : 0, nibble & 4 ? 0xFF : 0, nibble & 2 ? 0xFF : 0, nibble & 1 ? 0xFF : 0);
}

template <bool kKeyed>
struct FadedSink {
    uint8_t* at;
    int32_t pitch;
    FadePair* pair;

    void operator()(uint32_t unit, uint32_t count)
    {
        // Colour 12 is transparent to the keyed variant.
        const uint32_t opaque = kKeyed ? BytesOtherThan(unit, RepeatByte(12)) : 0xFFFFFFFFu;
        if (opaque == 0) {
            // Skipped rows still swap the pair, once each.
            at += ptrdiff_t(count) * pitch;
            if (count & 1)
                std::swap(pair->current, pair->next);
            return;
        }
        do {
            const uint32_t mask = pair->current & opaque;
            if (mask != 0)
                StoreMasked(at, unit, mask);
            std::swap(pair->current, pair->next);
            at += pitch;
        } while (--count != 0);
    }
};

template <bool kKeyed>
void DecodeFaded(uint8_t* dest, const uint8_t* picture, int32_t pitch)
{
    const uint32_t pattern = FadePattern;
    // Even strips use (N3, N1), odd ones (N2, N0).
    FadePair pairs[2] = {{NibbleMask(pattern >> 12 & 15), NibbleMask(pattern >> 4 & 15)},
                         {NibbleMask(pattern >> 8 & 15), NibbleMask(pattern & 15)}};
    WalkPicture(picture, [&](uint32_t strip) { return FadedSink<kKeyed>{dest + 4 * strip, pitch, &pairs[strip & 1]}; });
    StepFadePattern();
}

// Writes the rows [top, bottom) of a strip, the first of them at `at`,
// through `write(at, unit, count)`; a run that straddles either edge writes
// only its rows inside.
template <class Write>
struct WindowSink {
    uint8_t* at;
    int32_t pitch;
    uint64_t row;  // the picture row of the next token
    uint64_t top, bottom;
    Write write;

    void operator()(uint32_t unit, uint32_t count)
    {
        const uint64_t first = row > top ? row : top;
        row += count;
        const uint64_t last = row < bottom ? row : bottom;
        if (first < last)
            write(at + ptrdiff_t(first - top) * pitch, unit, uint32_t(last - first));
    }
};

// Draws `count` strips from source strip `first` into destination strips
// from `destFirst`, walking the stream from its start.
template <class Write>
void DrawStrips(uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t first, uint32_t count,
                uint32_t destFirst, uint32_t srcY, uint32_t height, Write write)
{
    const uint32_t rows = RleHeight(picture);
    const uint8_t* in = picture + kRleHeaderSize;
    SkipRows skip;
    for (uint32_t strip = 0; strip < first; ++strip)
        in = WalkStrip(in, rows, skip);
    for (uint32_t j = 0; j < count; ++j) {
        WindowSink<Write> sink{dest + 4 * size_t(destFirst + j), pitch, 0, srcY, uint64_t(srcY) + height, write};
        in = WalkStrip(in, rows, sink);
    }
}

template <class Write>
void DecodeWindow(uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width,
                  uint32_t height, Write write)
{
    const uint32_t strips = RleWidth(picture) / 4u;
    if (int32_t(RleHeight(picture) - srcY - height) < 0)
        return;  // a window reaching below the picture draws nothing
    uint32_t first = srcX / 4;
    const uint32_t count = width / 4;
    if (first == strips)
        first = 0;
    const uint32_t wrap = first + count > strips ? first + count - strips : 0;
    DrawStrips(dest, picture, pitch, first, count - wrap, 0, srcY, height, write);
    if (wrap > 0)
        DrawStrips(dest, picture, pitch, 0, wrap, count - wrap, srcY, height, write);
}

}  // namespace

void DecodeRleKeyed(uint32_t key, uint8_t* dest, const uint8_t* picture, int32_t pitch)
{
    const uint32_t keys = RepeatByte(uint8_t(key >> 24));
    WalkPicture(picture, [&](uint32_t strip) { return KeyedSink{dest + 4 * strip, pitch, keys}; });
}

void DecodeRleFaded(uint8_t* dest, const uint8_t* picture, int32_t pitch) { DecodeFaded<false>(dest, picture, pitch); }

void DecodeRleFadedKeyed(uint8_t* dest, const uint8_t* picture, int32_t pitch)
{
    DecodeFaded<true>(dest, picture, pitch);
}

void DecodeRleWindow(uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width,
                     uint32_t height)
{
    DecodeWindow(dest, picture, pitch, srcX, srcY, width, height,
                 [pitch](uint8_t* at, uint32_t unit, uint32_t count) { FillRows(at, pitch, unit, count); });
}

void DecodeRleWindowKeyed(uint32_t key, uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX,
                          uint32_t srcY, uint32_t width, uint32_t height)
{
    const uint32_t keys = RepeatByte(uint8_t(key >> 24));
    DecodeWindow(
        dest, picture, pitch, srcX, srcY, width, height,
        [pitch, keys](uint8_t* at, uint32_t unit, uint32_t count) { KeyedRows(at, pitch, unit, count, keys); });
}
