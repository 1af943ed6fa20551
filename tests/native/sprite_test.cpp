// The sprite routines against a deliberately simple pixel-by-pixel model, on
// random pictures and arguments, and on the hand-built cases that pin their
// behaviour down.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "encode.h"
#include "picture_builder.h"
#include "sprite.h"
#include "surface_bounds.h"

namespace {

// A picture in both forms, from its pixels.
struct TestPicture {
    uint16_t width = 0, height = 0;
    Bytes pixels;  // top row first
    Bytes rle;     // RlePicture
    Bytes raw;     // RawPicture

    uint8_t At(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};

TestPicture MakePicture(uint16_t width, uint16_t height, const Bytes& pixels)
{
    TestPicture picture{width, height, pixels, EncodeRle(pixels.data(), width, height), {}};
    picture.raw.resize(kRawHeaderSize + pixels.size());
    memcpy(picture.raw.data(), picture.rle.data(), kRawHeaderSize);  // the same width and height
    std::copy(pixels.begin(), pixels.end(), picture.raw.begin() + kRawHeaderSize);
    return picture;
}

// Random pixels in few colours, rows often repeating the row above, so that
// runs of every length and whole transparent units occur.
TestPicture RandomPicture(std::mt19937& random, uint16_t width, uint16_t height, uint8_t key)
{
    Bytes pixels(size_t(width) * height);
    const unsigned repeat = random() % 100;
    for (size_t y = 0; y < height; ++y)
        for (size_t x = 0; x < width; ++x) {
            const unsigned roll = random() % 8;
            pixels[y * width + x] = y > 0 && random() % 100 < repeat ? pixels[(y - 1) * width + x]
                : roll < 3                                           ? key
                                                                     : uint8_t(random() % 5);
        }
    return MakePicture(width, height, pixels);
}

// A surface with guard bytes around it, pitch apart; the model and the
// routine each draw on their own copy.
struct Canvas {
    Surface surface;
    Canvas(size_t width, size_t height, int32_t pitch, uint32_t seed) : surface(width, height, pitch)
    {
        std::mt19937 random(seed);
        for (size_t y = 0; y < height; ++y)
            for (size_t x = 0; x < width; ++x)
                Set(x, y, uint8_t(random() % 7 + 100));
    }
    uint8_t Get(size_t x, size_t y) const { return surface.block[surface.Offset(y) + x]; }
    void Set(size_t x, size_t y, uint8_t v) { surface.block[surface.Offset(y) + x] = v; }
    uint8_t* Dest() { return surface.Origin(); }
};

::testing::AssertionResult SameCanvas(const Canvas& got, const Canvas& want)
{
    if (!got.surface.GuardsIntact())
        return ::testing::AssertionFailure() << "written outside the surface";
    for (size_t y = 0; y < want.surface.height; ++y)
        for (size_t x = 0; x < want.surface.width; ++x)
            if (got.Get(x, y) != want.Get(x, y))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << int(got.Get(x, y))
                                                     << ", model says " << int(want.Get(x, y));
    return ::testing::AssertionSuccess();
}

// --- The model: one pixel at a time, straight from the rules -------------------

void ModelWindow(Canvas& canvas, const TestPicture& p, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height,
                 int key)
{
    const uint32_t strips = p.width / 4;
    if (int64_t(p.height) - srcY - height < 0)
        return;
    uint32_t first = srcX / 4;
    if (first == strips)
        first = 0;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width / 4 * 4; ++x) {
            const uint8_t pixel = p.At((first + x / 4) % strips * 4 + x % 4, srcY + y);
            if (pixel != key)
                canvas.Set(x, y, pixel);
        }
}

void ModelFaded(Canvas& canvas, const TestPicture& p, uint32_t pattern, bool keyed)
{
    const uint32_t pairs[2][2] = {{pattern >> 12 & 15, pattern >> 4 & 15}, {pattern >> 8 & 15, pattern & 15}};
    for (uint32_t x = 0; x < p.width / 4u * 4; ++x)
        for (uint32_t y = 0; y < p.height; ++y) {
            const uint32_t strip = x / 4;
            // The pair swaps after every row and carries on into the next
            // strip of the same parity.
            const uint32_t rowOfPair = strip / 2 * p.height + y;
            const uint32_t nibble = pairs[strip & 1][rowOfPair & 1];
            const uint8_t pixel = p.At(x, y);
            if (nibble >> (3 - x % 4) & 1 && !(keyed && pixel == 12))
                canvas.Set(x, y, pixel);
        }
}

void ModelRaw(Canvas& canvas, const TestPicture& p, uint32_t srcX, uint32_t srcY, uint32_t width, uint32_t height,
              int key, int32_t amplitude = 0, int32_t phaseStep = 0, int32_t phase = 0)
{
    for (uint32_t y = 0; y < height; ++y) {
        const int32_t shift = int32_t(int64_t(WaveTable[phase / 4]) * amplitude / 10000);
        phase = (phase + phaseStep) & 0x7FF;
        for (uint32_t x = 0; x < width / 4 * 4; ++x) {
            const uint8_t pixel = p.At(uint32_t(int32_t(srcX + x) + shift), srcY + y);
            if (pixel != key)
                canvas.Set(x, y, pixel);
        }
    }
}

constexpr int kNoKey = -1;

// --- Randomised comparisons -------------------------------------------------------

class SpriteModelTest : public ::testing::Test {
protected:
    std::mt19937 random{20261208};
    void SetUp() override { FadePattern = FadeMode = FadeSteps = 0; }

