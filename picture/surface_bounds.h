// The surface test of the checked sprite calls, as a pure function of the
// numbers, so that tests and the fuzz target can give it any of them.
#pragma once

#include <cstdint>

// Whether `rows` rows of `rowBytes` bytes lie inside a surface of
// `surfaceSize` bytes: the first `first` bytes into it, each further one
// `pitch` bytes after the one before. Exact for every input: nothing here
// can overflow, however high the rows or wide the pitch.
inline bool RowsInsideSurface(uint64_t surfaceSize, uint64_t first, int32_t pitch, uint64_t rowBytes, uint32_t rows)
{
    if (rows == 0 || rowBytes > surfaceSize || first > surfaceSize - rowBytes)
        return false;
    // Rows run evenly, so the first and the last bound them all; the span
    // between them is below 2^32 * 2^31.
    const uint64_t step = pitch < 0 ? uint64_t(-int64_t(pitch)) : uint64_t(pitch);
    const uint64_t span = uint64_t(rows - 1) * step;
    return pitch < 0 ? span <= first : span <= surfaceSize - rowBytes - first;
}
