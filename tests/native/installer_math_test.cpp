// The installer's portable arithmetic: sizes, free space, the copy filter,
// the progress bar's width and Shift-JIS-safe paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../../installer/install_math.h"
#include "../../installer/paths.h"

namespace {

TEST(SizeTenths, CutsToTenthsOf972800Bytes)
{
    EXPECT_EQ(SizeTenths(0), 0u);
    EXPECT_EQ(SizeTenths(97279), 0u);
    EXPECT_EQ(SizeTenths(97280), 1u);
    EXPECT_EQ(SizeTenths(513 * 97280 + 97279), 513u);  // shown as 51.3, never rounded up
    EXPECT_EQ(SizeTenths(uint32_t(uint64_t(1) << 32) - 1), 44150u);
    // The sum is taken modulo 2^32 before: 4 GiB and 7 tenths show as 0.7.
    EXPECT_EQ(SizeTenths(uint32_t((uint64_t(1) << 32) + 7 * 97280)), 7u);
}

TEST(HasFreeSpace, ComparesTheWholeProductAndPassesExactlyEnough)
{
    EXPECT_TRUE(HasFreeSpace(8, 512, 10, 40960));   // exactly enough
    EXPECT_FALSE(HasFreeSpace(8, 512, 10, 40961));  // one byte short
    EXPECT_TRUE(HasFreeSpace(0, 0, 0, 0));          // nothing needed
    EXPECT_FALSE(HasFreeSpace(8, 512, 0, 1));       // a full drive
    EXPECT_FALSE(HasFreeSpace(0, 512, 99, 1));
    // A large disk: the product overflows 32 bits (here it is 2^32 + 4096).
    EXPECT_TRUE(HasFreeSpace(8, 512, (1u << 20) + 1, 0xFFFFFFFFu));
    EXPECT_TRUE(HasFreeSpace(8, 512, 1u << 20, 1u));  // 2^32 free: 0 in 32 bits, yet room
    EXPECT_TRUE(HasFreeSpace(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu));
}

TEST(PassesCopyFilter, TakesOnlyReadOnlyArchiveAndNormal)
{
    for (uint32_t attributes : {0x00u, 0x01u, 0x20u, 0x21u, 0x80u, 0xA1u})
        EXPECT_TRUE(PassesCopyFilter(attributes)) << attributes;
    // directory, hidden, system, temporary, compressed, and any other bit
    for (uint32_t attributes : {0x10u, 0x02u, 0x04u, 0x100u, 0x800u, 0x22u, 0x30u, 0x40u, 0x2000u, 0x80000000u})
        EXPECT_FALSE(PassesCopyFilter(attributes)) << attributes;
}

TEST(ProgressWidth, FollowsBothFormulasAndStaysInsideTheBar)
{
    // Below 65,536 bytes: by the byte.
    EXPECT_EQ(ProgressWidth(350, 0, 1000), 0u);
    EXPECT_EQ(ProgressWidth(350, 1, 1000), 0u);
    EXPECT_EQ(ProgressWidth(350, 500, 1000), 175u);
    EXPECT_EQ(ProgressWidth(350, 1000, 1000), 350u);
    // From 65,536 bytes: in steps of 65,536.
    EXPECT_EQ(ProgressWidth(350, 65535, 0x40000), 0u);
    EXPECT_EQ(ProgressWidth(350, 65536, 0x40000), 87u);
    EXPECT_EQ(ProgressWidth(350, 0x40000, 0x40000), 350u);
    EXPECT_EQ(ProgressWidth(350, 0xFFFF0000u, 0xFFFF0000u), 350u);  // no 32-bit overflow
    // Hidden files count in the total but are not copied: the bar ends short.
    EXPECT_LT(ProgressWidth(350, 0x30000, 0x40000), 350u);
    // Never a division by zero, never wider than the inside.
    EXPECT_EQ(ProgressWidth(350, 0, 0), 0u);
    EXPECT_EQ(ProgressWidth(350, 65536, 0), 350u);
    EXPECT_EQ(ProgressWidth(350, 5000, 1000), 350u);
    EXPECT_EQ(ProgressWidth(350, 0x7FFFFFFFu, 100), 350u);
    EXPECT_EQ(ProgressWidth(0, 10, 10), 0u);
    EXPECT_EQ(ProgressWidth(-2, 10, 10), 0u);
}

// The parents a path's separators mark, as the directory dialog creates them.
std::string Parents(const char* path)
{
    std::string parents;
    for (size_t end = NextSeparator(path, 3, IsCp932LeadByte); end != kNoSeparator;
         end = NextSeparator(path, end + 1, IsCp932LeadByte))
        parents += std::string(path, end) + "|";
    return parents;
}

TEST(NextSeparator, StepsOverDoubleByteCharactersWhoseSecondByteIsABackslash)
{
    EXPECT_EQ(Parents("C:\\GAMES\\Q3"), "C:\\GAMES|");
    EXPECT_EQ(Parents("C:\\GAMES\\"), "C:\\GAMES|");  // a trailing backslash makes the directory a parent
    EXPECT_EQ(Parents("C:\\"), "");
    // C:\ゲーム\表示\KRN and a name holding ソ: 表 is 95 5C, ソ is 83 5C.
    const char kTable[] = "C:\\\x83Q\x81[\x83\x80\\\x95\x5C\x8E\xA6\\KRN";
    EXPECT_EQ(Parents(kTable), "C:\\\x83Q\x81[\x83\x80|C:\\\x83Q\x81[\x83\x80\\\x95\x5C\x8E\xA6|");
    const char kSo[] = "C:\\\x83\x5C\x83t\x83g\\X";  // ソフト
    EXPECT_EQ(Parents(kSo), "C:\\\x83\x5C\x83t\x83g|");
    // A lead byte at the very end does not carry the scan past the NUL.
    const char kCut[] = "C:\\A\\\x83";
    EXPECT_EQ(Parents(kCut), "C:\\A|");
}

// A single-byte code page, such as 1252: no byte leads a pair.
bool NoLeadByte(uint8_t) { return false; }

TEST(PathEnds, TheFolderAndNameOfAProgramAndOneTrailingSeparatorDropped)
{
    const struct {
        const char* path;
        const char* folder;   // FolderLength's part
        const char* name;     // from NameOffset on
        bool endsInSeparator;
        const char* dropped;  // after DropTrailingSeparator
    } cases[] = {
        {"D:\\Q3.EXE", "D:\\", "Q3.EXE", false, "D:\\Q3.EXE"},  // a root keeps its separator
        {"D:\\GAMES\\KRN.EXE", "D:\\GAMES", "KRN.EXE", false, "D:\\GAMES\\KRN.EXE"},
        {"\\\\server\\disc\\Q3.EXE", "\\\\server\\disc", "Q3.EXE", false, "\\\\server\\disc\\Q3.EXE"},
        {"\\\\?\\D:\\Q3.EXE", "\\\\?\\D:\\", "Q3.EXE", false, "\\\\?\\D:\\Q3.EXE"},
        {"\\\\?\\D:\\GAMES\\Q3.EXE", "\\\\?\\D:\\GAMES", "Q3.EXE", false, "\\\\?\\D:\\GAMES\\Q3.EXE"},
        {"\\Q3.EXE", "\\", "Q3.EXE", false, "\\Q3.EXE"},
        {"Q3.EXE", "", "Q3.EXE", false, "Q3.EXE"},
        {"C:\\GAMES\\Q3\\", "C:\\GAMES\\Q3", "", true, "C:\\GAMES\\Q3"},
        {"C:\\GAMES\\\\", "C:\\GAMES\\", "", true, "C:\\GAMES\\"},  // one only
        {"C:\\", "C:\\", "", true, "C:\\"},
        // 表 is 95 5C: a path ending in it ends in no separator.
        {"C:\\\x95\x5C", "C:\\", "\x95\x5C", false, "C:\\\x95\x5C"},
        {"C:\\\x95\x5C\\", "C:\\\x95\x5C", "", true, "C:\\\x95\x5C"},
        {"D:\\\x95\x5C\\Q3.EXE", "D:\\\x95\x5C", "Q3.EXE", false, "D:\\\x95\x5C\\Q3.EXE"},
        {"D:\\GAMES\\\x83\x5C", "D:\\GAMES", "\x83\x5C", false, "D:\\GAMES\\\x83\x5C"},  // ソ
    };
    for (const auto& test : cases) {
        EXPECT_EQ(std::string(test.path, FolderLength(test.path, IsCp932LeadByte)), test.folder) << test.path;
        EXPECT_STREQ(test.path + NameOffset(test.path, IsCp932LeadByte), test.name) << test.path;
        EXPECT_EQ(EndsInSeparator(test.path, IsCp932LeadByte), test.endsInSeparator) << test.path;
        std::string path = test.path;
        DropTrailingSeparator(&path[0], IsCp932LeadByte);
        EXPECT_EQ(path.c_str(), std::string(test.dropped)) << test.path;
    }
}

TEST(IsBelowDriveRoot, TakesOnlyFullLocalPathsWithANameBelowTheRoot)
{
    // Roots, and everything that is not the one form the installer records:
    // each of these could reach a drive's root or a share.
    for (const char* refused : {"",
                                "C:",
                                "C:\\",
                                "c:/",
                                "C:\\\\",
                                "C:\\\\Games",
                                "\\",
                                "/",
                                "C:\\.",
                                "C:\\Games\\..",
                                "C:\\Games\\..\\..",
                                "C:\\Windows\\..\\.",
                                "C:\\Games/..",
                                "C:Games",
                                "Games",
                                "\\Games",
                                "\\\\server\\share",
                                "\\\\server\\share\\x",
                                "\\\\?\\C:\\",
                                "\\\\?\\C:\\Games",
                                "\\\\.\\C:\\Games",
                                "//?/c:/Games",
                                "\\??\\C:",
                                "\\??\\C:\\",
                                "\\??\\c:\\Games",
                                "\\\\?\\UNC\\server\\share\\Games",
                                "\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\Games",
                                "1:\\Games",
                                "\x83:\\Games"})
        EXPECT_FALSE(IsBelowDriveRoot(refused, IsCp932LeadByte)) << refused;
    for (const char* directory :
         {"C:\\Games", "c:\\Games\\", "C:\\Games\\..\\Other", "C:\\..\\Games", "C:\\\x95\x5C", "Z:\\a\\.\\b"})
        EXPECT_TRUE(IsBelowDriveRoot(directory, IsCp932LeadByte)) << directory;

    // The code page decides what a 0x5C after a lead byte is: under 932,
    // C:\ + E9 5C + .. is one name; under a single-byte code page it is a
    // name and "..", which leads back to the drive's root.
    const char kLeadThenDots[] = "C:\\\xE9\\..";
    EXPECT_TRUE(IsBelowDriveRoot(kLeadThenDots, IsCp932LeadByte));
    EXPECT_FALSE(IsBelowDriveRoot(kLeadThenDots, NoLeadByte));
}

TEST(JoinPath, WritesWholePathsOrNothing)
{
    char out[12];
    memset(out, 'x', sizeof out);
    EXPECT_TRUE(JoinPath(out, sizeof out, "C:\\AB", "\\", "CDEF"));  // 10 characters and the NUL
    EXPECT_STREQ(out, "C:\\AB\\CDEF");
    memset(out, 'x', sizeof out);
    EXPECT_FALSE(JoinPath(out, sizeof out, "C:\\AB", "\\", "CDEFGH"));  // 12 and the NUL would not fit
    EXPECT_EQ(std::string(out, sizeof out), std::string(sizeof out, 'x'));
    EXPECT_TRUE(JoinPath(out, sizeof out, "C:\\AB", "\\*.*"));
    EXPECT_STREQ(out, "C:\\AB\\*.*");
}

TEST(RecordPath, IsCompleteOnlyWhenItsTerminatorFits)
{
    char path[8];
    memset(path, 'x', sizeof path);
    EXPECT_TRUE(TerminateRecordPath(path, 3, sizeof path));  // no NUL of its own: gets one
    EXPECT_STREQ(path, "xxx");
    memcpy(path, "C:\\A\0zzz", 8);
    EXPECT_TRUE(TerminateRecordPath(path, 8, sizeof path));  // fills the buffer, NUL inside
    EXPECT_STREQ(path, "C:\\A");
    memset(path, 'y', sizeof path);
    EXPECT_FALSE(TerminateRecordPath(path, 8, sizeof path));  // fills it without one
    EXPECT_FALSE(TerminateRecordPath(path, 0, sizeof path));  // no data: no directory
    memcpy(path, "\0zzz", 4);
    EXPECT_FALSE(TerminateRecordPath(path, 1, sizeof path));  // a lone NUL
}

}  // namespace