    uint16_t RandomWidth() { return uint16_t(4 * (1 + random() % 10)); }
    int32_t RandomPitch(uint32_t width) { return int32_t(width + random() % 9) * (random() % 2 ? 1 : -1); }
};

TEST_F(SpriteModelTest, RleDecodersMatchTheModel)
{
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("seed 20261208, round " + std::to_string(round));
        const uint8_t keyColour = uint8_t(random() % 2 ? 12 : random() % 5);
        const TestPicture p = RandomPicture(random, RandomWidth(), uint16_t(1 + random() % 40), keyColour);
        const int32_t pitch = RandomPitch(p.width * 2);
        const uint32_t key = uint32_t(keyColour) << 24 | (random() & 0xFFFFFF);  // low bits do not matter

        Canvas got(p.width * 2, p.height, pitch, round), want(p.width * 2, p.height, pitch, round);
        DecodeRleKeyed(key, got.Dest(), p.rle.data(), pitch);
        ModelWindow(want, p, 0, 0, p.width, p.height, keyColour);
        ASSERT_TRUE(SameCanvas(got, want)) << "DecodeRleKeyed";

        // A window with wrap: first strip within the picture, up to twice around.
        const uint32_t strips = p.width / 4;
        const uint32_t first = random() % (strips + 1);
        const uint32_t count = 1 + random() % (2 * strips - (first == strips ? 0 : first));
        const uint32_t srcY = random() % p.height, height = 1 + random() % (p.height - srcY);
        const uint32_t srcX = first * 4 + random() % 4;
        Canvas gotWindow(count * 4, height, pitch, round), wantWindow(count * 4, height, pitch, round);
        const bool keyed = random() % 2;
        if (keyed)
            DecodeRleWindowKeyed(key, gotWindow.Dest(), p.rle.data(), pitch, srcX, srcY, count * 4 + random() % 4,
                                 height);
        else
            DecodeRleWindow(gotWindow.Dest(), p.rle.data(), pitch, srcX, srcY, count * 4 + random() % 4, height);
        ModelWindow(wantWindow, p, srcX, srcY, count * 4, height, keyed ? keyColour : kNoKey);
        ASSERT_TRUE(SameCanvas(gotWindow, wantWindow))
            << "window " << srcX << "," << srcY << " " << count * 4 << "x" << height << (keyed ? " keyed" : "");

        FadePattern = random() & 0xFFFF;
        const bool fadeKeyed = random() % 2;
        Canvas gotFade(p.width, p.height, pitch, round), wantFade(p.width, p.height, pitch, round);
        ModelFaded(wantFade, p, FadePattern, fadeKeyed);
        (fadeKeyed ? DecodeRleFadedKeyed : DecodeRleFaded)(gotFade.Dest(), p.rle.data(), pitch);
        ASSERT_TRUE(SameCanvas(gotFade, wantFade)) << "faded " << std::hex << FadePattern;
    }
}

