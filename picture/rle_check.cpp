#include "rle.h"
#include "rle_walk.h"

namespace {

// A bounded reader over the picture buffer: every take says whether the bytes
// are there, so the walk below never looks past the end.
struct Cursor {
    const uint8_t* base;
    size_t size;
    size_t at;

    bool TakeUnit(uint32_t& unit)
    {
        if (size - at < 4)
            return false;
        unit = LoadUnit(base + at);
        at += 4;
        return true;
    }

    bool TakeByte(uint32_t& byte)
    {
        if (at >= size)
            return false;
        byte = base[at++];
        return true;
    }
};

}  // namespace

RleCheck CheckRle(const uint8_t* picture, size_t size)
{
    if (size < kRleHeaderSize)
        return {RleStatus::Truncated, size};
    const uint32_t width = RleWidth(picture);
    const uint32_t height = RleHeight(picture);
    if (width < 4 || width % 4 != 0)
        return {RleStatus::BadWidth, 0};
    if (height == 0)
        return {RleStatus::BadHeight, 2};

    Cursor in{picture, size, kRleHeaderSize};
    for (uint32_t strip = 0; strip < width / 4; ++strip) {
        uint32_t rows = height;
        uint32_t literal;
        if (!in.TakeUnit(literal))
            return {RleStatus::Truncated, in.at};
        while (--rows != 0) {
            uint32_t next;
            if (!in.TakeUnit(next))
                return {RleStatus::Truncated, in.at};
            if (next != literal) {
                literal = next;
                continue;
            }
            const size_t countAt = in.at;
            uint32_t count;
            if (!in.TakeByte(count))
                return {RleStatus::Truncated, in.at};
            if (count == 0) {
                uint32_t extra;
                if (!in.TakeByte(extra))
                    return {RleStatus::Truncated, in.at};
                count = 256 + extra;
            }
            if (count > rows)
                return {RleStatus::RunTooLong, countAt};
            rows -= count;
            if (rows == 0)
                break;
            if (!in.TakeUnit(literal))  // a fresh literal follows every run
                return {RleStatus::Truncated, in.at};
        }
    }
    return {RleStatus::Ok, in.at};
}

const char* RleStatusText(RleStatus status)
{
    switch (status) {
    case RleStatus::Ok: return "well formed";
    case RleStatus::Truncated: return "the stream runs past the end of the data";
    case RleStatus::BadWidth: return "the width is not a multiple of 4 of at least 4";
    case RleStatus::BadHeight: return "the height is 0";
    case RleStatus::RunTooLong: return "a run reaches past the last row of its strip";
    }
    return "unknown";
}
