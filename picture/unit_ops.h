// Byte-wise operations on 4-pixel units, for the routines that write only
// some of a unit's pixels. Units are loaded and stored with memcpy, so byte
// k of a unit is always the pixel at address + k, whatever the host's order.
#pragma once

#include <cstdint>
#include <cstring>

#include "rle_walk.h"

inline uint32_t RepeatByte(uint8_t byte) { return byte * 0x01010101u; }

// 0xFF in each byte where `unit` differs from `colours`, 0x00 where equal.
inline uint32_t BytesOtherThan(uint32_t unit, uint32_t colours)
{
    const uint32_t x = unit ^ colours;
    const uint32_t nonzero = (((x & 0x7F7F7F7Fu) + 0x7F7F7F7Fu) | x) & 0x80808080u;
    return (nonzero >> 7) * 0xFFu;
}

// Writes the bytes of `unit` that `mask` selects and keeps the others.
inline void StoreMasked(uint8_t* at, uint32_t unit, uint32_t mask)
{
    StoreUnit(at, (LoadUnit(at) & ~mask) | (unit & mask));
}

// A unit from its four bytes in address order.
inline uint32_t UnitOf(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    const uint8_t bytes[4] = {b0, b1, b2, b3};
    uint32_t unit;
    memcpy(&unit, bytes, sizeof unit);
    return unit;
}

// Stores `unit` on `count` (at least 1) rows, `pitch` apart; returns the row
// after them.
inline uint8_t* FillRows(uint8_t* at, int32_t pitch, uint32_t unit, uint32_t count)
{
    do {
        StoreUnit(at, unit);
        at += pitch;
    } while (--count != 0);
    return at;
}

// Writes a unit's pixels that are not the key colour on `count` (at least 1)
// rows: a unit that is all key is skipped in one step, one without the key
// is stored whole. Returns the row after them.
inline uint8_t* KeyedRows(uint8_t* at, int32_t pitch, uint32_t unit, uint32_t count, uint32_t keys)
{
    if (unit == keys)
        return at + ptrdiff_t(count) * pitch;
    const uint32_t mask = BytesOtherThan(unit, keys);
    if (mask == 0xFFFFFFFFu)
        return FillRows(at, pitch, unit, count);
    do {
        StoreMasked(at, unit, mask);
        at += pitch;
    } while (--count != 0);
    return at;
}

// Writes the pixels of `unit` that are not the key colour.
inline void StoreKeyed(uint8_t* at, uint32_t unit, uint32_t keys)
{
    if (unit == keys)
        return;
    const uint32_t mask = BytesOtherThan(unit, keys);
    if (mask == 0xFFFFFFFFu)
        StoreUnit(at, unit);
    else
        StoreMasked(at, unit, mask);
}