TEST_F(SpriteModelTest, RawCopiesMatchTheModel)
{
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("seed 20261208, round " + std::to_string(round));
        const uint8_t keyColour = uint8_t(random() % 5);
        const TestPicture p =
            RandomPicture(random, uint16_t(8 + RandomWidth()), uint16_t(1 + random() % 30), keyColour);
        const uint32_t key = uint32_t(keyColour) << 24 | (random() & 0xFFFFFF);
        const int32_t pitch = RandomPitch(p.width);

        Canvas got(p.width, p.height, pitch, round), want(p.width, p.height, pitch, round);
        CopyRawKeyed(key, got.Dest(), p.raw.data(), pitch);
        ModelRaw(want, p, 0, 0, p.width, p.height, keyColour);
        ASSERT_TRUE(SameCanvas(got, want)) << "CopyRawKeyed";

        // A window at any column; a wave whose shifts stay inside the picture.
        const uint32_t width = 4 * (1 + random() % ((p.width - 4) / 4)), srcY = random() % p.height;
        const uint32_t height = 1 + random() % (p.height - srcY);
        const int32_t amplitude = int32_t(random() % 41) - 20;  // shifts of at most 2 pixels
        const uint32_t srcX = 2 + random() % (p.width - width - 3);
        const int32_t phaseStep = int32_t(4 * (random() % 512)), phase = int32_t(4 * (random() % 512));
        Canvas gotWave(width, height, pitch, round), wantWave(width, height, pitch, round);
        CopyRawWave(gotWave.Dest(), p.raw.data(), pitch, srcX, srcY, width, height, amplitude, phaseStep, phase);
        ModelRaw(wantWave, p, srcX, srcY, width, height, kNoKey, amplitude, phaseStep, phase);
        ASSERT_TRUE(SameCanvas(gotWave, wantWave)) << "wave " << amplitude << " " << phaseStep << " " << phase;

        Canvas gotKeyed(width, height, pitch, round), wantKeyed(width, height, pitch, round);
        CopyRawWindowKeyed(key, gotKeyed.Dest(), p.raw.data(), pitch, srcX, srcY, width, height);
        ModelRaw(wantKeyed, p, srcX, srcY, width, height, keyColour);
        ASSERT_TRUE(SameCanvas(gotKeyed, wantKeyed)) << "CopyRawWindowKeyed";
    }
}

// --- The equivalences that pin behaviour -------------------------------------------

