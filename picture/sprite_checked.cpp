// The checked entry points: each proves that its call writes only inside the
// surface and reads only inside the picture and the wave table, then hands
// it to the plain routine; otherwise nothing is drawn.
#include <cstdint>

#include "sprite.h"
#include "surface_bounds.h"

namespace {

// Whether `rows` rows of `rowBytes` bytes, the first at dest and each
// `pitch` after the one before, lie inside the surface.
bool InsideSurface(SpriteSurface surface, const uint8_t* dest, int32_t pitch, uint64_t rowBytes, uint32_t rows)
{
    const uintptr_t begin = uintptr_t(surface.begin), end = uintptr_t(surface.end), at = uintptr_t(dest);
    return begin <= end && at >= begin && at <= end &&
        RowsInsideSurface(end - begin, at - begin, pitch, rowBytes, rows);
}

bool WellFormedRle(const uint8_t* picture, size_t size) { return CheckRle(picture, size).status == RleStatus::Ok; }

bool WellFormedRaw(const uint8_t* picture, size_t size)
{
    if (size < kRawHeaderSize)
        return false;
    const uint64_t width = RleWidth(picture), height = RleHeight(picture);
    return width >= 4 && width % 4 == 0 && height >= 1 && kRawHeaderSize + width * height <= size;
}

bool UsableCount(uint32_t width, uint32_t height) { return width >= 4 && width % 4 == 0 && height >= 1; }

// A column-RLE window: rows inside the picture, strips within the wrap's reach.
bool InsideRle(const uint8_t* picture, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height)
{
    const uint64_t strips = RleWidth(picture) / 4u;
    uint64_t first = srcX / 4;
    if (first == strips)
        first = 0;
    return first < strips && first + width / 4 <= 2 * strips && uint64_t(srcY) + height <= RleHeight(picture);
}

// A raw window shifted by `shift` pixels, inside the picture.
bool InsideRaw(const uint8_t* picture, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height, int64_t shift)
{
    const int64_t left = int64_t(srcX) + shift;
    return left >= 0 && left + width / 4 * 4 <= RleWidth(picture) && uint64_t(srcY) + height <= RleHeight(picture);
}

enum class Form { Rle, Raw };

// The part of the picture a call draws: a window given by the caller, or the
// whole picture, whose size is read once the picture is known well formed.
struct Window {
    uint32_t x, y, width, height;
    bool whole;

    Window(uint32_t x, uint32_t y, uint32_t width, uint32_t height)
        : x(x), y(y), width(width), height(height), whole(false)
    {
    }
    static Window WholePicture() { return Window(); }

private:
    Window() : x(0), y(0), width(0), height(0), whole(true) { }
};

// The checks every member makes: a well-formed picture, usable counts, a
// window inside the picture, rows inside the surface.
SpriteResult CheckCall(Form form, SpriteSurface surface, const uint8_t* dest, const uint8_t* picture, size_t size,
                       int32_t pitch, Window window)
{
    if (!(form == Form::Rle ? WellFormedRle(picture, size) : WellFormedRaw(picture, size)))
        return SpriteResult::MalformedPicture;
    if (window.whole) {
        window.width = RleWidth(picture);
        window.height = RleHeight(picture);
    }
    if (!UsableCount(window.width, window.height))
        return SpriteResult::BadArguments;
    if (!(form == Form::Rle ? InsideRle(picture, window.x, window.y, window.width, window.height)
                            : InsideRaw(picture, window.x, window.y, window.width, window.height, 0)))
        return SpriteResult::OutsidePicture;
    if (!InsideSurface(surface, dest, pitch, window.width / 4 * 4, window.height))
        return SpriteResult::OutsideSurface;
    return SpriteResult::Drawn;
}

// Draws only when the checks passed.
template <class Draw>
SpriteResult DrawIfSafe(SpriteResult result, Draw draw)
{
    if (result == SpriteResult::Drawn)
        draw();
    return result;
}

}  // namespace

const char* SpriteResultText(SpriteResult result)
{
    switch (result) {
    case SpriteResult::Drawn: return "drawn";
    case SpriteResult::BadArguments: return "bad arguments";
    case SpriteResult::MalformedPicture: return "malformed picture";
    case SpriteResult::OutsidePicture: return "window outside the picture";
    case SpriteResult::OutsideSurface: return "rows outside the surface";
    }
    return "unknown";
}

SpriteResult CheckedDecodeRle(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                              int32_t pitch)
{
    return DrawIfSafe(CheckCall(Form::Rle, surface, dest, picture, pictureSize, pitch, Window::WholePicture()),
                      [&] { DecodeRle(dest, picture, pitch); });
}

SpriteResult CheckedDecodeRleKeyed(SpriteSurface surface, uint32_t key, uint8_t* dest, const uint8_t* picture,
                                   size_t pictureSize, int32_t pitch)
{
    return DrawIfSafe(CheckCall(Form::Rle, surface, dest, picture, pictureSize, pitch, Window::WholePicture()),
                      [&] { DecodeRleKeyed(key, dest, picture, pitch); });
}

