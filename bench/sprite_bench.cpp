// The sprite routines beside their floors, measured in the same run:
//   opaque decode of a 640 x 480 picture   against storing the same units in the same strided order
//   CopyRaw of a 640 x 480 raw picture      against memcpy of the same rows
//   keyed decode of a sprite 3/4 transparent in runs   against opaque decode of that sprite
#include <benchmark/benchmark.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "encode.h"
#include "interleaved.h"
#include "rle.h"
#include "sprite.h"

namespace {

constexpr uint16_t kWidth = 640, kHeight = 480;

// A title-screen-like picture: horizontal bands, a few shapes, some noise.
std::vector<uint8_t> ScenePixels()
{
    std::mt19937 random(640480);
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t colour = uint8_t(10 + y / 6);
            if ((x - 320) * (x - 320) + (y - 200) * (y - 200) < 90 * 90)
                colour = uint8_t(120 + (x + y) % 16);
            if (random() % 50 == 0)
                colour = 250;
            pixels[size_t(y) * kWidth + x] = colour;
        }
    return pixels;
}

// A 256 x 256 sprite whose units are the key colour three times in four,
// in vertical runs, as a character drawn over a transparent background.
std::vector<uint8_t> SpritePixels()
{
    std::mt19937 random(256);
    std::vector<uint8_t> pixels(256 * 256, 0);
    for (int x = 0; x < 256; x += 4) {
        const int top = 96 + int(random() % 32), bottom = top + 64;  // a quarter of the rows
        for (int y = top; y < bottom; ++y)
            for (int k = 0; k < 4; ++k)
                pixels[size_t(y) * 256 + x + k] = uint8_t(1 + (y / 3 + k) % 40);
    }
    return pixels;
}

const std::vector<uint8_t> kScene = ScenePixels();
const std::vector<uint8_t> kSceneRle = EncodeRle(kScene.data(), kWidth, kHeight);
const std::vector<uint8_t> kSprite = SpritePixels();
const std::vector<uint8_t> kSpriteRle = EncodeRle(kSprite.data(), 256, 256);

std::vector<uint8_t> RawOf(const std::vector<uint8_t>& pixels, uint16_t width, uint16_t height)
{
    std::vector<uint8_t> raw(kRawHeaderSize + pixels.size());
    const uint8_t header[4] = {uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8)};
    memcpy(raw.data(), header, sizeof header);
    memcpy(raw.data() + kRawHeaderSize, pixels.data(), pixels.size());
    return raw;
}
const std::vector<uint8_t> kSceneRaw = RawOf(kScene, kWidth, kHeight);

const int64_t kSceneBytes = int64_t(kScene.size());

Prepared Decode()
{
    return {[surface = std::vector<uint8_t>(kScene.size())]() mutable {
                DecodeRle(surface.data(), kSceneRle.data(), kWidth);
            },
            kSceneBytes};
}

Prepared StridedStores()
{
    // The decoded units, strip by strip, stored in the decoder's order.
    std::vector<uint32_t> units;
    for (int strip = 0; strip < kWidth / 4; ++strip)
        for (int y = 0; y < kHeight; ++y) {
            uint32_t unit;
            memcpy(&unit, &kScene[size_t(y) * kWidth + 4 * strip], 4);
            units.push_back(unit);
        }
    return {[units = std::move(units), surface = std::vector<uint8_t>(kScene.size())]() mutable {
                const uint32_t* unit = units.data();
                for (int strip = 0; strip < kWidth / 4; ++strip) {
                    uint8_t* at = surface.data() + 4 * strip;
                    for (int y = 0; y < kHeight; ++y, at += kWidth)
                        memcpy(at, unit++, 4);
                }
            },
            kSceneBytes};
}

Prepared CopyRawScene()
{
    return {[surface = std::vector<uint8_t>(kScene.size())]() mutable {
                CopyRaw(surface.data(), kSceneRaw.data(), kWidth);
            },
            kSceneBytes};
}

Prepared MemcpyRows()
{
    return {[surface = std::vector<uint8_t>(kScene.size())]() mutable {
                size_t width = kWidth;
                benchmark::DoNotOptimize(width);  // the library's memcpy, as CopyRaw gets, not an inlined one
                for (int y = 0; y < kHeight; ++y)
                    memcpy(surface.data() + y * width, kSceneRaw.data() + kRawHeaderSize + y * width, width);
            },
            kSceneBytes};
}

Prepared SpriteOpaque()
{
    return {[surface = std::vector<uint8_t>(kSprite.size())]() mutable {
        DecodeRle(surface.data(), kSpriteRle.data(), 256);
    }};
}

Prepared SpriteKeyed()
{
    return {[surface = std::vector<uint8_t>(kSprite.size())]() mutable {
        DecodeRleKeyed(0, surface.data(), kSpriteRle.data(), 256);
    }};
}

}  // namespace

int main(int argc, char** argv)
{
    InterleavedBench bench;
    bench.Case("Decode", Decode);
    bench.Case("StridedStores", StridedStores);
    bench.Case("CopyRawScene", CopyRawScene);
    bench.Case("MemcpyRows", MemcpyRows);
    bench.Case("SpriteOpaque", SpriteOpaque);
    bench.Case("SpriteKeyed", SpriteKeyed);
    const double none = std::numeric_limits<double>::infinity();
    bench.Compare("Decode", "StridedStores", none, "(floor)");
    bench.Compare("CopyRawScene", "MemcpyRows", none, "(floor)");
    bench.Compare("SpriteKeyed", "SpriteOpaque", 0.5, "at most 0.5, i.e. 2x faster");
    return bench.Main(argc, argv);
}
