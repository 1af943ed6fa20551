// The launcher run from a pressed CD as a player runs it: the product's
// image (tests/disc/press.sh) mounted read-only as CD-ROM drive D: by the
// harness (WINE_CDROM), the launcher started from D:\ with D:\ current.
#include <gtest/gtest.h>

#include "../../common/texts.h"
#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/launch.h"
#include "windows_text.h"

namespace {

class DiscTest : public ::testing::TestWithParam<const Product*> {
protected:
    void SetUp() override
    {
        disc_ = DiscInDriveD(product());
        if (disc_.empty())
            GTEST_SKIP() << "no disc in drive D: (mounting an image needs FUSE)";
        DeleteProductKey(product());
        DeleteFileA(EngineLogPath().c_str());
    }
    const Product& product() const { return *GetParam(); }
    std::string Program() const { return disc_ + product().exe; }

    std::string disc_;
};

TEST_P(DiscTest, PlaysFromTheDiscWhoseDriveHasNoRoomForAnInstall)
{
    Launch run(Program(), disc_);
    HWND main = run.Driver().WaitForDialog(IDC_PLAY);
    ASSERT_TRUE(main);
    EXPECT_EQ(ShowBytes(WindowText(main)), ShowBytes(product().title));
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(main, IDC_INSTALL))), ShowBytes(kLabelInstall));

    Click(main, IDC_INSTALL);
    HWND select = run.Driver().WaitForDialog(IDC_START);
    ASSERT_TRUE(select);
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(select, IDC_SIZE_TEXT))), ShowBytes(SizeText(disc_)));
    // A path without a drive letter is on the disc's drive: no free cluster.
    SetControlText(select, IDC_PATH, std::string("\\GAMES\\") + product().name);
    Click(select, IDC_START);
    const SeenBox box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes(kTextNoSpace));
    Answer(box, IDOK);
    Click(select, IDC_CANCEL);

    Click(main, IDC_PLAY);
    EXPECT_EQ(run.WaitForExit(), 0u);
    ASSERT_TRUE(WaitFor([] { return !ReadBytes(EngineLogPath()).empty(); }));
    EXPECT_EQ(ReadBytes(EngineLogPath()), EngineLine(disc_, disc_ + "VGX.EXE"));
}

TEST_P(DiscTest, InstallsEveryPlainFileWritablePlaysTheCopyAndUninstalls)
{
    const std::string target = TestDir() + "\\" + product().name;
    {
        Launch run(Program(), disc_);
        HWND main = run.Driver().WaitForDialog(IDC_PLAY);
        ASSERT_TRUE(main);
        InstallInto(run, main, target);
        const std::vector<std::string> names = PlainFiles(disc_);
        EXPECT_EQ(PlainFiles(target), names);
        for (const std::string& name : names) {
            EXPECT_TRUE(ReadBytes(target + "\\" + name) == ReadBytes(disc_ + name)) << name;
            EXPECT_NE(GetFileAttributesA((disc_ + name).c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << name;
            EXPECT_EQ(GetFileAttributesA((target + "\\" + name).c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << name;
        }
        // The Joliet name comes back as the same code page 932 name.
        EXPECT_EQ(ReadBytes(target + "\\表示.DAT"), "Shift-JIS name\r\n");
        EXPECT_FALSE(Exists(target + "\\SAVE"));
        Click(main, IDC_PLAY);
        EXPECT_EQ(run.WaitForExit(), 0u);
        ASSERT_TRUE(WaitFor([] { return !ReadBytes(EngineLogPath()).empty(); }));
        EXPECT_EQ(ReadBytes(EngineLogPath()), EngineLine(disc_, target + "\\VGX.EXE"));
    }
    Launch run(Program(), disc_);
    HWND main = run.Driver().WaitForDialog(IDC_PLAY);
    ASSERT_TRUE(main);
    Click(main, IDC_INSTALL);  // uninstall
    const SeenBox question = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(question.window);
    Answer(question, IDYES);
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(main, IDC_INSTALL)) == kLabelInstall; }));
    EXPECT_FALSE(Exists(target));
    Click(main, IDC_EXIT);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Products, DiscTest, ::testing::Values(&kQ3, &kKrn), NameOfProduct());

}  // namespace
