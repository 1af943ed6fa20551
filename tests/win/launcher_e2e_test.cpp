// The real programs, started under Wine from a disc folder and driven like a
// player would: start-up, the main window, play, install and uninstall, and
// how the launcher ends.
#include <gtest/gtest.h>

#include "../../common/texts.h"
#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/launch.h"
#include "support/watch.h"
#include "windows_text.h"

namespace {

class LauncherTest : public ProductTest {
protected:
    void SetUp() override
    {
        DeleteProductKey(product());
        DeleteFileA(EngineLogPath().c_str());
    }
};

std::string Label(HWND main, int id) { return ShowBytes(WindowText(GetDlgItem(main, id))); }

TEST_P(LauncherTest, ShowsTitleAndLabelsCentredCreatesTheKeyAndExitsWithZero)
{
    ASSERT_FALSE(ProductKeyExists(product()));
    Launch run(product(), MakeDisc(product(), false));
    ASSERT_TRUE(run.ShowsMain());
    EXPECT_EQ(ShowBytes(WindowText(run.Main())), ShowBytes(product().title));
    EXPECT_EQ(Label(run.Main(), IDC_PLAY), ShowBytes("プレイ(&P)"));
    EXPECT_EQ(Label(run.Main(), IDC_INSTALL), ShowBytes(kLabelInstall));
    EXPECT_EQ(Label(run.Main(), IDC_EXIT), ShowBytes("終了(&X)"));
    RECT desktop, window;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(run.Main(), &window);
    EXPECT_EQ(window.left, (desktop.right - (window.right - window.left)) / 2);
    EXPECT_EQ(window.top, (desktop.bottom - (window.bottom - window.top)) / 2);
    // The first start makes the key, empty, with its class.
    EXPECT_TRUE(ProductKeyExists(product()));
    EXPECT_EQ(ProductKeyClass(product()), "VGX");
    EXPECT_EQ(ProductValueCount(product()), 0u);
    EXPECT_TRUE(run.EndsQuietly(IDC_EXIT));
}

TEST_P(LauncherTest, FindsTheRecordAfterOtherValuesBeforeTheWindowShows)
{
    // Wine enumerates values alphabetically: these come before "InstallDir".
    SetProductValue(product(), "AAA", REG_SZ, std::string("x", 2));
    SetProductValue(product(), "Foo", REG_DWORD, std::string(4, '\1'));
    SetRecord(product(), "C:\\Games\\Somewhere");
    Launch run(product(), MakeDisc(product(), false));
    HWND main = run.Driver().WaitForDialogWindow(IDC_PLAY);
    ASSERT_TRUE(main);
    // The label is switched in WM_INITDIALOG, before the window is shown.
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    EXPECT_EQ(Label(main, IDC_INSTALL), ShowBytes(kLabelUninstall));
    ASSERT_TRUE(run.ShowsMain());
    EXPECT_TRUE(run.EndsQuietly(IDC_EXIT));
}

TEST_P(LauncherTest, RefusesWindowsOlderThan351AndRuns351And40)
{
    const std::string disc = MakeDisc(product(), false);
    SetWindowsVersion(product().exe, "win31");
    {
        Launch run(product(), disc);
        const SeenBox box = run.Driver().WaitForMessageBox();
        ASSERT_TRUE(IsNotice(box, kTextWindowsTooOld, product().title));
        EXPECT_FALSE(run.Driver().WaitForDialog(IDC_PLAY, 0));
        Answer(box, IDOK);
        EXPECT_EQ(run.WaitForExit(), 0u);
        EXPECT_FALSE(ProductKeyExists(product())) << "the version test comes before the registry";
    }
    for (const char* version : {"nt351", "nt40"}) {
        SCOPED_TRACE(version);
        SetWindowsVersion(product().exe, version);
        Launch run(product(), disc);
        ASSERT_TRUE(run.ShowsMain());
        EXPECT_TRUE(run.EndsQuietly(IDC_EXIT));
    }
}

// Play starts the engine, installed or from the disc, in the launcher's own
// directory, or names in a plain box the engine it tried; the launcher ends
// either way.
TEST_P(LauncherTest, PlayStartsTheEngineOrNamesTheOneMissingAndEnds)
{
    const struct {
        const char* what;
        bool engineOnDisc;
        const char* installed;  // the recorded directory's name, or none
        bool engineInstalled;
    } cases[] = {
        {"from the disc", true, nullptr, false},
        {"from a disc without the engine", false, nullptr, false},
        {"installed", false, "installed", true},
        {"installed without the engine", true, "gone", false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        SetUp();
        const std::string disc = MakeDisc(product(), test.engineOnDisc);
        std::string engine = disc + "\\VGX.EXE", shown = "VGX.EXE";
        bool starts = test.engineOnDisc;
        if (test.installed) {
            const std::string installed = TestDir() + "\\" + test.installed;
            FreshDir(installed);
            if (test.engineInstalled)
                CopyInto(ExeDir() + "\\VGX.EXE", installed);
            SetRecord(product(), installed);
            engine = shown = installed + "\\VGX.EXE";
            starts = test.engineInstalled;
        }
        Launch run(product(), disc);
        ASSERT_TRUE(run.ShowsMain());
        if (starts) {
            EXPECT_TRUE(run.EndsQuietly(IDC_PLAY));
            ASSERT_TRUE(WaitFor([] { return !EngineLog().empty(); }));
            // The engine inherits the launcher's directory, not the install directory.
            EXPECT_EQ(EngineLog(), EngineLine(disc, engine));
            continue;
        }
        Click(run.Main(), IDC_PLAY);
        const SeenBox box = run.Driver().WaitForMessageBox();
        EXPECT_EQ(ShowBytes(box.text), ShowBytes(shown + kTextEngineMissing));
        EXPECT_EQ(ShowBytes(box.caption), ShowBytes(product().title));
        EXPECT_TRUE(HasStyle(box, MB_OK)) << Describe(box);
        if (box.window)
            Answer(box, IDOK);
        EXPECT_EQ(run.WaitForExit(), 0u);
        EXPECT_EQ(EngineLog(), "") << "the disc's engine must not start instead";
    }
}

// Started with another folder current (Start > Run D:\KRN.EXE, a prompt in
// C:\, a shortcut that starts elsewhere), the launcher plays, measures and
// installs its own disc, never that folder.
TEST_P(LauncherTest, StartedFromAnotherFolderItPlaysAndInstallsItsOwnDisc)
{
    // 表 ends in 0x5C, the backslash's byte: the disc's folder is still one.
    const std::string disc = MakeDisc(product(), true, "\x95\x5C");
    WriteBytes(disc + "\\DATA.DAT", std::string(300000, 'd'));
    const std::string elsewhere = TestDir() + "\\elsewhere";
    FreshDir(elsewhere);
    WriteBytes(elsewhere + "\\CANARY.TXT", std::string(900000, 'c'));
    {
        Launch run(product(), disc, elsewhere);
        ASSERT_TRUE(run.ShowsMain());
        EXPECT_TRUE(run.EndsQuietly(IDC_PLAY)) << "the disc's engine was not found";
        ASSERT_TRUE(WaitFor([] { return !EngineLog().empty(); }));
        EXPECT_EQ(EngineLog(), EngineLine(disc, disc + "\\VGX.EXE"));
    }
    Launch run(product(), disc, elsewhere);
    ASSERT_TRUE(run.ShowsMain());
    Click(run.Main(), IDC_INSTALL);
    HWND select = run.Driver().WaitForDialog(IDC_START);
    ASSERT_TRUE(select);
    EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(select, IDC_SIZE_TEXT))), ShowBytes(SizeText(disc)));
    Click(select, IDC_CANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(select); }));
    const std::string target = TestDir() + "\\installed";
    EXPECT_TRUE(run.Play().Install(target));
    EXPECT_EQ(PlainFiles(target), PlainFiles(disc));
    EXPECT_TRUE(run.EndsQuietly(IDC_EXIT));
}

