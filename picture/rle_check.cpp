#include "rle.h"
#include "rle_walk.h"

namespace {

// The walk's reader over the picture buffer: every take says whether the
// bytes are there, so the walk never looks past the end; a run's count is
// noted where it starts, the offset of a run that does not fit.
struct BoundedReader {
    const uint8_t* base;
    size_t size;
    size_t at;
    size_t countAt;

    bool TakeUnit(uint32_t& unit)
    {
        if (size - at < 4)
            return false;
        unit = LoadUnit(base + at);
        at += 4;
        return true;
    }
    bool TakeCount(uint32_t& count)
    {
        countAt = at;
        if (at >= size)
            return false;
        count = base[at++];
        if (count != 0)
            return true;
        if (at >= size)
            return false;
        count = 256 + base[at++];
        return true;
    }
    static bool RunFits(uint32_t count, uint32_t rowsLeft) { return count <= rowsLeft; }
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

    BoundedReader in{picture, size, kRleHeaderSize, 0};
    SkipRows skip;
    for (uint32_t strip = 0; strip < width / 4; ++strip) {
        switch (WalkStrip(in, height, skip)) {
        case WalkEnd::Ok: break;
        case WalkEnd::Truncated: return {RleStatus::Truncated, in.at};
        case WalkEnd::RunTooLong: return {RleStatus::RunTooLong, in.countAt};
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
