// The launcher's portable arithmetic: centring and the version test.
#include <gtest/gtest.h>

#include "../../common/centring.h"
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

}  // namespace