TEST_F(SpriteModelTest, EquivalentCallsDrawTheSame)
{
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        const TestPicture p = RandomPicture(random, RandomWidth(), uint16_t(1 + random() % 30), 3);
        const int32_t pitch = RandomPitch(p.width);
        Canvas opaque(p.width, p.height, pitch, round);
        DecodeRle(opaque.Dest(), p.rle.data(), pitch);

        Canvas window(p.width, p.height, pitch, round);
        DecodeRleWindow(window.Dest(), p.rle.data(), pitch, 0, 0, p.width, p.height);
        EXPECT_TRUE(SameCanvas(window, opaque)) << "the full window";

        Canvas absentKey(p.width, p.height, pitch, round);
        DecodeRleKeyed(0xC8000000, absentKey.Dest(), p.rle.data(), pitch);  // colour 200 never occurs
        EXPECT_TRUE(SameCanvas(absentKey, opaque)) << "an absent key";

        FadePattern = 0xFFFF;
        Canvas full(p.width, p.height, pitch, round);
        DecodeRleFaded(full.Dest(), p.rle.data(), pitch);
        EXPECT_TRUE(SameCanvas(full, opaque)) << "FadePattern 0xFFFF";

        FadePattern = 0x12340000;  // bits 16-31 are not read
        Canvas untouched(p.width, p.height, pitch, round), none(p.width, p.height, pitch, round);
        DecodeRleFaded(none.Dest(), p.rle.data(), pitch);
        EXPECT_TRUE(SameCanvas(none, untouched)) << "FadePattern 0";

        Canvas copied(p.width, p.height, pitch, round), still(p.width, p.height, pitch, round);
        CopyRawWindow(copied.Dest(), p.raw.data(), pitch, 0, 0, p.width, p.height);
        CopyRawWave(still.Dest(), p.raw.data(), pitch, 0, 0, p.width, p.height, 0, 8, 40);
        EXPECT_TRUE(SameCanvas(still, copied)) << "amplitude 0";
        EXPECT_TRUE(SameCanvas(copied, opaque)) << "the raw and RLE forms";
    }
}

// --- Hand-built cases --------------------------------------------------------------