TEST_P(LauncherTest, RecordWithoutTerminatorGetsOneAndOverlongEmptyOrMisnamedRecordsAreNotInstalls)
{
    struct Case {
        const char* what;
        std::string data;
        DWORD type;
        bool installed;
        const char* name = "InstallDir";
    };
    const Case cases[] = {
        {"short binary value without NUL", "C:\\NoNul", REG_BINARY, true},
        {"260 bytes without NUL", "C:\\" + std::string(257, 'a'), REG_BINARY, false},
        {"300-byte path", "C:\\" + std::string(296, 'b') + std::string(1, '\0'), REG_SZ, false},
        // An empty record names no directory: play must not start \VGX.EXE
        // at the root of the current drive.
        {"empty value", "", REG_SZ, false},
        {"a lone NUL", std::string(1, '\0'), REG_SZ, false},
        {"a name that differs only in case", std::string("C:\\Games\\X", 11), REG_SZ, false, "INSTALLDIR"},
    };
    const std::string disc = MakeDisc(product(), false);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        DeleteProductKey(product());
        SetProductValue(product(), test.name, test.type, test.data);
        Launch run(product(), disc);
        ASSERT_TRUE(run.ShowsMain());
        EXPECT_EQ(Label(run.Main(), IDC_INSTALL), ShowBytes(test.installed ? kLabelUninstall : kLabelInstall));
        Click(run.Main(), IDC_PLAY);
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
        Launch run(product(), disc);
        ASSERT_TRUE(run.ShowsMain());
        PostMessageA(GetDlgItem(run.Main(), IDC_PLAY), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(run.Main(), WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(run.WaitForExit(500), DWORD(STILL_ACTIVE)) << "Escape closed the launcher";
        EXPECT_TRUE(IsWindowVisible(run.Main()));
        // A close-box click arrives as SC_CLOSE.
        PostMessageA(run.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(run.WaitForExit(), 0u);
    }
    {
        Launch run(product(), disc);
        ASSERT_TRUE(run.ShowsMain());
        // Alt+F4: a system key with the context (Alt) bit set.
        PostMessageA(run.Main(), WM_SYSKEYDOWN, VK_F4, 0x20000001);
        EXPECT_EQ(run.WaitForExit(), 0u);
    }
    Launch run(product(), disc);
    ASSERT_TRUE(run.ShowsMain());
    // Enter with no other button focused presses the default button: play.
    PostMessageA(GetDlgItem(run.Main(), IDC_PLAY), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    EXPECT_EQ(run.WaitForExit(), 0u);
    EXPECT_TRUE(WaitFor([] { return EngineLog().find("VGX Kirasol") == 0; })) << "Enter did not play";
}

TEST_P(LauncherTest, InstallsIntoTheProposedDirectoryPlaysItAndUninstalls)
{
    const std::string disc = MakeDisc(product(), true);
    WriteBytes(disc + "\\DATA.DAT", std::string(200000, 'd'));
    const std::string proposed = std::string("C:") + product().installPath;
    {
        Launch run(product(), disc);
        ASSERT_TRUE(run.ShowsMain());
        Click(run.Main(), IDC_INSTALL);
        HWND select = run.Driver().WaitForDialog(IDC_START);
        ASSERT_TRUE(select);
        EXPECT_EQ(WindowText(GetDlgItem(select, IDC_PATH)), proposed);
        Click(select, IDC_CANCEL);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(select); }));
        EXPECT_TRUE(run.Play().Install(proposed));
        for (const char* name : {product().exe, "VGX.EXE", "DATA.DAT"})
            EXPECT_TRUE(ReadBytes(proposed + "\\" + name) == ReadBytes(disc + "\\" + name)) << name;
        EXPECT_EQ(Record(product()), proposed + std::string(1, '\0'));
        EXPECT_TRUE(run.EndsQuietly(IDC_EXIT));
    }
    // A second start finds the record; uninstall removes the copy, even
    // without the engine (a virus scanner's quarantine took it): the
    // launcher's own copy shows that this is an install.
    ASSERT_TRUE(DeleteFileA((proposed + "\\VGX.EXE").c_str()));
    Launch run(product(), disc);
    ASSERT_TRUE(run.ShowsMain());
    EXPECT_TRUE(run.Play().Uninstall(IDYES));
    EXPECT_FALSE(Exists(proposed));
    EXPECT_EQ(Record(product()), "(none)");
    EXPECT_TRUE(run.EndsQuietly(IDC_PLAY));  // from the disc again
    ASSERT_TRUE(WaitFor([] { return !EngineLog().empty(); }));
    EXPECT_EQ(EngineLog(), EngineLine(disc, disc + "\\VGX.EXE"));
}

