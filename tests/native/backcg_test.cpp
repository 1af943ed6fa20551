// The BACKCG check on the products' pictures and on broken resources.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "backcg.h"
#include "encode.h"
#include "picture_builder.h"
#include "rle_walk.h"

namespace {

Bytes ReadResource(const std::string& product)
{
    std::ifstream in(std::string(RESOURCES_DIR) + "/" + product + "/backcg.bin", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Counts the runs of a well-formed picture whose count takes two bytes.
size_t LongCounts(const uint8_t* picture)
{
    size_t longCounts = 0;
    auto count = [&](uint32_t, uint32_t rows) { longCounts += rows > 255; };
    const uint8_t* in = picture + kRleHeaderSize;
    for (uint32_t strip = 0; strip < RleWidth(picture) / 4u; ++strip)
        in = WalkStrip(in, RleHeight(picture), count);
    return longCounts;
}

TEST(Backcg, EachProductsPictureIs580x440AndEndsExactlyAtItsSize)
{
    for (const auto& [product, size] : {std::pair<const char*, size_t>{"Q3", 130431}, {"KRN", 161661}}) {
        SCOPED_TRACE(product);
        const Bytes resource = ReadResource(product);
        ASSERT_EQ(resource.size(), size);
        BackcgPicture picture;
        const BackcgCheck check = CheckBackcg(resource.data(), resource.size(), &picture);
        ASSERT_EQ(check.status, BackcgStatus::Ok) << BackcgStatusText(check) << " at " << check.offset;
        EXPECT_EQ(check.offset, size);
        EXPECT_EQ(picture.width, 580);
        EXPECT_EQ(picture.height, 440);
        EXPECT_EQ(picture.palette, resource.data());
        EXPECT_EQ(picture.picture, resource.data() + 780);  // the width field, after the reserved one
        EXPECT_EQ(LongCounts(picture.picture), 0u) << "the products' streams keep to one-byte counts";
    }
}

TEST(Backcg, RefusesResourcesThatDoNotHoldTheirRecord)
{
    const Bytes good = ReadResource("Q3");
    BackcgPicture picture;
    for (size_t size : {0, 1, 767, 768, 775}) {
        const Bytes cut(good.begin(), good.begin() + long(size));
        EXPECT_EQ(CheckBackcg(cut.data(), cut.size(), &picture).status, BackcgStatus::TooShort) << size;
    }
    for (uint32_t offset : {uint32_t(good.size()), 0x7FFFFFFFu, 0xFFFFFFF8u, 0xFFFFFFFFu}) {
        Bytes bad = good;
        memcpy(&bad[772], &offset, 4);
        const BackcgCheck check = CheckBackcg(bad.data(), bad.size(), &picture);
        EXPECT_EQ(check.status, BackcgStatus::RecordOutside) << offset;
        EXPECT_EQ(check.offset, 772u);
    }
    // A record whose header ends exactly at the end: the stream is missing.
    Bytes headerOnly(good.begin(), good.begin() + 784);
    const BackcgCheck check = CheckBackcg(headerOnly.data(), headerOnly.size(), &picture);
    EXPECT_EQ(check.status, BackcgStatus::BadPicture);
    EXPECT_EQ(check.pictureStatus, RleStatus::Truncated);
    EXPECT_EQ(check.offset, 784u);
}

TEST(Backcg, ReportsPictureFaultsAtTheirOffsetInTheResource)
{
    const Bytes good = ReadResource("KRN");
    BackcgPicture picture;
    Bytes bad = good;
    bad[780] = 2;  // width 514: not a multiple of 4
    BackcgCheck check = CheckBackcg(bad.data(), bad.size(), &picture);
    EXPECT_EQ(check.status, BackcgStatus::BadPicture);
    EXPECT_EQ(check.pictureStatus, RleStatus::BadWidth);
    EXPECT_EQ(check.offset, 780u);

    check = CheckBackcg(good.data(), good.size() - 1, &picture);
    EXPECT_EQ(check.pictureStatus, RleStatus::Truncated);
}

TEST(Backcg, FollowsAnyOffsetAndAllowsBytesAfterTheStream)
{
    uint8_t palette[kBackcgPaletteSize];
    for (size_t i = 0; i < sizeof palette; ++i)
        palette[i] = uint8_t(i * 7);
    const Picture strip = PictureOf(4, 2, {Lit(5), Lit(6)});
    Bytes resource = BuildBackcg(palette, strip.bytes);
    ASSERT_EQ(resource.size(), 784u + 8);
    EXPECT_EQ(Bytes(resource.begin() + 768, resource.begin() + 780), (Bytes{1, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0}));

    // The record moved 6 bytes further, and junk after the stream.
    resource.insert(resource.begin() + 776, 6, 0xEE);
    resource[772] = 10;
    resource.insert(resource.end(), 3, 0xEE);
    BackcgPicture picture;
    const BackcgCheck check = CheckBackcg(resource.data(), resource.size(), &picture);
    ASSERT_EQ(check.status, BackcgStatus::Ok);
    EXPECT_EQ(picture.picture, resource.data() + 786);
    EXPECT_EQ(check.offset, resource.size() - 3);
}

}  // namespace