// Strips of a 3-strip picture 10 rows high, each a distinct pattern.
TestPicture Stripes()
{
    Bytes pixels(12 * 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
            pixels[y * 12 + x] = uint8_t(10 * (x / 4) + y);
    return MakePicture(12, 10, pixels);
}

TEST(DecodeRleWindow, WrapsAroundTheRightEdge)
{
    const TestPicture p = Stripes();
    // srcX = W starts at strip 0.
    Canvas atWidth(8, 2, 8, 1), fromZero(8, 2, 8, 1);
    DecodeRleWindow(atWidth.Dest(), p.rle.data(), 8, 12, 3, 8, 2);
    DecodeRleWindow(fromZero.Dest(), p.rle.data(), 8, 0, 3, 8, 2);
    EXPECT_TRUE(SameCanvas(atWidth, fromZero));
    EXPECT_EQ(atWidth.Get(0, 0), 3);
    // srcX = W - 8, width 16: the last two strips, then the first two.
    Canvas wrapped(16, 1, 16, 1);
    DecodeRleWindow(wrapped.Dest(), p.rle.data(), 16, 4, 0, 16, 1);
    EXPECT_EQ(wrapped.surface.Row(0), (Bytes{10, 10, 10, 10, 20, 20, 20, 20, 0, 0, 0, 0, 10, 10, 10, 10}));
}

TEST(DecodeRleWindow, RefusesWindowsBelowThePicture)
{
    const TestPicture p = Stripes();
    Canvas got(4, 3, 4, 5), untouched(4, 3, 4, 5);
    DecodeRleWindow(got.Dest(), p.rle.data(), 4, 0, 8, 4, 3);  // rows 8-10 of 10
    EXPECT_TRUE(SameCanvas(got, untouched));
}

TEST(DecodeRleWindow, ClipsRunsThatStraddleTheWindowsEdges)
{
    // One strip, 12 rows: B, then A on rows 1-9 (a literal and its marker),
    // then C, D.
    const Picture p =
        PictureOf(4, 12, {Lit(0xBBBBBBBB), Lit(0xAAAAAAAA), Repeat(0xAAAAAAAA, 8), Lit(0xCCCCCCCC), Lit(0xDDDDDDDD)});
    // The run covers the window's first and last rows: it fills the column.
    Canvas inside(4, 4, 4, 9);
    DecodeRleWindow(inside.Dest(), p.bytes.data(), 4, 0, 3, 4, 4);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(inside.surface.Row(y), Bytes(4, 0xAA)) << y;
    // The top part ends on the literal that starts the run.
    Canvas top(4, 3, 4, 9);
    DecodeRleWindow(top.Dest(), p.bytes.data(), 4, 0, 2, 4, 3);
    EXPECT_EQ(top.surface.Row(0), Bytes(4, 0xAA));
    // The window ends inside the run; the rows below are walked, not drawn.
    Canvas straddle(4, 10, 4, 9);
    DecodeRleWindow(straddle.Dest(), p.bytes.data(), 4, 0, 0, 4, 10);
    EXPECT_EQ(straddle.surface.Row(0), Bytes(4, 0xBB));
    EXPECT_EQ(straddle.surface.Row(9), Bytes(4, 0xAA));
    EXPECT_TRUE(straddle.surface.GuardsIntact());
    // The run ends the window exactly; the next strip starts right after it.
    const Picture two = PictureOf(8, 3, {Lit(1), Repeat(1, 2), Lit(0x02020202), Lit(3), Lit(4)});
    Canvas second(4, 3, 4, 9);
    DecodeRleWindow(second.Dest(), two.bytes.data(), 4, 4, 0, 4, 3);
    EXPECT_EQ(second.surface.Row(0), Bytes(4, 2));
    EXPECT_EQ(second.surface.Row(2), (Bytes{4, 0, 0, 0}));
}

TEST(DecodeRleKeyed, SkipsKeyColouredPixelsAndWholeTransparentRuns)
{
    // Strip 0: a run of all-key units; strip 1: mixed units.
    const Picture p = PictureOf(8, 4,
                                {Lit(0x0C0C0C0C), Repeat(0x0C0C0C0C, 3),                     // strip 0
                                 Lit(0x0C050C07), Lit(0x01020304), Repeat(0x01020304, 2)});  // strip 1
    for (uint32_t key : {0x0C000000u, 0x0CFFFFFFu, 0x0C123456u}) {
        Canvas got(8, 4, 8, 3);
        const Canvas before = got;
        DecodeRleKeyed(key, got.Dest(), p.bytes.data(), 8);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(got.Get(x, y), before.Get(x, y)) << "under the transparent run";
        // 0x0C050C07 holds, in address order, 07 0C 05 0C.
        EXPECT_EQ(got.Get(4, 0), 7);
        EXPECT_EQ(got.Get(5, 0), before.Get(5, 0));
        EXPECT_EQ(got.Get(6, 0), 5);
        EXPECT_EQ(got.Get(7, 0), before.Get(7, 0));
        EXPECT_EQ(got.surface.Row(3),
                  (Bytes{before.Get(0, 3), before.Get(1, 3), before.Get(2, 3), before.Get(3, 3), 4, 3, 2, 1}));
    }
}

TEST(DecodeRleFaded, PatternTilesPixelZeroOfAlternateRowsOfAlternateStrips)
{
    Bytes pixels(16 * 4, 9);
    const TestPicture p = MakePicture(16, 4, pixels);
    FadePattern = 0x8008;
    FadeMode = FadeSteps = 0;
    Canvas got(16, 4, 16, 2);
    const Canvas before = got;
    DecodeRleFaded(got.Dest(), p.rle.data(), 16);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool drawn = x % 4 == 0 && (x / 4) % 2 == y % 2;  // even strips on even rows, odd on odd
            EXPECT_EQ(got.Get(x, y), drawn ? 9 : before.Get(x, y)) << x << "," << y;
        }
}

TEST(DecodeRleFaded, AnOddHeightCarriesTheSwapIntoTheNextStripOfTheSameParity)
{
    const TestPicture p = MakePicture(16, 3, Bytes(16 * 3, 7));
    FadePattern = 0x8000;  // N3 only: even strips, the first row of their pair
    Canvas got(16, 3, 16, 2);
    const Canvas before = got;
    DecodeRleFaded(got.Dest(), p.rle.data(), 16);
    EXPECT_EQ(got.Get(0, 0), 7);  // strip 0 starts on N3
    EXPECT_EQ(got.Get(0, 2), 7);
    EXPECT_EQ(got.Get(8, 0), before.Get(8, 0));  // strip 2 starts on N1
    EXPECT_EQ(got.Get(8, 1), 7);
}

