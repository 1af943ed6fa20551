// The real programs, started under Wine from a disc folder and driven like a
// player would: start-up, the main window, play, and how the launcher ends.
#include <gtest/gtest.h>

#include "../../common/texts.h"
#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/launch.h"
#include "support/watch.h"
#include "windows_text.h"

namespace {

class LauncherTest : public ::testing::TestWithParam<const Product*> {
protected:
    const Product& product() const { return *GetParam(); }
    std::string ProgramOn(const std::string& disc) const { return disc + "\\" + product().exe; }

    void SetUp() override
    {
        DeleteProductKey(product());
        DeleteFileA(EngineLogPath().c_str());
    }

    // Starts the product from a fresh disc folder and waits for its main window.
    HWND StartMain(Launch& run)
    {
        EXPECT_TRUE(run.Started());
        HWND main = run.Driver().WaitForDialog(IDC_PLAY);
        EXPECT_TRUE(main != NULL) << "the main window did not appear";
        return main;
    }

    void RecordInstall(const std::string& dir)
    {
        SetProductValue(product(), "InstallDir", REG_SZ, dir + std::string(1, '\0'));
    }
};

std::string Engine() { return ReadBytes(EngineLogPath()); }

TEST_P(LauncherTest, ShowsTitleAndLabelsAndExitsWithZero)
{
    const std::string disc = MakeDisc(product(), false);
    Launch run(ProgramOn(disc), disc);
    HWND main = StartMain(run);
    ASSERT_TRUE(main);
    EXPECT_EQ(ShowBytes(WindowText(main)), ShowBytes(product().title));
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(main, IDC_PLAY))), ShowBytes("プレイ(&P)"));
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(main, IDC_INSTALL))), ShowBytes(kLabelInstall));
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(main, IDC_EXIT))), ShowBytes("終了(&X)"));

    // A box shown after the main window would hold the process open.
    Click(main, IDC_EXIT);
    EXPECT_FALSE(run.Driver().MessageBoxWithin(1000)) << "a message after the main window closed";
    EXPECT_EQ(run.WaitForExit(), 0u);
}

TEST_P(LauncherTest, CentresItsWindowOnTheDesktop)
{
    const std::string disc = MakeDisc(product(), false);
    Launch run(ProgramOn(disc), disc);
    HWND main = StartMain(run);
    ASSERT_TRUE(main);
    RECT desktop, window;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(main, &window);
    const LONG width = window.right - window.left, height = window.bottom - window.top;
    EXPECT_EQ(window.left, (desktop.right - width) / 2);
    EXPECT_EQ(window.top, (desktop.bottom - height) / 2);
    Click(main, IDC_EXIT);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

TEST_P(LauncherTest, FirstStartCreatesTheKeyEmptyWithItsClass)
{
    ASSERT_FALSE(ProductKeyExists(product()));
    const std::string disc = MakeDisc(product(), false);
    Launch run(ProgramOn(disc), disc);
    HWND main = StartMain(run);
    ASSERT_TRUE(main);
    EXPECT_TRUE(ProductKeyExists(product()));
    EXPECT_EQ(ProductKeyClass(product()), "VGX");
    EXPECT_EQ(ProductValueCount(product()), 0u);
    Click(main, IDC_EXIT);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

TEST_P(LauncherTest, FindsTheRecordAfterOtherValuesBeforeTheWindowShows)
{
    // Wine enumerates values alphabetically: these come before "InstallDir".
    SetProductValue(product(), "AAA", REG_SZ, std::string("x", 2));
    SetProductValue(product(), "Foo", REG_DWORD, std::string(4, '\1'));
    RecordInstall("C:\\Games\\Somewhere");
    const std::string disc = MakeDisc(product(), false);
    Launch run(ProgramOn(disc), disc);
    HWND main = run.Driver().WaitForDialogWindow(IDC_PLAY);
    ASSERT_TRUE(main);
    // The label is switched in WM_INITDIALOG, before the window is shown.
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(main, IDC_INSTALL))), ShowBytes(kLabelUninstall));
    Click(main, IDC_EXIT);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

