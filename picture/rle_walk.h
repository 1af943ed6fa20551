// The one walk over a column-RLE strip that every decoder shares. Decoders
// differ only in what they do with the rows a token covers, so each passes a
// row sink and the walk stays in one place.
#pragma once

#include <cstdint>
#include <cstring>

#include "rle.h"

inline uint32_t LoadUnit(const uint8_t* at)
{
    uint32_t unit;
    memcpy(&unit, at, sizeof unit);
    return unit;
}

inline void StoreUnit(uint8_t* at, uint32_t unit) { memcpy(at, &unit, sizeof unit); }

// Walks one strip of `rows` rows (at least 1) starting at `in` and calls
// sink(unit, count) for every literal (count 1) and every run (count 1-511),
// top row first. Returns the first byte after the strip. The stream is
// trusted: a run longer than the rows left is the caller's fault.
template <class RowSink>
inline const uint8_t* WalkStrip(const uint8_t* in, uint32_t rows, RowSink& sink)
{
    uint32_t literal = LoadUnit(in);
    in += 4;
    for (;;) {
        sink(literal, 1);
        if (--rows == 0)
            return in;
        const uint32_t next = LoadUnit(in);
        in += 4;
        if (next != literal) {
            literal = next;
            continue;
        }
        uint32_t count = *in++;
        if (count == 0)
            count = 256 + *in++;
        sink(literal, count);
        rows -= count;
        if (rows == 0)
            return in;
        literal = LoadUnit(in);  // after a run comes a fresh literal, even an equal one
        in += 4;
    }
}

// Walks every strip of a picture, handing each to the sink that
// makeSink(strip) returns. Returns the first byte after the stream.
template <class MakeSink>
inline const uint8_t* WalkPicture(const uint8_t* picture, MakeSink makeSink)
{
    const uint32_t strips = RleWidth(picture) / 4u;
    const uint32_t height = RleHeight(picture);
    const uint8_t* in = picture + kRleHeaderSize;
    for (uint32_t strip = 0; strip < strips; ++strip) {
        auto sink = makeSink(strip);
        in = WalkStrip(in, height, sink);
    }
    return in;
}

// A sink for strips that are walked but not drawn.
struct SkipRows {
    void operator()(uint32_t, uint32_t) { }
};