TEST(StepFadePattern, FadesInAndOutInTheSpecifiedOrder)
{
    FadeMode = 1;
    FadeSteps = 9;
    FadePattern = 0xABCD0000;
    const uint32_t fadeIn[] = {0x8008, 0xC00C, 0xE00E, 0xF00F, 0xF88F, 0xFCCF, 0xFEEF, 0xFFFF, 0xFFFF};
    for (uint32_t want : fadeIn) {
        StepFadePattern();
        EXPECT_EQ(FadePattern, 0xABCD0000 | want);
    }
    EXPECT_EQ(FadeSteps, 0u);
    StepFadePattern();  // a tenth changes nothing
    EXPECT_EQ(FadePattern, 0xABCDFFFFu);
    EXPECT_EQ(FadeSteps, 0u);

    FadeMode = 2;
    FadeSteps = 9;
    FadePattern = 0xFFFF;
    const uint32_t fadeOut[] = {0x7FF7, 0x3FF3, 0x1FF1, 0x0FF0, 0x0770, 0x0330, 0x0110, 0x0000, 0x0000};
    for (uint32_t want : fadeOut) {
        StepFadePattern();
        EXPECT_EQ(FadePattern, want);
    }

    FadeMode = 3;
    FadeSteps = 2;
    FadePattern = 0x1234;
    StepFadePattern();
    StepFadePattern();
    StepFadePattern();
    EXPECT_EQ(FadePattern, 0x1234u);
    EXPECT_EQ(FadeSteps, 0u);
}

TEST(DecodeRleFaded, StepsThePatternAfterDrawingAndTheInitialStateDrawsNothing)
{
    const TestPicture p = MakePicture(8, 2, Bytes(16, 5));
    FadePattern = FadeMode = FadeSteps = 0;
    Canvas got(8, 2, 8, 4);
    const Canvas before = got;
    DecodeRleFaded(got.Dest(), p.rle.data(), 8);
    EXPECT_TRUE(SameCanvas(got, before));
    EXPECT_EQ(FadePattern | FadeMode | FadeSteps, 0u);
    FadeMode = 1;
    FadeSteps = 8;
    DecodeRleFadedKeyed(got.Dest(), p.rle.data(), 8);  // draws with 0, then steps
    EXPECT_TRUE(SameCanvas(got, before));
    EXPECT_EQ(FadePattern, 0x8008u);
    EXPECT_EQ(FadeSteps, 7u);
}

TEST(WaveTable, HoldsRoundedThousandthsOfCosineAndSine)
{
    const double pi = std::acos(-1.0);
    for (int k = 0; k < 256; ++k) {
        EXPECT_EQ(WaveTable[2 * k], std::lround(1000 * std::cos(2 * pi * k / 256))) << "cos " << k;
        EXPECT_EQ(WaveTable[2 * k + 1], std::lround(1000 * std::sin(2 * pi * k / 256))) << "sin " << k;
    }
    EXPECT_EQ(sizeof WaveTable, 2048u);
    EXPECT_EQ(WaveTable[260], -999);  // byte offset 1040: the cosine of entry 130
}