TEST_P(LauncherTest, NameThatDiffersOnlyInCaseIsNotTheRecord)
{
    SetProductValue(product(), "INSTALLDIR", REG_SZ, std::string("C:\\Games\\X", 11));
    const std::string disc = MakeDisc(product(), false);
    Launch run(ProgramOn(disc), disc);
    HWND main = StartMain(run);
    ASSERT_TRUE(main);
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(main, IDC_INSTALL))), ShowBytes(kLabelInstall));
    Click(main, IDC_EXIT);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

TEST_P(LauncherTest, RefusesWindowsOlderThan351)
{
    SetWindowsVersion(product().exe, "win31");
    const std::string disc = MakeDisc(product(), false);
    Launch run(ProgramOn(disc), disc);
    const SeenBox box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(IsNotice(box, "このバージョンのＷｉｎｄｏｗｓでは動作しません。", product().title));
    EXPECT_FALSE(run.Driver().WaitForDialog(IDC_PLAY, 0));
    Answer(box, IDOK);
    EXPECT_EQ(run.WaitForExit(), 0u);
    EXPECT_FALSE(ProductKeyExists(product())) << "the version test comes before the registry";
}

TEST_P(LauncherTest, Runs351And40)
{
    for (const char* version : {"nt351", "nt40"}) {
        SCOPED_TRACE(version);
        SetWindowsVersion(product().exe, version);
        const std::string disc = MakeDisc(product(), false);
        Launch run(ProgramOn(disc), disc);
        HWND main = StartMain(run);
        ASSERT_TRUE(main);
        Click(main, IDC_EXIT);
        EXPECT_EQ(run.WaitForExit(), 0u);
    }
}

TEST_P(LauncherTest, PlayWithoutEngineSaysSoPlainlyAndEnds)
{
    const std::string disc = MakeDisc(product(), false);
    Launch run(ProgramOn(disc), disc);
    HWND main = StartMain(run);
    ASSERT_TRUE(main);
    Click(main, IDC_PLAY);
    const SeenBox box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes("VGX.EXEが在りません"));
    EXPECT_EQ(ShowBytes(box.caption), ShowBytes(product().title));
    EXPECT_TRUE(HasStyle(box, MB_OK)) << Describe(box);
    Answer(box, IDOK);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

TEST_P(LauncherTest, PlayStartsTheEngineFromTheDiscAndEnds)
{
    const std::string disc = MakeDisc(product(), true);
    Launch run(ProgramOn(disc), disc);
    HWND main = StartMain(run);
    ASSERT_TRUE(main);
    Click(main, IDC_PLAY);
    EXPECT_FALSE(run.Driver().MessageBoxWithin(1000)) << "a message though the engine started";
    EXPECT_EQ(run.WaitForExit(), 0u);
    ASSERT_TRUE(WaitFor([] { return !Engine().empty(); }));
    EXPECT_EQ(Engine(), EngineLine(disc, disc + "\\VGX.EXE"));
}

// Started with another folder current (Start > Run D:\KRN.EXE, a prompt in
// C:\, a shortcut that starts elsewhere), the launcher plays, measures and
// installs its own disc, never that folder.
TEST_P(LauncherTest, StartedFromAnotherFolderItPlaysAndInstallsItsOwnDisc)
{
    const std::string disc = MakeDisc(product(), true);
    WriteBytes(disc + "\\DATA.DAT", std::string(300000, 'd'));
    const std::string elsewhere = TestDir() + "\\elsewhere";
    FreshDir(elsewhere);
    WriteBytes(elsewhere + "\\CANARY.TXT", std::string(900000, 'c'));
    {
        Launch run(ProgramOn(disc), elsewhere);
        HWND main = StartMain(run);
        ASSERT_TRUE(main);
        Click(main, IDC_PLAY);
        EXPECT_FALSE(run.Driver().MessageBoxWithin(1000)) << "the disc's engine was not found";
        EXPECT_EQ(run.WaitForExit(), 0u);
        ASSERT_TRUE(WaitFor([] { return !Engine().empty(); }));
        EXPECT_EQ(Engine(), EngineLine(disc, disc + "\\VGX.EXE"));
    }
    Launch run(ProgramOn(disc), elsewhere);
    HWND main = StartMain(run);
    ASSERT_TRUE(main);
    Click(main, IDC_INSTALL);
    HWND select = run.Driver().WaitForDialog(IDC_START);
    ASSERT_TRUE(select);
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(select, IDC_SIZE_TEXT))), ShowBytes(SizeText(disc)));
    Click(select, IDC_CANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(select); }));
    const std::string target = TestDir() + "\\installed";
    InstallInto(run, main, target);
    EXPECT_EQ(PlainFiles(target), PlainFiles(disc));
    Click(main, IDC_EXIT);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

