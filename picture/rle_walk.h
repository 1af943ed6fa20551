// The one walk over a column-RLE strip that every decoder and the checker
// share. Decoders differ only in what they do with the rows a token covers,
// so each passes a row sink; the checker differs only in how it reads, so it
// passes a bounded reader. The walk stays in one place.
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

// How the walk reads the stream. A reader takes a unit, takes a run's count
// (one byte, or 0 and a byte b for 256 + b) and judges a run against the rows
// left, each answering whether it could. The decoders' reader trusts its
// stream (every answer is yes, and the compiler drops the tests); the
// checker's is bounded by the buffer, and so the checker walks exactly what
// the decoders walk.
struct TrustedReader {
    const uint8_t* at;

    bool TakeUnit(uint32_t& unit)
    {
        unit = LoadUnit(at);
        at += 4;
        return true;
    }
    bool TakeCount(uint32_t& count)
    {
        count = *at++;
        if (count == 0)
            count = 256 + *at++;
        return true;
    }
    static bool RunFits(uint32_t, uint32_t) { return true; }  // a checked stream's runs do
};

enum class WalkEnd {
    Ok,
    Truncated,   // a unit or count was not there to take
    RunTooLong,  // a run reaches past the strip's last row
};

// Walks one strip of `rows` rows (at least 1) from `in` and calls
// sink(unit, count) for every literal (count 1) and every run (count 1-511),
// top row first; `in` is left at the first byte after the strip.
template <class Reader, class RowSink>
inline WalkEnd WalkStrip(Reader& in, uint32_t rows, RowSink& sink)
{
    uint32_t literal;
    if (!in.TakeUnit(literal))
        return WalkEnd::Truncated;
    for (;;) {
        sink(literal, 1);
        if (--rows == 0)
            return WalkEnd::Ok;
        uint32_t next;
        if (!in.TakeUnit(next))
            return WalkEnd::Truncated;
        if (next != literal) {
            literal = next;
            continue;
        }
        uint32_t count;
        if (!in.TakeCount(count))
            return WalkEnd::Truncated;
        if (!in.RunFits(count, rows))
            return WalkEnd::RunTooLong;
        sink(literal, count);
        rows -= count;
        if (rows == 0)
            return WalkEnd::Ok;
        // After a run comes a fresh literal, even an equal one.
        if (!in.TakeUnit(literal))
            return WalkEnd::Truncated;
    }
}

// The same over a trusted stream from `in`: returns the first byte after the
// strip. A run longer than the rows left is the caller's fault.
template <class RowSink>
inline const uint8_t* WalkStrip(const uint8_t* in, uint32_t rows, RowSink& sink)
{
    TrustedReader reader{in};
    WalkStrip(reader, rows, sink);
    return reader.at;
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
