// The launcher's portable arithmetic: centring, the version test, and what
// the shipping programs have instead of a C runtime.
#include <gtest/gtest.h>

#include <string>

#include "../../common/centring.h"
#include "../../launcher/runtime.h"
#include "../../launcher/version.h"

namespace {

TEST(CentredOffset, TruncatesTowardZero)
{
    EXPECT_EQ(CentredOffset(1024, 464), 280);
    EXPECT_EQ(CentredOffset(1024, 465), 279);  // the odd pixel goes to the far side
    EXPECT_EQ(CentredOffset(100, 103), -1);    // -3 / 2
    EXPECT_EQ(CentredOffset(580, 406), 87);
    EXPECT_EQ(CentredOffset(440, 320), 60);
    EXPECT_EQ(CentredOffset(441, 320), 60);  // one more row off the top of a bottom-up picture
}

TEST(WindowsVersion, Accepts351AndLater)
{
    // GetVersion: major in the low byte, minor in the next; the high word is the build and platform.
    EXPECT_FALSE(IsWindowsVersionSupported(0x0A03));      // 3.10
    EXPECT_FALSE(IsWindowsVersionSupported(0x80000A03));  // 3.10 on Win32s
    EXPECT_FALSE(IsWindowsVersionSupported(0x3203));      // 3.50
    EXPECT_TRUE(IsWindowsVersionSupported(0x3303));       // 3.51
    EXPECT_TRUE(IsWindowsVersionSupported(0x05650004));   // 4.0 build 1381
    EXPECT_TRUE(IsWindowsVersionSupported(0x1DB10106));   // 6.1
    EXPECT_FALSE(IsWindowsVersionSupported(0xFFFF0002));  // 2.0 with any high word
}

TEST(CommandLineArguments, SkipsTheProgramNameAndTheBlanksAfterIt)
{
    const struct {
        const char* line;
        const char* arguments;
    } cases[] = {
        {"Q3.EXE", ""},
        {"Q3.EXE /x y", "/x y"},
        {"D:\\Q3.EXE \t  /x", "/x"},
        {"\"D:\\My Games\\Q3.EXE\" /x", "/x"},
        {"\"D:\\My Games\\Q3.EXE\"/x", "/x"},  // the closing quote ends the name
        {"\"unclosed name", ""},
        {"", ""},
    };
    for (const auto& test : cases)
        EXPECT_STREQ(CommandLineArguments(test.line), test.arguments) << test.line;
}

TEST(RuntimeBytes, CopyMoveFillCompareFindAndMeasureLikeTheCLibrary)
{
    char bytes[] = "0123456789";
    EXPECT_EQ(CopyBytes(bytes, "ab", 2), bytes);
    EXPECT_STREQ(bytes, "ab23456789");
    EXPECT_EQ(CopyBytes(bytes, "zz", 0), bytes);
    EXPECT_STREQ(bytes, "ab23456789");

    // Overlapping moves, both ways, keep what they move.
    EXPECT_EQ(MoveBytes(bytes + 2, bytes, 6), bytes + 2);
    EXPECT_STREQ(bytes, "abab234589");
    EXPECT_EQ(MoveBytes(bytes, bytes + 3, 7), bytes);
    EXPECT_STREQ(bytes, "b234589589");

    EXPECT_EQ(FillBytes(bytes + 1, 0x141, 3), bytes + 1);  // the value as unsigned char: 'A'
    EXPECT_STREQ(bytes, "bAAA589589");

    // Unsigned bytes: 0x80 sorts after 0x7F.
    EXPECT_LT(CompareBytes("\x7F", "\x80", 1), 0);
    EXPECT_GT(CompareBytes("ab\x80", "ab\x7F", 3), 0);
    EXPECT_EQ(CompareBytes("abc", "abd", 2), 0);
    EXPECT_EQ(CompareBytes("a", "b", 0), 0);

    const char text[] = "C:\\\x95\\X";  // 表 ends in 0x5C
    EXPECT_EQ(FindByte(text, '\\', sizeof text), text + 2);
    EXPECT_EQ(FindByte(text, 0x95 + 256, sizeof text), text + 3);  // compared as unsigned char
    EXPECT_EQ(FindByte(text, 'Y', sizeof text), nullptr);
    EXPECT_EQ(FindByte(text, 'C', 0), nullptr);

    EXPECT_EQ(StringLength(""), 0u);
    EXPECT_EQ(StringLength(text), sizeof text - 1);
}

}  // namespace