TEST_P(LauncherTest, InstalledPlayStartsTheRecordedEngineInTheDiscFolder)
{
    const std::string installed = TestDir() + "\\installed";
    FreshDir(installed);
    CopyInto(ExeDir() + "\\VGX.EXE", installed);
    RecordInstall(installed);
    const std::string disc = MakeDisc(product(), false);
    Launch run(ProgramOn(disc), disc);
    HWND main = StartMain(run);
    ASSERT_TRUE(main);
    Click(main, IDC_PLAY);
    EXPECT_EQ(run.WaitForExit(), 0u);
    ASSERT_TRUE(WaitFor([] { return !Engine().empty(); }));
    // The engine inherits the launcher's directory, not the install directory.
    EXPECT_EQ(Engine(), EngineLine(disc, installed + "\\VGX.EXE"));
}

TEST_P(LauncherTest, InstalledPlayWithoutEngineNamesTheFullPath)
{
    const std::string installed = TestDir() + "\\gone";
    RecordInstall(installed);
    const std::string disc = MakeDisc(product(), true);
    Launch run(ProgramOn(disc), disc);
    HWND main = StartMain(run);
    ASSERT_TRUE(main);
    Click(main, IDC_PLAY);
    const SeenBox box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes(installed + "\\VGX.EXEが在りません"));
    EXPECT_TRUE(HasStyle(box, MB_OK)) << Describe(box);
    Answer(box, IDOK);
    EXPECT_EQ(run.WaitForExit(), 0u);
    EXPECT_TRUE(Engine().empty()) << "the disc's engine must not start instead";
}

TEST_P(LauncherTest, RecordWithoutTerminatorGetsOneAndOverlongOrEmptyRecordsAreNotInstalls)
{
    struct Case {
        const char* what;
        std::string data;
        DWORD type;
        bool installed;
    };
    const Case cases[] = {
        {"short binary value without NUL", "C:\\NoNul", REG_BINARY, true},
        {"260 bytes without NUL", "C:\\" + std::string(257, 'a'), REG_BINARY, false},
        {"300-byte path", "C:\\" + std::string(296, 'b') + std::string(1, '\0'), REG_SZ, false},
        // An empty record names no directory: play must not start \VGX.EXE
        // at the root of the current drive.
        {"empty value", "", REG_SZ, false},
        {"a lone NUL", std::string(1, '\0'), REG_SZ, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        DeleteProductKey(product());
        SetProductValue(product(), "InstallDir", test.type, test.data);
        const std::string disc = MakeDisc(product(), false);
        Launch run(ProgramOn(disc), disc);
        HWND main = StartMain(run);
        ASSERT_TRUE(main);
        EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(main, IDC_INSTALL))),
                  ShowBytes(test.installed ? kLabelUninstall : kLabelInstall));
        Click(main, IDC_PLAY);
        const SeenBox box = run.Driver().WaitForMessageBox();
        ASSERT_TRUE(box.window);
        // The path played is complete and terminated, never garbage.
        EXPECT_EQ(ShowBytes(box.text),
                  ShowBytes(test.installed ? test.data + "\\VGX.EXEが在りません" : "VGX.EXEが在りません"));
        Answer(box, IDOK);
        EXPECT_EQ(run.WaitForExit(), 0u);
    }
}

