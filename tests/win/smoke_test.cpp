// A smoke suite of the programs of its own build, run in both trees: Q3 from
// its pressed disc, KRN from a folder; the main window, play with and
// without the engine, and a whole install and uninstall. In the 64-bit tree
// it is what runs the 64-bit programs.
#include <gtest/gtest.h>

#include <string>

#include "../../common/texts.h"
#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/launch.h"
#include "support/watch.h"
#include "windows_text.h"

namespace {

std::string Label(HWND main, int id) { return ShowBytes(WindowText(GetDlgItem(main, id))); }

void ExpectMainWindow(HWND main, const Product& product)
{
    ASSERT_TRUE(main) << "no main window";
    EXPECT_EQ(ShowBytes(WindowText(main)), ShowBytes(product.title));
    EXPECT_EQ(Label(main, IDC_PLAY), ShowBytes("プレイ(&P)"));
    EXPECT_EQ(Label(main, IDC_INSTALL), ShowBytes(kLabelInstall));
    EXPECT_EQ(Label(main, IDC_EXIT), ShowBytes("終了(&X)"));
}

// Q3 from its pressed disc in drive D: where the suite mounted one (else
// from a folder holding the same kind of files): install, uninstall, and
// play, which starts the disc's engine.
TEST(Smoke, Q3InstallsFromItsDiscUninstallsAndPlays)
{
    DeleteProductKey(kQ3);
    DeleteFileA(EngineLogPath().c_str());
    std::string disc = DiscInDriveD(kQ3);
    if (disc.empty()) {
        disc = MakeDisc(kQ3, true) + "\\";
        WriteBytes(disc + "EMPTY.DAT", "");
        WriteBytes(disc + "MOVIE.DAT", std::string(65537 * 2, 'm'));
        WriteBytes(disc + "HIDDEN.DAT", "hidden");
        SetFileAttributesA((disc + "HIDDEN.DAT").c_str(), FILE_ATTRIBUTE_HIDDEN);
    }

    Launch run(disc + "Q3.EXE", disc);
    ASSERT_TRUE(run.Started());
    HWND main = run.Driver().WaitForDialog(IDC_PLAY);
    ExpectMainWindow(main, kQ3);
    ASSERT_TRUE(main);

    // Install into a new directory.
    const std::string target = TestDir() + "\\Games\\Q3";
    Click(main, IDC_INSTALL);
    HWND select = run.Driver().WaitForDialog(IDC_START);
    ASSERT_TRUE(select);
    SetControlText(select, IDC_PATH, target);
    Click(select, IDC_START);
    SeenBox box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes("ディレクトリ\"" + target + "\"にインストールを行います。"));
    Answer(box, IDYES);
    box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(IsNotice(box, kTextInstallDone, kQ3.title));
    Answer(box, IDOK);
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(main, IDC_INSTALL)) == kLabelUninstall; }));
    const std::vector<std::string> names = PlainFiles(disc);
    EXPECT_EQ(PlainFiles(target), names);
    for (const std::string& name : names)
        EXPECT_TRUE(ReadBytes(target + "\\" + name) == ReadBytes(disc + name)) << name;
    std::string record;
    DWORD type = 0;
    ASSERT_TRUE(ReadProductValue(kQ3, "InstallDir", &record, &type));
    EXPECT_EQ(record, target + std::string(1, '\0'));
    EXPECT_EQ(type, DWORD(REG_SZ));

    // Uninstall again.
    Click(main, IDC_INSTALL);
    box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes(kTextUninstallQuestion));
    Answer(box, IDYES);
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(main, IDC_INSTALL)) == kLabelInstall; }));
    EXPECT_FALSE(Exists(target));
    EXPECT_FALSE(ReadProductValue(kQ3, "InstallDir", &record, &type));

    // Play: the engine on the disc, in the disc's directory.
    Click(main, IDC_PLAY);
    EXPECT_EQ(run.WaitForExit(), 0u);
    EXPECT_TRUE(WaitFor([] { return !ReadBytes(EngineLogPath()).empty(); })) << "the engine did not start";
    // The working directory as Windows writes it: a root keeps its backslash.
    const std::string directory = disc.size() == 3 ? disc : disc.substr(0, disc.size() - 1);
    EXPECT_EQ(ReadBytes(EngineLogPath()), EngineLine(directory, disc + "VGX.EXE"));
}

TEST(Smoke, KrnReportsAMissingEngine)
{
    DeleteProductKey(kKrn);
    const std::string disc = MakeDisc(kKrn, false);
    Launch run(disc + "\\KRN.EXE", disc);
    ASSERT_TRUE(run.Started());
    HWND main = run.Driver().WaitForDialog(IDC_PLAY);
    ExpectMainWindow(main, kKrn);
    ASSERT_TRUE(main);
    Click(main, IDC_PLAY);
    const SeenBox box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes("VGX.EXEが在りません"));
    EXPECT_TRUE(HasStyle(box, MB_OK)) << Describe(box);
    Answer(box, IDOK);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

}  // namespace
