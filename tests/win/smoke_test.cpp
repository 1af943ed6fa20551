// The shipping 32-bit programs themselves, each from its own disc folder:
// the main window, play with and without the engine, and a whole install
// and uninstall. Built 32-bit and run once, whole, under emulated 32-bit
// Wine, where every process takes about a minute to start: few starts, long
// waits.
#include <gtest/gtest.h>

#include <string>

#include "../../common/texts.h"
#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/launch.h"
#include "windows_text.h"

namespace {

constexpr DWORD kStartMs = 10 * 60 * 1000;  // a process start under the emulator
constexpr DWORD kStepMs = 3 * 60 * 1000;    // anything else

std::string Label(HWND main, int id) { return ShowBytes(WindowText(GetDlgItem(main, id))); }

void ExpectMainWindow(HWND main, const Product& product)
{
    ASSERT_TRUE(main) << "no main window";
    EXPECT_EQ(ShowBytes(WindowText(main)), ShowBytes(product.title));
    EXPECT_EQ(Label(main, IDC_PLAY), ShowBytes("プレイ(&P)"));
    EXPECT_EQ(Label(main, IDC_INSTALL), ShowBytes(kLabelInstall));
    EXPECT_EQ(Label(main, IDC_EXIT), ShowBytes("終了(&X)"));
}

TEST(Smoke32, Q3InstallsUninstallsAndReportsAMissingEngine)
{
    DeleteProductKey(kQ3);
    const std::string disc = MakeDisc(kQ3, false);
    const std::string data[][2] = {{"EMPTY.DAT", ""}, {"ONE.DAT", "1"}, {"CHUNKS.DAT", std::string(65537 * 2, 'c')}};
    for (const auto& file : data)
        ASSERT_TRUE(WriteBytes(disc + "\\" + file[0], file[1]));
    WriteBytes(disc + "\\HIDDEN.DAT", "hidden");
    SetFileAttributesA((disc + "\\HIDDEN.DAT").c_str(), FILE_ATTRIBUTE_HIDDEN);

    Launch run(disc + "\\Q3.EXE", disc);
    ASSERT_TRUE(run.Started());
    HWND main = run.Driver().WaitForDialog(IDC_PLAY, kStartMs);
    ExpectMainWindow(main, kQ3);
    ASSERT_TRUE(main);

    // Install into a new directory.
    const std::string target = TestDir() + "\\Games\\Q3";
    Click(main, IDC_INSTALL);
    HWND select = run.Driver().WaitForDialog(IDC_START, kStepMs);
    ASSERT_TRUE(select);
    SetControlText(select, IDC_PATH, target);
    Click(select, IDC_START);
    SeenBox box = run.Driver().WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes("ディレクトリ\"" + target + "\"にインストールを行います。"));
    Answer(box, IDYES);
    box = run.Driver().WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes(kTextInstallDone));
    EXPECT_TRUE(HasStyle(box, MB_ICONINFORMATION)) << Describe(box);
    Answer(box, IDOK);
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(main, IDC_INSTALL)) == kLabelUninstall; }, kStepMs));
    for (const auto& file : data)
        EXPECT_EQ(ReadBytes(target + "\\" + file[0]), file[1]) << file[0];
    EXPECT_TRUE(ReadBytes(target + "\\Q3.EXE") == ReadBytes(disc + "\\Q3.EXE"));
    EXPECT_FALSE(Exists(target + "\\HIDDEN.DAT"));
    std::string record;
    DWORD type = 0;
    ASSERT_TRUE(ReadProductValue(kQ3, "InstallDir", &record, &type));
    EXPECT_EQ(record, target + std::string(1, '\0'));
    EXPECT_EQ(type, DWORD(REG_SZ));

    // Uninstall again.
    Click(main, IDC_INSTALL);
    box = run.Driver().WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes(kTextUninstallQuestion));
    Answer(box, IDYES);
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(main, IDC_INSTALL)) == kLabelInstall; }, kStepMs));
    EXPECT_FALSE(Exists(target));
    EXPECT_FALSE(ReadProductValue(kQ3, "InstallDir", &record, &type));

    // Play from the disc, which has no engine.
    Click(main, IDC_PLAY);
    box = run.Driver().WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes("VGX.EXEが在りません"));
    EXPECT_TRUE(HasStyle(box, MB_OK)) << Describe(box);
    Answer(box, IDOK);
    EXPECT_EQ(run.WaitForExit(kStepMs), 0u);
}

TEST(Smoke32, KrnStartsTheEngineWithItsCommandLine)
{
    DeleteProductKey(kKrn);
    const std::string disc = MakeDisc(kKrn, true);
    DeleteFileA(EngineLogPath().c_str());
    Launch run(disc + "\\KRN.EXE", disc);
    ASSERT_TRUE(run.Started());
    HWND main = run.Driver().WaitForDialog(IDC_PLAY, kStartMs);
    ExpectMainWindow(main, kKrn);
    ASSERT_TRUE(main);
    Click(main, IDC_PLAY);
    EXPECT_EQ(run.WaitForExit(kStepMs), 0u);
    EXPECT_TRUE(WaitFor([] { return !ReadBytes(EngineLogPath()).empty(); }, kStartMs)) << "the engine did not start";
    EXPECT_EQ(ReadBytes(EngineLogPath()), "VGX Kirasol\t" + disc + "\r\n");
}

}  // namespace