TEST_P(LauncherTest, EscapeDoesNothingWhileTheCloseCommandsClose)
{
    const std::string disc = MakeDisc(product(), true);
    {
        Launch run(ProgramOn(disc), disc);
        HWND main = StartMain(run);
        ASSERT_TRUE(main);
        PostMessageA(GetDlgItem(main, IDC_PLAY), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(run.WaitForExit(500), DWORD(STILL_ACTIVE)) << "Escape closed the launcher";
        EXPECT_TRUE(IsWindowVisible(main));
        // A close-box click arrives as SC_CLOSE.
        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(run.WaitForExit(), 0u);
    }
    {
        Launch run(ProgramOn(disc), disc);
        HWND main = StartMain(run);
        ASSERT_TRUE(main);
        // Alt+F4: a system key with the context (Alt) bit set.
        PostMessageA(main, WM_SYSKEYDOWN, VK_F4, 0x20000001);
        EXPECT_EQ(run.WaitForExit(), 0u);
    }
    {
        Launch run(ProgramOn(disc), disc);
        HWND main = StartMain(run);
        ASSERT_TRUE(main);
        // Enter with no other button focused presses the default button: play.
        PostMessageA(GetDlgItem(main, IDC_PLAY), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        EXPECT_EQ(run.WaitForExit(), 0u);
        EXPECT_TRUE(WaitFor([] { return !Engine().empty(); })) << "Enter did not play";
    }
    EXPECT_TRUE(Engine().find("VGX Kirasol") == 0);
}

TEST_P(LauncherTest, InstallsIntoTheProposedDirectoryPlaysItAndUninstalls)
{
    const std::string disc = MakeDisc(product(), true);
    WriteBytes(disc + "\\DATA.DAT", std::string(200000, 'd'));
    Launch run(ProgramOn(disc), disc);
    HWND main = StartMain(run);
    ASSERT_TRUE(main);
    Click(main, IDC_INSTALL);
    HWND select = run.Driver().WaitForDialog(IDC_START);
    ASSERT_TRUE(select);
    const std::string proposed = WindowText(GetDlgItem(select, IDC_PATH));
    EXPECT_EQ(proposed, std::string("C:") + product().installPath);
    Click(select, IDC_START);
    SeenBox box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes("ディレクトリ\"" + proposed + "\"にインストールを行います。"));
    Answer(box, IDYES);
    box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(IsNotice(box, "インストールが終了しました。", product().title));
    Answer(box, IDOK);
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(main, IDC_INSTALL)) == kLabelUninstall; }));
    for (const char* name : {product().exe, "VGX.EXE", "DATA.DAT"})
        EXPECT_TRUE(ReadBytes(proposed + "\\" + name) == ReadBytes(disc + "\\" + name)) << name;
    std::string record;
    DWORD type = 0;
    ASSERT_TRUE(ReadProductValue(product(), "InstallDir", &record, &type));
    EXPECT_EQ(record, proposed + std::string(1, '\0'));

    // A second start finds the record; uninstall removes the copy.
    Click(main, IDC_EXIT);
    EXPECT_EQ(run.WaitForExit(), 0u);
    Launch again(ProgramOn(disc), disc);
    main = StartMain(again);
    ASSERT_TRUE(main);
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(main, IDC_INSTALL))), ShowBytes(kLabelUninstall));
    Click(main, IDC_INSTALL);
    box = again.Driver().WaitForMessageBox();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes("アンインストールを実行しますか？"));
    Answer(box, IDYES);
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(main, IDC_INSTALL)) == kLabelInstall; }));
    EXPECT_FALSE(Exists(proposed));
    EXPECT_FALSE(ReadProductValue(product(), "InstallDir", &record, &type));
    Click(main, IDC_PLAY);  // from the disc again
    EXPECT_EQ(again.WaitForExit(), 0u);
    ASSERT_TRUE(WaitFor([] { return !Engine().empty(); }));
    EXPECT_EQ(Engine(), EngineLine(disc, disc + "\\VGX.EXE"));
}

std::string RecordOf(const Product& product)
{
    std::string record;
    DWORD type = 0;
    return ReadProductValue(product, "InstallDir", &record, &type) ? record : "(none)";
}