// A record that names no install: a damaged one that the system resolves
// to the drive's root, however it is spelt, or a folder that never was an
// install (restored or edited), which lacks both the engine and the
// launcher that every install copies.
// Uninstall forgets it and deletes nothing.
TEST_P(LauncherTest, UninstallOfARecordNamingNoInstallDeletesNothing)
{
    const std::string documents = TestDir() + "\\documents";
    FreshDir(documents);
    // Folders of their names are no engine and no launcher.
    CreateDirectoryA((documents + "\\VGX.EXE").c_str(), NULL);
    CreateDirectoryA((documents + "\\" + product().exe).c_str(), NULL);
    // The root holds an engine: the root guard alone keeps its files.
    const std::string canaries[] = {"C:\\CANARY.TXT", "C:\\VGX.EXE", documents + "\\LETTER.TXT"};
    for (const std::string& canary : canaries)
        ASSERT_TRUE(WriteBytes(canary, "keep"));
    const std::string disc = MakeDisc(product(), false);
    for (const std::string& record : {std::string("\\??\\C:"), std::string("\\??\\C:\\"), std::string("\\\\.\\C:\\"),
                                      std::string("C:\\Windows\\..\\."), documents}) {
        SCOPED_TRACE(record);
        SetRecord(product(), record);
        Launch run(product(), disc);
        ASSERT_TRUE(run.ShowsMain());
        EXPECT_TRUE(run.Play().Uninstall(IDYES));
        EXPECT_TRUE(run.EndsQuietly(IDC_EXIT));
        for (const std::string& canary : canaries)
            EXPECT_EQ(ReadBytes(canary), "keep") << canary;
        EXPECT_EQ(Record(product()), "(none)");
    }
    DeleteFileA(canaries[0].c_str());
    DeleteFileA(canaries[1].c_str());
}