SpriteResult CheckedDecodeRleFaded(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                                   int32_t pitch)
{
    return DrawIfSafe(CheckCall(Form::Rle, surface, dest, picture, pictureSize, pitch, Window::WholePicture()),
                      [&] { DecodeRleFaded(dest, picture, pitch); });
}

SpriteResult CheckedDecodeRleFadedKeyed(SpriteSurface surface, uint8_t* dest, const uint8_t* picture,
                                        size_t pictureSize, int32_t pitch)
{
    return DrawIfSafe(CheckCall(Form::Rle, surface, dest, picture, pictureSize, pitch, Window::WholePicture()),
                      [&] { DecodeRleFadedKeyed(dest, picture, pitch); });
}

SpriteResult CheckedDecodeRleWindow(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                                    int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height)
{
    return DrawIfSafe(
        CheckCall(Form::Rle, surface, dest, picture, pictureSize, pitch, Window(srcX, srcY, width, height)),
        [&] { DecodeRleWindow(dest, picture, pitch, srcX, srcY, width, height); });
}

SpriteResult CheckedDecodeRleWindowKeyed(SpriteSurface surface, uint32_t key, uint8_t* dest, const uint8_t* picture,
                                         size_t pictureSize, int32_t pitch, uint32_t srcX, uint32_t srcY,
                                         uint32_t width, uint32_t height)
{
    return DrawIfSafe(
        CheckCall(Form::Rle, surface, dest, picture, pictureSize, pitch, Window(srcX, srcY, width, height)),
        [&] { DecodeRleWindowKeyed(key, dest, picture, pitch, srcX, srcY, width, height); });
}

SpriteResult CheckedCopyRaw(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                            int32_t pitch)
{
    return DrawIfSafe(CheckCall(Form::Raw, surface, dest, picture, pictureSize, pitch, Window::WholePicture()),
                      [&] { CopyRaw(dest, picture, pitch); });
}

SpriteResult CheckedCopyRawKeyed(SpriteSurface surface, uint32_t key, uint8_t* dest, const uint8_t* picture,
                                 size_t pictureSize, int32_t pitch)
{
    return DrawIfSafe(CheckCall(Form::Raw, surface, dest, picture, pictureSize, pitch, Window::WholePicture()),
                      [&] { CopyRawKeyed(key, dest, picture, pitch); });
}

SpriteResult CheckedCopyRawWindow(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                                  int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height)
{
    return DrawIfSafe(
        CheckCall(Form::Raw, surface, dest, picture, pictureSize, pitch, Window(srcX, srcY, width, height)),
        [&] { CopyRawWindow(dest, picture, pitch, srcX, srcY, width, height); });
}

SpriteResult CheckedCopyRawWindowKeyed(SpriteSurface surface, uint32_t key, uint8_t* dest, const uint8_t* picture,
                                       size_t pictureSize, int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width,
                                       uint32_t height)
{
    return DrawIfSafe(
        CheckCall(Form::Raw, surface, dest, picture, pictureSize, pitch, Window(srcX, srcY, width, height)),
        [&] { CopyRawWindowKeyed(key, dest, picture, pitch, srcX, srcY, width, height); });
}

SpriteResult CheckedCopyRawWave(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                                int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height,
                                int32_t amplitude, int32_t phaseStep, int32_t phase)
{
    // Every read of the table a whole value inside it.
    if (phase < 0 || phase >= 2048 || phase % 4 != 0 || phaseStep % 4 != 0)
        return SpriteResult::BadArguments;
    SpriteResult result =
        CheckCall(Form::Raw, surface, dest, picture, pictureSize, pitch, Window(srcX, srcY, width, height));
    if (result != SpriteResult::Drawn)
        return result;
    // Each row's shift moves it: every shifted row must stay in the picture.
    uint32_t rowPhase = uint32_t(phase);
    for (uint32_t row = 0; row < height; ++row) {
        const int64_t shift = int64_t(WaveTable[rowPhase >> 2]) * amplitude / 10000;
        if (!InsideRaw(picture, srcX, srcY, width, height, shift))
            return SpriteResult::OutsidePicture;
        rowPhase = (rowPhase + uint32_t(phaseStep)) & 0x7FF;
    }
    CopyRawWave(dest, picture, pitch, srcX, srcY, width, height, amplitude, phaseStep, phase);
    return result;
}

SpriteResult CheckedClearRect(SpriteSurface surface, uint8_t* dest, int32_t pitch, uint32_t width, uint32_t height)
{
    if (!UsableCount(width, height))
        return SpriteResult::BadArguments;
    if (!InsideSurface(surface, dest, pitch, width / 4 * 4, height))
        return SpriteResult::OutsideSurface;
    ClearRect(dest, pitch, width, height);
    return SpriteResult::Drawn;
}
