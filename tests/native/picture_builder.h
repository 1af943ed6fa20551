// Hand-built column-RLE pictures and guarded surfaces for the picture tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "rle.h"

using Bytes = std::vector<uint8_t>;

// A stream token. Units are little-endian: byte k, pixel 4s + k, is bits 8k-8k+7.
struct Token {
    Bytes bytes;
};

inline void PutUnit(Bytes& out, uint32_t unit)
{
    for (int k = 0; k < 4; ++k)
        out.push_back(uint8_t(unit >> (8 * k)));
}

inline Token Lit(uint32_t unit)
{
    Token token;
    PutUnit(token.bytes, unit);
    return token;
}

// The marker and count that repeat `unit` `count` more times (1-511; the
// caller may pass more to build a broken stream).
inline Token Repeat(uint32_t unit, unsigned count)
{
    Token token;
    PutUnit(token.bytes, unit);
    if (count >= 1 && count <= 255) {
        token.bytes.push_back(uint8_t(count));
    } else {
        token.bytes.push_back(0);
        token.bytes.push_back(uint8_t(count - 256));
    }
    return token;
}

struct Picture {
    Bytes bytes;  // from the width field
};

inline Picture PictureOf(uint16_t width, uint16_t height, std::initializer_list<Token> tokens)
{
    Picture picture{{uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8)}};
    for (const Token& token : tokens)
        picture.bytes.insert(picture.bytes.end(), token.bytes.begin(), token.bytes.end());
    return picture;
}

// Pixel rows from units listed row by row, width / 4 units a row.
inline std::vector<Bytes> Rows(uint16_t width, const std::vector<uint32_t>& units)
{
    std::vector<Bytes> rows;
    for (size_t at = 0; at < units.size(); at += width / 4u) {
        Bytes row;
        for (size_t i = at; i < at + width / 4u; ++i)
            PutUnit(row, units[i]);
        rows.push_back(row);
    }
    return rows;
}

// A destination of height rows of width bytes, `pitch` apart (negative for
// bottom-up), in a block filled with 0xA5: every byte the rows do not cover
// must keep it.
struct Surface {
    Surface(size_t width, size_t height, int32_t pitch) : width(width), height(height), pitch(pitch)
    {
        block.assign(kGuard + size_t(std::abs(pitch)) * height + kGuard, kFill);
        origin = kGuard + (pitch < 0 ? (height - 1) * size_t(-pitch) : 0);
    }

    uint8_t* Origin() { return block.data() + origin; }
    size_t Offset(size_t row) const { return size_t(ptrdiff_t(origin) + ptrdiff_t(row) * pitch); }
    Bytes Row(size_t row) const
    {
        return Bytes(block.begin() + long(Offset(row)), block.begin() + long(Offset(row) + width));
    }

    bool GuardsIntact() const
    {
        std::vector<bool> covered(block.size());
        for (size_t row = 0; row < height; ++row)
            for (size_t x = 0; x < width; ++x)
                covered[Offset(row) + x] = true;
        for (size_t i = 0; i < block.size(); ++i)
            if (!covered[i] && block[i] != kFill)
                return false;
        return true;
    }

    static constexpr size_t kGuard = 64;
    static constexpr uint8_t kFill = 0xA5;
    size_t width, height;
    int32_t pitch;
    size_t origin;
    Bytes block;
};

inline std::vector<Bytes> Decoded(const Picture& picture)
{
    Surface surface(RleWidth(picture.bytes.data()), RleHeight(picture.bytes.data()), RleWidth(picture.bytes.data()));
    DecodeRle(surface.Origin(), picture.bytes.data(), surface.pitch);
    std::vector<Bytes> rows;
    for (size_t row = 0; row < surface.height; ++row)
        rows.push_back(surface.Row(row));
    return rows;
}