// Windows ends the session (a restart for updates, a logoff) at each moment
// of an install: the launcher lets it end, and an install that did not
// complete leaves nothing, while one that did is whole and recorded.
TEST_P(LauncherTest, TheSessionEndingDuringAnInstallLeavesAllOrNothing)
{
    enum Moment { kCopying, kCancelQuestion, kFailureNotice, kDoneNotice };
    const struct {
        const char* what;
        Moment moment;
        LPARAM how;  // a shutdown or restart, or a logoff
    } cases[] = {
        {"during the copy", kCopying, 0},
        {"at the cancel question, a logoff", kCancelQuestion, LPARAM(ENDSESSION_LOGOFF)},
        {"at the notice of a failed copy", kFailureNotice, 0},
        {"at the notice of a completed copy", kDoneNotice, 0},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        SetUp();
        const std::string disc = MakeDisc(product(), true);
        // Copied first (Wine lists names in order), over hundreds of steps.
        ASSERT_TRUE(WriteBytes(disc + "\\BIG.DAT", std::string(32 << 20, 'b')));
        ASSERT_TRUE(WriteBytes(disc + "\\ZZ.DAT", "last"));
        // Held open alone, the last file cannot be opened by the copy.
        HANDLE held = test.moment == kFailureNotice
            ? CreateFileA((disc + "\\ZZ.DAT").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL)
            : INVALID_HANDLE_VALUE;
        const std::string parent = TestDir() + "\\games", target = parent + "\\installed";
        Launch run(product(), disc);
        ASSERT_TRUE(run.ShowsMain());
        ASSERT_TRUE(run.Play().ChooseDirectory(target));
        if (test.moment == kCopying || test.moment == kCancelQuestion) {
            HWND copying = run.Driver().WaitForDialog(IDC_PROGRESS);
            ASSERT_TRUE(copying);
            ASSERT_TRUE(WaitFor([&] { return Exists(target + "\\BIG.DAT"); }));
            if (test.moment == kCancelQuestion) {
                Click(copying, IDC_CANCEL);
                ASSERT_TRUE(run.Driver().WaitForMessageBox().text == kTextAbortQuestion);
            }
        } else {
            const SeenBox box = run.Driver().WaitForMessageBox();
            ASSERT_TRUE(IsNotice(box, test.moment == kDoneNotice ? kTextInstallDone : kTextInstallFailed,
                                 product().title));
        }
        EXPECT_TRUE(run.EndSession(test.how));
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (test.moment == kDoneNotice) {
            EXPECT_EQ(PlainFiles(target), PlainFiles(disc));
            EXPECT_TRUE(ReadBytes(target + "\\BIG.DAT") == ReadBytes(disc + "\\BIG.DAT"));
            EXPECT_EQ(Record(product()), target + std::string(1, '\0'));
        } else {
            EXPECT_EQ(EntryNames(target), std::vector<std::string>()) << "the install was left behind";
            EXPECT_FALSE(Exists(target));
            EXPECT_TRUE(IsDirectory(parent)) << "the parent made for it stays, as after a cancel";
            EXPECT_EQ(Record(product()), "(none)");
        }
    }
}

