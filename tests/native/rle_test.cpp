// The column-RLE decoder, checker and encoder on hand-built streams and on
// random pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "encode.h"
#include "picture_builder.h"
#include "rle.h"

namespace {

TEST(DecodeRle, LiteralsRunsAndTheTwoByteCount)
{
    // V, V 3, V, W: the literal after a run is a literal even when equal.
    const Picture strip = PictureOf(4, 6, {Lit(0x11223344), Repeat(0x11223344, 3), Lit(0x11223344), Lit(0x55667788)});
    EXPECT_EQ(Decoded(strip), Rows(4, {0x11223344, 0x11223344, 0x11223344, 0x11223344, 0x11223344, 0x55667788}));

    // Count byte 0 escapes: 0,0 is 256 and 0,255 is 511 repetitions.
    const Picture long256 = PictureOf(4, 257, {Lit(7), Repeat(7, 256)});
    EXPECT_EQ(long256.bytes.size(), 4u + 4 + 4 + 2);
    EXPECT_EQ(Decoded(long256), Rows(4, std::vector<uint32_t>(257, 7)));
    const Picture long511 = PictureOf(4, 512, {Lit(9), Repeat(9, 511)});
    EXPECT_EQ(Decoded(long511), Rows(4, std::vector<uint32_t>(512, 9)));
}

TEST(DecodeRle, OneLiteralAndMarkerFillsAStripOfAnyHeightAndTheNextStripFollows)
{
    for (uint16_t height = 2; height <= 512; ++height) {
        const Picture picture = PictureOf(
            8, height,
            {Lit(0xA1A2A3A4), Repeat(0xA1A2A3A4, height - 1), Lit(0xB1B2B3B4), Repeat(0xB1B2B3B4, height - 1)});
        std::vector<uint32_t> expected;
        for (int row = 0; row < height; ++row)
            expected.insert(expected.end(), {0xA1A2A3A4, 0xB1B2B3B4});
        ASSERT_EQ(Decoded(picture), Rows(8, expected)) << "height " << height;
        const RleCheck check = CheckRle(picture.bytes.data(), picture.bytes.size());
        ASSERT_EQ(check.status, RleStatus::Ok);
        ASSERT_EQ(check.offset, picture.bytes.size());
    }
}

TEST(DecodeRle, WritesOnlyItsRowsWithAnyPitchAndUnitsInByteOrder)
{
    const Picture picture = PictureOf(8, 3,
                                      {Lit(0x04030201), Lit(0x08070605), Lit(0x0C0B0A09),  // strip 0
                                       Lit(0x14131211), Repeat(0x14131211, 2)});           // strip 1
    for (int32_t pitch : {8, 13, -8, -21}) {
        SCOPED_TRACE(pitch);
        Surface surface(8, 3, pitch);
        DecodeRle(surface.Origin(), picture.bytes.data(), pitch);
        EXPECT_TRUE(surface.GuardsIntact());
        EXPECT_EQ(surface.Row(0), (Bytes{1, 2, 3, 4, 0x11, 0x12, 0x13, 0x14}));
        EXPECT_EQ(surface.Row(1), (Bytes{5, 6, 7, 8, 0x11, 0x12, 0x13, 0x14}));
        EXPECT_EQ(surface.Row(2), (Bytes{9, 10, 11, 12, 0x11, 0x12, 0x13, 0x14}));
    }
}

TEST(CheckRle, RefusesBadHeadersWithTheOffendingOffset)
{
    const uint8_t tooShort[3] = {4, 0, 1};
    EXPECT_EQ(CheckRle(tooShort, 3).status, RleStatus::Truncated);
    for (uint16_t width : {0, 1, 2, 3, 6, 10}) {
        const Picture picture = PictureOf(width, 1, {Lit(0), Lit(0), Lit(0)});
        const RleCheck check = CheckRle(picture.bytes.data(), picture.bytes.size());
        EXPECT_EQ(check.status, RleStatus::BadWidth) << width;
        EXPECT_EQ(check.offset, 0u);
    }
    const Picture flat = PictureOf(4, 0, {Lit(0)});
    EXPECT_EQ(CheckRle(flat.bytes.data(), flat.bytes.size()).status, RleStatus::BadHeight);
    EXPECT_EQ(CheckRle(flat.bytes.data(), flat.bytes.size()).offset, 2u);
}

TEST(CheckRle, RefusesRunsPastTheStripAndEveryCutOfTheStream)
{
    // A run of 5 in a strip of 4 rows: the count byte is at offset 12.
    const Picture longRun = PictureOf(4, 4, {Lit(1), Repeat(1, 5)});
    RleCheck check = CheckRle(longRun.bytes.data(), longRun.bytes.size());
    EXPECT_EQ(check.status, RleStatus::RunTooLong);
    EXPECT_EQ(check.offset, 12u);
    const Picture longEscape = PictureOf(4, 300, {Lit(1), Repeat(1, 300)});
    EXPECT_EQ(CheckRle(longEscape.bytes.data(), longEscape.bytes.size()).status, RleStatus::RunTooLong);

    // Every prefix of a well-formed stream is cut short somewhere.
    const Picture picture = PictureOf(8, 300,
                                      {Lit(1), Repeat(1, 258), Lit(2), Lit(3), Repeat(3, 39),  // strip 0
                                       Lit(4), Repeat(4, 299)});                               // strip 1
    ASSERT_EQ(CheckRle(picture.bytes.data(), picture.bytes.size()).status, RleStatus::Ok);
    for (size_t size = 0; size < picture.bytes.size(); ++size) {
        std::vector<uint8_t> cut(picture.bytes.begin(), picture.bytes.begin() + long(size));
        check = CheckRle(cut.data(), cut.size());  // exact size: ASan sees any read past it
        ASSERT_EQ(check.status, RleStatus::Truncated) << size;
        ASSERT_LE(check.offset, size);
    }

    // Bytes after the stream are not read and not an error.
    std::vector<uint8_t> longer = picture.bytes;
    longer.insert(longer.end(), 5, 0xEE);
    check = CheckRle(longer.data(), longer.size());
    EXPECT_EQ(check.status, RleStatus::Ok);
    EXPECT_EQ(check.offset, picture.bytes.size());
}

TEST(EncodeRle, WritesMaximalRunsAndGoesOnAfter511)
{
    std::vector<uint8_t> pixels(4 * 1000, 0x42);
    pixels[4 * 999] = 0x43;  // the last row differs in its first pixel
    const Picture expected = PictureOf(
        4, 1000, {Lit(0x42424242), Repeat(0x42424242, 511), Lit(0x42424242), Repeat(0x42424242, 486), Lit(0x42424243)});
    EXPECT_EQ(EncodeRle(pixels.data(), 4, 1000), expected.bytes);
}

TEST(EncodeRle, RoundTripsRandomPicturesThroughTheCheckAndTheDecoder)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        const uint16_t width = uint16_t(4 * (1 + random() % 12));
        const uint16_t height = uint16_t(1 + random() % (round % 10 == 0 ? 1200 : 40));
        const int colours = 1 + int(random() % 4);
        const unsigned repeat = random() % 100;
        SCOPED_TRACE("seed 20261208 round " + std::to_string(round));
        // Rows that often repeat the one above make runs of every length.
        std::vector<uint8_t> pixels(size_t(width) * height);
        for (size_t row = 0; row < height; ++row)
            for (size_t x = 0; x < width; ++x)
                pixels[row * width + x] =
                    row > 0 && random() % 100 < repeat ? pixels[(row - 1) * width + x] : uint8_t(random() % colours);
        const std::vector<uint8_t> encoded = EncodeRle(pixels.data(), width, height);
        const RleCheck check = CheckRle(encoded.data(), encoded.size());
        ASSERT_EQ(check.status, RleStatus::Ok);
        ASSERT_EQ(check.offset, encoded.size());
        size_t stream = 0;
        for (uint32_t strip = 0; strip < width / 4u; ++strip)
            stream += RleStripSize(pixels.data(), width, height, strip);
        ASSERT_EQ(stream + kRleHeaderSize, encoded.size());

        Surface surface(width, height, -int32_t(width) - 3);
        DecodeRle(surface.Origin(), encoded.data(), surface.pitch);
        ASSERT_TRUE(surface.GuardsIntact());
        for (size_t row = 0; row < height; ++row)
            ASSERT_EQ(surface.Row(row), Bytes(&pixels[row * width], &pixels[row * width] + width)) << "row " << row;
    }
}

}  // namespace