TEST(CopyRawWave, ShiftsEachRowByTheTruncatedTableValue)
{
    // Each row holds its column numbers, so a row's first pixel is its shift.
    const uint16_t width = 64, height = 5;
    Bytes pixels(width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[y * width + x] = uint8_t(x);
    const TestPicture p = MakePicture(width, height, pixels);
    Canvas got(4, 4, 4, 1);
    CopyRawWave(got.Dest(), p.raw.data(), 4, 20, 0, 4, 4, 100, 8, 0);
    EXPECT_EQ(got.Get(0, 0), 30);  // 1000 x 100 / 10000
    EXPECT_EQ(got.Get(0, 1), 30);  // 1000
    EXPECT_EQ(got.Get(0, 2), 29);  // 999 -> 9
    EXPECT_EQ(got.Get(0, 3), 29);  // 997 -> 9
    Canvas negative(4, 1, 4, 1);
    CopyRawWave(negative.Dest(), p.raw.data(), 4, 20, 0, 4, 1, 100, 0, 1040);
    EXPECT_EQ(negative.Get(0, 0), 11);  // -999 x 100 / 10000 is -9, not -10
}

TEST(ClearRect, ZeroesWholeGroupsOfEachRowOnly)
{
    Canvas got(8, 3, -11, 6);
    ClearRect(got.Dest(), -11, 7, 3);  // 7 is used as 4
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(got.surface.Row(y)[3], 0);
        EXPECT_NE(got.surface.Row(y)[4], 0);
    }
    EXPECT_TRUE(got.surface.GuardsIntact());
}

// --- Checked entry points --------------------------------------------------------------

TEST(CheckedSprites, RefuseEveryCallThatWouldReachOutside)
{
    const TestPicture p = Stripes();  // 12 x 10
    Bytes surface(12 * 10 + 16, 0xA5);
    SpriteSurface bounds{surface.data(), surface.data() + surface.size()};
    uint8_t* dest = surface.data();
    const uint8_t* rle = p.rle.data();
    const uint8_t* raw = p.raw.data();
    const size_t rleSize = p.rle.size(), rawSize = p.raw.size();
    using R = SpriteResult;
    const struct {
        const char* what;
        R want;
        R got;
    } cases[] = {
        {"whole picture fits", R::Drawn, CheckedDecodeRle(bounds, dest, rle, rleSize, 12)},
        {"bottom-up from the last row", R::Drawn, CheckedDecodeRle(bounds, dest + 9 * 12, rle, rleSize, -12)},
        {"bottom-up from the first row", R::OutsideSurface, CheckedDecodeRle(bounds, dest, rle, rleSize, -12)},
        {"pitch too wide", R::OutsideSurface, CheckedDecodeRleKeyed(bounds, 0, dest, rle, rleSize, 14)},
        {"stream cut", R::MalformedPicture, CheckedDecodeRleFaded(bounds, dest, rle, rleSize - 1, 12)},
        {"header only", R::MalformedPicture, CheckedDecodeRleFadedKeyed(bounds, dest, rle, 4, 12)},
        {"window zero wide", R::BadArguments, CheckedDecodeRleWindow(bounds, dest, rle, rleSize, 12, 0, 0, 3, 2)},
        {"window zero high", R::BadArguments, CheckedDecodeRleWindow(bounds, dest, rle, rleSize, 12, 0, 0, 4, 0)},
        {"window width 6", R::BadArguments, CheckedDecodeRleWindow(bounds, dest, rle, rleSize, 12, 0, 0, 6, 2)},
        {"window below", R::OutsidePicture, CheckedDecodeRleWindow(bounds, dest, rle, rleSize, 12, 0, 9, 4, 2)},
        {"window huge row", R::OutsidePicture,
         CheckedDecodeRleWindowKeyed(bounds, 0, dest, rle, rleSize, 12, 0, 0xFFFFFFFF, 4, 1)},
        {"window past the wrap", R::OutsidePicture,
         CheckedDecodeRleWindow(bounds, dest, rle, rleSize, 12, 16, 0, 4, 1)},
        {"window twice around", R::OutsidePicture, CheckedDecodeRleWindow(bounds, dest, rle, rleSize, 12, 4, 0, 24, 1)},
        {"window wraps once", R::Drawn, CheckedDecodeRleWindow(bounds, dest, rle, rleSize, 24, 4, 0, 20, 2)},
        {"raw too short", R::MalformedPicture, CheckedCopyRaw(bounds, dest, raw, rawSize - 1, 12)},
        {"raw fits", R::Drawn, CheckedCopyRawKeyed(bounds, 0, dest, raw, rawSize, 12)},
        {"raw window right", R::OutsidePicture, CheckedCopyRawWindow(bounds, dest, raw, rawSize, 12, 9, 0, 4, 1)},
        {"raw window keyed fits", R::Drawn, CheckedCopyRawWindowKeyed(bounds, 0, dest, raw, rawSize, 12, 8, 9, 4, 1)},
        {"wave shift left", R::OutsidePicture,
         CheckedCopyRawWave(bounds, dest, raw, rawSize, 12, 0, 0, 4, 1, -100, 0, 0)},
        {"wave shift right", R::OutsidePicture,
         CheckedCopyRawWave(bounds, dest, raw, rawSize, 12, 8, 0, 4, 1, 10, 0, 0)},
        {"wave phase past the table", R::BadArguments,
         CheckedCopyRawWave(bounds, dest, raw, rawSize, 12, 4, 0, 4, 1, 10, 0, 2048)},
        {"wave phase not whole", R::BadArguments,
         CheckedCopyRawWave(bounds, dest, raw, rawSize, 12, 4, 0, 4, 1, 10, 0, 6)},
        {"wave fits", R::Drawn, CheckedCopyRawWave(bounds, dest, raw, rawSize, 12, 4, 0, 4, 3, 10, 4, 8)},
        {"clear fits", R::Drawn, CheckedClearRect(bounds, dest, 12, 12, 10)},
        {"clear to the very end", R::Drawn, CheckedClearRect(bounds, dest + 16, 12, 12, 10)},
        {"clear one byte past it", R::OutsideSurface, CheckedClearRect(bounds, dest + 17, 12, 12, 10)},
        {"clear before the surface", R::OutsideSurface, CheckedClearRect(bounds, dest - 1, 12, 4, 1)},
        {"clear zero high", R::BadArguments, CheckedClearRect(bounds, dest, 12, 4, 0)},
        {"clear 2^32 - 1 rows at the widest pitch", R::OutsideSurface,
         CheckedClearRect(bounds, dest, INT32_MAX, 4, UINT32_MAX)},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.got, test.want) << test.what << ": " << SpriteResultText(test.got);
}