RUN_ONCE_PER_PRODUCT(LauncherTest);

// Both products installed at once, each under its own key: installing and
// uninstalling one leaves the other's record and files alone.
TEST(SideBySide, EachProductKeepsItsOwnRecord)
{
    const Product* products[] = {&kQ3, &kKrn};
    for (const Product* product : products) {
        DeleteProductKey(*product);
        const std::string disc = MakeDisc(*product, true, std::string("disc") + product->name);
        WriteBytes(disc + "\\DATA.DAT", product->name);
        Launch run(*product, disc);
        ASSERT_TRUE(run.ShowsMain());
        EXPECT_TRUE(run.Play().Install(TestDir() + "\\" + product->name));
        EXPECT_TRUE(run.EndsQuietly(IDC_EXIT));
    }
    for (const Product* product : products)
        EXPECT_EQ(Record(*product), TestDir() + "\\" + product->name + std::string(1, '\0'));

    Launch run(kQ3, TestDir() + "\\discQ3");
    ASSERT_TRUE(run.ShowsMain());
    EXPECT_TRUE(run.Play().Uninstall(IDYES));
    EXPECT_TRUE(run.EndsQuietly(IDC_EXIT));
    EXPECT_EQ(Record(kQ3), "(none)");
    EXPECT_FALSE(Exists(TestDir() + "\\Q3"));
    EXPECT_EQ(Record(kKrn), TestDir() + "\\KRN" + std::string(1, '\0'));
    EXPECT_EQ(ReadBytes(TestDir() + "\\KRN\\DATA.DAT"), "KRN");
    EXPECT_TRUE(Exists(TestDir() + "\\KRN\\KRN.EXE"));
}

}  // namespace
