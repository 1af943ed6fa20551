// What the LZSS decoder's careful loop and its fast loop share: the token
// arithmetic, the copies, and the fast loop's entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

inline uint32_t LzssDistance(uint32_t low, uint32_t high) { return (high & 0x0F) << 8 | low; }
inline uint32_t LzssLength(uint32_t high) { return (high >> 4) + 1; }

// The most a flag group can take and make: a flag byte and 8 two-byte
// references of 16 bytes each.
constexpr ptrdiff_t kLzssGroupInput = 1 + 8 * 2;
constexpr ptrdiff_t kLzssGroupOutput = 8 * 16;

// Copies 1-16 bytes between ranges that do not overlap, in two wide moves
// that cover them exactly (both loads come before both stores).
inline void CopyShort(uint8_t* to, const uint8_t* from, uint32_t length)
{
    if (length >= 8) {
        uint64_t head, tail;
        memcpy(&head, from, 8);
        memcpy(&tail, from + length - 8, 8);
        memcpy(to, &head, 8);
        memcpy(to + length - 8, &tail, 8);
    } else if (length >= 4) {
        uint32_t head, tail;
        memcpy(&head, from, 4);
        memcpy(&tail, from + length - 4, 4);
        memcpy(to, &head, 4);
        memcpy(to + length - 4, &tail, 4);
    } else {
        to[0] = from[0];
        if (length > 1)
            to[1] = from[1];
        if (length > 2)
            to[2] = from[2];
    }
}

// A reference: wide moves where the source lies wholly behind the
// destination, else byte by byte, so that a distance below the length
// repeats what was just written (and a distance of 0 leaves bytes as they
// were).
inline void CopyReference(uint8_t* out, uint32_t distance, uint32_t length)
{
    const uint8_t* from = out - distance;
    if (distance >= length) {
        CopyShort(out, from, length);
    } else if (distance == 1) {
        memset(out, *from, length);
    } else {
        for (uint32_t i = 0; i < length; ++i)
            out[i] = from[i];
    }
}

// Decodes whole flag groups from a group boundary for as long as that needs
// no checks; see lzss_fast.cpp for what it assumes and when it stops. A
// bounded stream's output must stay in [start, end) (an empty buffer may
// be null at both ends). Moves `in` and `out` past what it decoded.
void LzssDecodeFast(const uint8_t*& in, const uint8_t* inEnd, uint8_t*& out, bool bounded, const uint8_t* start,
                    const uint8_t* end);