TEST(CheckedSprites, TestTheSurfaceExactlyForAnyNumbers)
{
    const uint64_t kHuge = uint64_t(1) << 62;
    EXPECT_TRUE(RowsInsideSurface(40, 36, -12, 4, 4));  // bottom-up to offset 0
    EXPECT_FALSE(RowsInsideSurface(40, 36, -12, 4, 5));
    EXPECT_TRUE(RowsInsideSurface(40, 0, 12, 4, 4));  // to the last byte
    EXPECT_FALSE(RowsInsideSurface(40, 1, 12, 4, 4));
    EXPECT_FALSE(RowsInsideSurface(40, 0, 12, 41, 1));
    // The last row is past what 64 bits hold, or just inside a huge surface.
    EXPECT_FALSE(RowsInsideSurface(kHuge, kHuge - 64, INT32_MAX, 4, UINT32_MAX));
    EXPECT_TRUE(RowsInsideSurface(2 * kHuge, 0, INT32_MAX, 4, UINT32_MAX));
    EXPECT_TRUE(RowsInsideSurface(2 * kHuge, 2 * kHuge - 4, INT32_MIN, 4, UINT32_MAX));
}

TEST(CheckedSprites, DrawNothingAndStepNothingWhenTheyRefuse)
{
    const TestPicture p = Stripes();
    Bytes surface(40, 0x5A);
    FadeMode = 1;
    FadeSteps = 3;
    FadePattern = 0;
    EXPECT_EQ(CheckedDecodeRleFaded({surface.data(), surface.data() + surface.size()}, surface.data(), p.rle.data(),
                                    p.rle.size(), 12),
              SpriteResult::OutsideSurface);
    EXPECT_EQ(surface, Bytes(40, 0x5A));
    EXPECT_EQ(FadeSteps, 3u);
}

}  // namespace