// Presses uninstall, answers Yes, and exits once the button reads install.
::testing::AssertionResult UninstallsAndExits(Launch& run, HWND main)
{
    Click(main, IDC_INSTALL);
    const SeenBox question = run.Driver().WaitForMessageBox();
    if (!question.window)
        return ::testing::AssertionFailure() << "no uninstall question";
    Answer(question, IDYES);
    if (!WaitFor([&] { return WindowText(GetDlgItem(main, IDC_INSTALL)) == kLabelInstall; }))
        return ::testing::AssertionFailure()
            << "the button still reads " << ShowBytes(WindowText(GetDlgItem(main, IDC_INSTALL)));
    Click(main, IDC_EXIT);
    const DWORD code = run.WaitForExit();
    if (code != 0)
        return ::testing::AssertionFailure() << "the launcher ended with " << code;
    return ::testing::AssertionSuccess();
}

// A record that names no install: a damaged one that the system resolves
// to the drive's root, however it is spelt, or a folder that never was an
// install (restored or edited), which lacks the engine every install copies.
// Uninstall forgets it and deletes nothing.
TEST_P(LauncherTest, UninstallOfARecordNamingNoInstallDeletesNothing)
{
    const std::string documents = TestDir() + "\\documents";
    FreshDir(documents);
    // The root holds an engine: the root guard alone keeps its files.
    const std::string canaries[] = {"C:\\CANARY.TXT", "C:\\VGX.EXE", documents + "\\LETTER.TXT",
                                    documents + "\\" + product().exe};
    for (const std::string& canary : canaries)
        ASSERT_TRUE(WriteBytes(canary, "keep"));
    const std::string disc = MakeDisc(product(), false);
    for (const std::string& record :
         {std::string("\\??\\C:"), std::string("\\??\\C:\\"), std::string("\\\\.\\C:\\"),
          std::string("C:\\Windows\\..\\."), documents}) {
        SCOPED_TRACE(record);
        RecordInstall(record);
        Launch run(ProgramOn(disc), disc);
        HWND main = StartMain(run);
        ASSERT_TRUE(main);
        EXPECT_TRUE(UninstallsAndExits(run, main));
        for (const std::string& canary : canaries)
            EXPECT_EQ(ReadBytes(canary), "keep") << canary;
        EXPECT_EQ(RecordOf(product()), "(none)");
    }
    DeleteFileA(canaries[0].c_str());
    DeleteFileA(canaries[1].c_str());
}

// Both products installed at once, each under its own key: installing and
// uninstalling one leaves the other's record and files alone.
TEST(SideBySide, EachProductKeepsItsOwnRecord)
{
    const Product* products[] = {&kQ3, &kKrn};
    for (const Product* product : products) {
        DeleteProductKey(*product);
        const std::string disc = MakeDisc(*product, true, std::string("disc") + product->name);
        WriteBytes(disc + "\\DATA.DAT", product->name);
        Launch run(disc + "\\" + product->exe, disc);
        HWND main = run.Driver().WaitForDialog(IDC_PLAY);
        ASSERT_TRUE(main);
        InstallInto(run, main, TestDir() + "\\" + product->name);
        Click(main, IDC_EXIT);
        EXPECT_EQ(run.WaitForExit(), 0u);
    }
    for (const Product* product : products)
        EXPECT_EQ(RecordOf(*product), TestDir() + "\\" + product->name + std::string(1, '\0'));

    const std::string disc = TestDir() + "\\discQ3";
    Launch run(disc + "\\Q3.EXE", disc);
    HWND main = run.Driver().WaitForDialog(IDC_PLAY);
    ASSERT_TRUE(main);
    EXPECT_TRUE(UninstallsAndExits(run, main));  // Q3's
    EXPECT_EQ(RecordOf(kQ3), "(none)");
    EXPECT_FALSE(Exists(TestDir() + "\\Q3"));
    EXPECT_EQ(RecordOf(kKrn), TestDir() + "\\KRN" + std::string(1, '\0'));
    EXPECT_EQ(ReadBytes(TestDir() + "\\KRN\\DATA.DAT"), "KRN");
    EXPECT_TRUE(Exists(TestDir() + "\\KRN\\KRN.EXE"));
}

INSTANTIATE_TEST_SUITE_P(Products, LauncherTest, ::testing::Values(&kQ3, &kKrn), NameOfProduct());

}  // namespace
