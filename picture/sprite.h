// Sprite transfer routines: pictures onto an 8-bit surface, whole or
// windowed, opaque, with a transparent key colour, through a screen-door fade
// mask, or with a per-row wave shift; and a rectangle clear.
//
// A surface is addressed by dest, where the picture's top-left pixel goes,
// and a signed pitch, the byte distance to the row that shows the next
// picture row down (negative for a bottom-up bitmap). Pixels move in groups
// of 4, so widths are used as width / 4 groups.
//
// The plain routines trust their caller: the area lies inside the surface,
// windows inside the picture, counts are at least 1, streams are well formed
// (see rle.h). The Checked... entry points below take the surface's bounds
// and the picture's size and refuse any call that breaks that trust.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rle.h"

// A RawPicture: little-endian u16 width W, u16 height H, then W x H bytes,
// row by row from the top. Pixel (x, y) is at byte 4 + y * W + x.
constexpr size_t kRawHeaderSize = 4;

// --- Fade state ------------------------------------------------------------
// FadePattern bits 0-15 are the mask the faded decoders read; FadeMode is 1
// (fade in), 2 (fade out) or anything else (no change); FadeSteps counts the
// steps still to make. All start at 0; one caller at a time.
extern uint32_t FadePattern;
extern uint32_t FadeMode;
extern uint32_t FadeSteps;

// One step of the fade: two more (mode 1) or two fewer (mode 2) of every 16
// pixels, in a fixed order; counts FadeSteps down while it is not 0.
void StepFadePattern();

// --- Wave table ------------------------------------------------------------
// 256 entries of two signed 32-bit values, 1000 x cos(2 pi k / 256) and then
// 1000 x sin(2 pi k / 256), each rounded to the nearest integer: 2,048 bytes
// addressed by byte offset (8k the cosine of entry k, 8k + 4 its sine).
extern const int32_t (&WaveTable)[512];

// --- Column-RLE pictures ---------------------------------------------------
// The key argument's top byte (bits 24-31) is the transparent colour.
void DecodeRleKeyed(uint32_t key, uint8_t* dest, const uint8_t* picture, int32_t pitch);
// Draws only the pixels the fade mask selects, then steps the pattern.
void DecodeRleFaded(uint8_t* dest, const uint8_t* picture, int32_t pitch);
// As DecodeRleFaded, and colour index 12 is transparent.
void DecodeRleFadedKeyed(uint8_t* dest, const uint8_t* picture, int32_t pitch);
// A window of width x height pixels from (srcX, srcY), wrapping around
// horizontally: destination strip j shows source strip (srcX / 4 + j) mod
// strips. A window that reaches below the picture draws nothing.
void DecodeRleWindow(uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width,
                     uint32_t height);
void DecodeRleWindowKeyed(uint32_t key, uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX,
                          uint32_t srcY, uint32_t width, uint32_t height);

// --- Raw pictures ------------------------------------------------------------
void CopyRaw(uint8_t* dest, const uint8_t* picture, int32_t pitch);
void CopyRawKeyed(uint32_t key, uint8_t* dest, const uint8_t* picture, int32_t pitch);
// srcX is any column; each row copies width / 4 groups from (srcX, srcY + row).
void CopyRawWindow(uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width,
                   uint32_t height);
void CopyRawWindowKeyed(uint32_t key, uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX,
                        uint32_t srcY, uint32_t width, uint32_t height);
// As CopyRawWindow, each row shifted by WaveTable's value at byte offset
// phase times amplitude / 10000 (truncated toward zero); phase then moves by
// phaseStep within the table. phase and phaseStep are multiples of 4.
void CopyRawWave(uint8_t* dest, const uint8_t* picture, int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width,
                 uint32_t height, int32_t amplitude, int32_t phaseStep, int32_t phase);

// width / 4 zero groups on each of height rows.
void ClearRect(uint8_t* dest, int32_t pitch, uint32_t width, uint32_t height);

// --- Checked entry points ----------------------------------------------------
// Each takes the surface's bytes [begin, end) and the picture's size, checks
// that the call writes only inside the surface and reads only inside the
// picture (and the table), and then draws; otherwise it draws nothing and
// says why.

struct SpriteSurface {
    uint8_t* begin;
    uint8_t* end;
};

enum class SpriteResult {
    Drawn,
    BadArguments,      // a zero count, a width not a multiple of 4, a phase off the table's grid
    MalformedPicture,  // a header or stream that does not hold together
    OutsidePicture,    // a window or wave shift reaching outside the picture
    OutsideSurface,    // rows reaching outside the surface
};

const char* SpriteResultText(SpriteResult result);

SpriteResult CheckedDecodeRle(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                              int32_t pitch);
SpriteResult CheckedDecodeRleKeyed(SpriteSurface surface, uint32_t key, uint8_t* dest, const uint8_t* picture,
                                   size_t pictureSize, int32_t pitch);
SpriteResult CheckedDecodeRleFaded(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                                   int32_t pitch);
SpriteResult CheckedDecodeRleFadedKeyed(SpriteSurface surface, uint8_t* dest, const uint8_t* picture,
                                        size_t pictureSize, int32_t pitch);
SpriteResult CheckedDecodeRleWindow(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                                    int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height);
SpriteResult CheckedDecodeRleWindowKeyed(SpriteSurface surface, uint32_t key, uint8_t* dest, const uint8_t* picture,
                                         size_t pictureSize, int32_t pitch, uint32_t srcX, uint32_t srcY,
                                         uint32_t width, uint32_t height);
SpriteResult CheckedCopyRaw(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                            int32_t pitch);
SpriteResult CheckedCopyRawKeyed(SpriteSurface surface, uint32_t key, uint8_t* dest, const uint8_t* picture,
                                 size_t pictureSize, int32_t pitch);
SpriteResult CheckedCopyRawWindow(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                                  int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height);
SpriteResult CheckedCopyRawWindowKeyed(SpriteSurface surface, uint32_t key, uint8_t* dest, const uint8_t* picture,
                                       size_t pictureSize, int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width,
                                       uint32_t height);
SpriteResult CheckedCopyRawWave(SpriteSurface surface, uint8_t* dest, const uint8_t* picture, size_t pictureSize,
                                int32_t pitch, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height,
                                int32_t amplitude, int32_t phaseStep, int32_t phase);
SpriteResult CheckedClearRect(SpriteSurface surface, uint8_t* dest, int32_t pitch, uint32_t width, uint32_t height);
