// The launcher run from a pressed CD as a player runs it: the product's
// image (tests/disc/press.sh) mounted read-only as CD-ROM drive D: by the
// harness (WINE_CDROM), the launcher started from D:\ with D:\ current.
// Where FUSE is missing it runs from the folder the image was pressed from,
// which is no CD: what only a CD shows (no free cluster, read-only files) is
// then left out.
#include <gtest/gtest.h>

#include "../../common/texts.h"
#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/launch.h"
#include "windows_text.h"

namespace {

class DiscTest : public ProductTest {
protected:
    void SetUp() override
    {
        disc_ = PressedDisc(product());
        if (disc_.empty())
            GTEST_SKIP() << "the pressed disc is neither in drive D: nor in a folder";
        onCd_ = disc_ == "D:\\";
        DeleteProductKey(product());
        DeleteFileA(EngineLogPath().c_str());
    }

    // The engine's line when the launcher plays `engine` from the disc's
    // root, the current directory as Windows writes it (a root keeps its
    // backslash).
    std::string PlayedLine(const std::string& engine) const
    {
        return EngineLine(onCd_ ? disc_ : disc_.substr(0, disc_.size() - 1), engine);
    }

    std::string disc_;
    bool onCd_ = false;
};

// Started with another folder current, as Start > Run starts it: the disc
// is still what the launcher measures and plays.
TEST_P(DiscTest, PlaysFromTheDiscWhoseDriveHasNoRoomForAnInstall)
{
    Launch run(product(), disc_, TestDir());
    ASSERT_TRUE(run.ShowsMain());
    EXPECT_EQ(ShowBytes(WindowText(run.Main())), ShowBytes(product().title));
    EXPECT_EQ(ShowBytes(InstallLabel(run.Main())), ShowBytes(kLabelInstall));

    Click(run.Main(), IDC_INSTALL);
    HWND select = run.Driver().WaitForDialog(IDC_START);
    ASSERT_TRUE(select);
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(select, IDC_SIZE_TEXT))), ShowBytes(SizeText(disc_)));
    if (onCd_) {
        // A path without a drive letter is on the disc's drive: no free cluster.
        SetControlText(select, IDC_PATH, std::string("\\GAMES\\") + product().name);
        Click(select, IDC_START);
        EXPECT_TRUE(run.Play().Notice(kTextNoSpace));
    }
    Click(select, IDC_CANCEL);
    EXPECT_TRUE(run.EndsQuietly(IDC_PLAY));
    ASSERT_TRUE(WaitFor([] { return !EngineLog().empty(); }));
    EXPECT_EQ(EngineLog(), PlayedLine(disc_ + "VGX.EXE"));
}

// Into the directory it proposes, whose paths the disc's longest name just
// fits (a file's full path must stay below 128 bytes for OpenFile).
TEST_P(DiscTest, InstallsEveryPlainFileWritablePlaysTheCopyAndUninstalls)
{
    const std::string target = std::string("C:") + product().installPath;
    {
        Launch run(product(), disc_);
        ASSERT_TRUE(run.ShowsMain());
        ASSERT_TRUE(run.Play().Install(target));
        const std::vector<std::string> names = PlainFiles(disc_);
        EXPECT_EQ(PlainFiles(target), names);
        for (const std::string& name : names) {
            EXPECT_TRUE(ReadBytes(target + "\\" + name) == ReadBytes(disc_ + name)) << name;
            if (onCd_) {
                EXPECT_NE(GetFileAttributesA((disc_ + name).c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << name;
            }
            EXPECT_EQ(GetFileAttributesA((target + "\\" + name).c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << name;
        }
        // The Joliet name comes back as the same code page 932 name.
        EXPECT_EQ(ReadBytes(target + "\\表示.DAT"), "Shift-JIS name\r\n");
        EXPECT_FALSE(Exists(target + "\\SAVE"));
        EXPECT_EQ(Record(product()), target + std::string(1, '\0'));
        EXPECT_TRUE(run.EndsQuietly(IDC_PLAY));
        ASSERT_TRUE(WaitFor([] { return !EngineLog().empty(); }));
        EXPECT_EQ(EngineLog(), PlayedLine(target + "\\VGX.EXE"));
    }
    Launch run(product(), disc_);
    ASSERT_TRUE(run.ShowsMain());
    EXPECT_TRUE(run.Play().Uninstall(IDYES));
    EXPECT_FALSE(Exists(target));
    EXPECT_EQ(Record(product()), "(none)");
    EXPECT_TRUE(run.EndsQuietly(IDC_EXIT));
}

RUN_ONCE_PER_PRODUCT(DiscTest);

}  // namespace
