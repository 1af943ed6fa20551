// The install-directory dialog in-process: the real DLG_SELECT run by its
// procedure on a thread of this program, played by the test, its message
// boxes read (text, caption, exact style) and answered.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "../../installer/internal.h"
#include "../../common/texts.h"
#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/import_patch.h"
#include "support/in_process.h"
#include "support/launch.h"
#include "support/product_state.h"
#include "support/watch.h"
#include "windows_text.h"

namespace {

// A file of `size` bytes, sparse where the filesystem allows.
void MakeFile(const std::string& path, uint64_t size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    LARGE_INTEGER end;
    end.QuadPart = LONGLONG(size);
    SetFilePointerEx(file, end, NULL, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

// DLG_SELECT on the calling thread. A dialog that cannot be created says
// why, so that a failure no run here has reproduced tells its cause.
int OpenSelectDialog()
{
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), "DLG_SELECT", NULL, DlgSelectProc, 0);
    if (result == -1)
        ADD_FAILURE() << "DialogBoxParamA failed with error " << GetLastError();
    return (int)result;
}

class SelectDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        source_ = TestDir() + "\\source";
        FreshDir(source_);
        MakeFile(source_ + "\\DATA.BIN", 97280 * 3);  // the size shows as 0.3
        PrepareProductState(source_);
    }
    void TearDown() override { RemovePatches(); }

    // Runs the dialog while `drive` plays it; returns its result.
    template <class Drive>
    INT_PTR Run(Drive drive)
    {
        return RunWhileDriving(OpenSelectDialog, [&](const WindowDriver& driver) {
            HWND dialog = driver.WaitForDialog(IDC_START);
            ASSERT_TRUE(dialog) << "the dialog did not open";
            drive(driver, dialog);
        });
    }

    // Types a path, presses start and reads the message that follows.
    static SeenBox Try(const WindowDriver& driver, HWND dialog, const std::string& path)
    {
        SetControlText(dialog, IDC_PATH, path);
        Click(dialog, IDC_START);
        return driver.WaitForMessageBox();
    }

    // Whether the box is the notice `text`, answered, with the dialog still open.
    static ::testing::AssertionResult AnsweredNotice(const SeenBox& box, HWND dialog, const char* text)
    {
        ::testing::AssertionResult notice = IsNotice(box, text, AppTitle);
        if (box.window)
            Answer(box, IDOK);
        if (!notice)
            return notice;
        if (IsWindow(box.window))
            return ::testing::AssertionFailure() << "the notice " << ShowBytes(text) << " stayed open";
        if (!IsWindowVisible(dialog))
            return ::testing::AssertionFailure() << "the dialog closed after " << ShowBytes(text);
        return ::testing::AssertionSuccess();
    }

    std::string source_;
};

TEST_F(SelectDialogTest, OpensCentredWithTheSizeTheDefaultDirectoryAndTheFocusOnIt)
{
    const INT_PTR result = Run([](const WindowDriver&, HWND dialog) {
        RECT desktop, window;
        GetWindowRect(GetDesktopWindow(), &desktop);
        GetWindowRect(dialog, &window);
        // The installer dialogs count one pixel more than their rectangle.
        EXPECT_EQ(window.left, (desktop.right - (window.right - window.left + 1)) / 2);
        EXPECT_EQ(window.top, (desktop.bottom - (window.bottom - window.top + 1)) / 2);
        EXPECT_EQ(ShowBytes(WindowText(GetDlgItem(dialog, IDC_SIZE_TEXT))),
                  ShowBytes("インストールに必用な容量 =   0.3 M byte"));
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof windows);
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_PATH)), std::string(windows, 2) + "\\Program Files\\Tovak\\Q3");
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &gui);
        EXPECT_EQ(gui.hwndFocus, GetDlgItem(dialog, IDC_PATH));
        Click(dialog, IDC_CANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(installSize, 97280u * 3);
}

TEST_F(SelectDialogTest, SumsEveryEntryModulo2To32AndCutsTheSizeToTenths)
{
    const struct {
        uint64_t bytes;
        const char* shown;
    } cases[] = {
        {0, "  0.0"},
        {97279, "  0.0"},
        {97280, "  0.1"},
        {513 * 97280 + 97279, " 51.3"},
        {(uint64_t(1) << 32) + 7 * 97280, "  0.7"},  // 4 GiB falls out of the 32-bit sum
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.shown);
        FreshDir(source_);
        // A hidden file and a subdirectory count too (both empty here).
        MakeFile(source_ + "\\A.BIN", test.bytes);
        MakeFile(source_ + "\\HIDDEN.BIN", 0);
        SetFileAttributesA((source_ + "\\HIDDEN.BIN").c_str(), FILE_ATTRIBUTE_HIDDEN);
        CreateDirectoryA((source_ + "\\SUB").c_str(), NULL);
        Run([&](const WindowDriver&, HWND dialog) {
            EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_SIZE_TEXT)),
                      std::string("インストールに必用な容量 = ") + test.shown + " M byte");
            Click(dialog, IDC_CANCEL);
        });
        EXPECT_EQ(installSize, uint32_t(test.bytes));
    }
}

// Opens the dialog where it has nothing to measure: it tells the player
// `text` and ends with 0.
void ExpectEndsAtOnceWith(const char* text)
{
    const int result = RunWhileDriving(OpenSelectDialog, [&](const WindowDriver& driver) {
        const SeenBox box = driver.WaitForMessageBox();
        EXPECT_TRUE(IsNotice(box, text, AppTitle));
        if (box.window)
            Answer(box, IDOK);
    });
    EXPECT_EQ(result, 0);
}

TEST_F(SelectDialogTest, AnEmptySourceEndsTheDialogAtOnce)
{
    // A drive root has no "." or "..": an empty one has no entry at all.
    const std::string empty = "T:\\";
    if (GetFileAttributesA(empty.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no empty drive T: here (mounting a tmpfs is not permitted)";
    SetCurrentDirectoryA(empty.c_str());
    ExpectEndsAtOnceWith(kTextNoFiles);
}

// A damaged disc's listing: the entries after the first cannot be read.
BOOL WINAPI UnreadableListing(HANDLE, LPWIN32_FIND_DATAA)
{
    SetLastError(ERROR_CRC);
    return FALSE;
}

TEST_F(SelectDialogTest, AListingThatBreaksOffIsNoSizeToInstallBy)
{
    MakeFile(source_ + "\\ZZZ.BIN", 4 << 20);  // listed after DATA.BIN on Wine
    Watch("KERNEL32.dll", "FindNextFileA", (void*)UnreadableListing);
    ExpectEndsAtOnceWith(kTextInstallFailed);
}

TEST_F(SelectDialogTest, RefusesEachBadChoiceAndStaysOpen)
{
    const std::string base = TestDir();
    CreateDirectoryA((base + "\\exists").c_str(), NULL);
    Run([&](const WindowDriver& driver, HWND dialog) {
        EXPECT_TRUE(AnsweredNotice(Try(driver, dialog, ""), dialog, kTextNoDirectory));
        EXPECT_TRUE(AnsweredNotice(Try(driver, dialog, "\\\\server\\share\\x"), dialog, kTextNetworkDrive));
        EXPECT_TRUE(AnsweredNotice(Try(driver, dialog, "Q:\\GAMES\\Q3"), dialog, kTextBadDrive));  // no drive behind Q:
        // Confirmed, then refused: an existing directory is never accepted.
        const SeenBox confirm = Try(driver, dialog, base + "\\exists");
        ASSERT_TRUE(confirm.window);
        Answer(confirm, IDYES);
        EXPECT_TRUE(AnsweredNotice(driver.WaitForMessageBox(), dialog, kTextDirExists));

        // A drive root cannot be made; which notice says so is the system's
        // answer to creating it.
        CreateDirectoryA("C:\\", NULL);
        const char* rootRefused = GetLastError() == ERROR_ALREADY_EXISTS ? kTextDirExists : kTextDirNotCreated;
        const SeenBox question = Try(driver, dialog, "C:\\");
        ASSERT_TRUE(question.window);
        EXPECT_EQ(ShowBytes(question.text), ShowBytes("ディレクトリ\"C:\\\"にインストールを行います。"));
        Answer(question, IDYES);
        EXPECT_TRUE(AnsweredNotice(driver.WaitForMessageBox(), dialog, rootRefused));

        Click(dialog, IDC_CANCEL);
    });
}

// A typed path is asked about in full and made with its parents, and ends
// the dialog with 1. The second bytes of 表 (95 5C) and ソ (83 5C) are no
// separators: a byte-wise scan would cut them. One trailing backslash is
// left out: the path names the directory itself.
TEST_F(SelectDialogTest, MakesTheTypedPathInFullWithItsParents)
{
    ASSERT_EQ(std::string("表ソ"), std::string("\x95\x5C\x83\x5C"));
    const std::string base = TestDir();
    const struct {
        std::string typed, made;
    } cases[] = {
        {"install\\here", source_ + "\\install\\here"},  // relative to the source
        {base + "\\ゲーム\\表示\\ソ", base + "\\ゲーム\\表示\\ソ"},
        {base + "\\GAMES\\", base + "\\GAMES"},
        {base + "\\表\\", base + "\\表"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.typed);
        const INT_PTR result = Run([&](const WindowDriver& driver, HWND dialog) {
            const SeenBox question = Try(driver, dialog, test.typed);
            ASSERT_TRUE(question.window);
            EXPECT_EQ(ShowBytes(question.text), ShowBytes("ディレクトリ\"" + test.made + "\"にインストールを行います。"));
            Answer(question, IDYES);
        });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(ShowBytes(InstallPath), ShowBytes(test.made));
        EXPECT_TRUE(IsDirectory(test.made));
    }
    EXPECT_EQ(EntryNames(base + "\\ゲーム"), std::vector<std::string>{"表示"});
    EXPECT_EQ(EntryNames(base + "\\ゲーム\\表示"), std::vector<std::string>{"ソ"});
}

TEST_F(SelectDialogTest, ReportsTooLittleFreeSpace)
{
    DWORD a, b, c, d;
    if (!GetDiskFreeSpaceA("T:\\", &a, &b, &c, &d))
        GTEST_SKIP() << "no small drive T: here (mounting a tmpfs is not permitted)";
    MakeFile(source_ + "\\BIG.BIN", 4 << 20);  // more than the 256 KiB drive holds
    Run([&](const WindowDriver& driver, HWND dialog) {
        EXPECT_TRUE(AnsweredNotice(Try(driver, dialog, "T:\\Q3"), dialog, kTextNoSpace));
        Click(dialog, IDC_CANCEL);
    });
    EXPECT_FALSE(IsDirectory("T:\\Q3"));
}

TEST_F(SelectDialogTest, AsksWithTheFullPathAndANoCreatesNothing)
{
    const std::string target = TestDir() + "\\new\\deeper\\Q3";
    Run([&](const WindowDriver& driver, HWND dialog) {
        const SeenBox question = Try(driver, dialog, target);
        ASSERT_TRUE(question.window);
        EXPECT_EQ(ShowBytes(question.text), ShowBytes("ディレクトリ\"" + target + "\"にインストールを行います。"));
        EXPECT_EQ(ShowBytes(question.caption), ShowBytes(AppTitle));
        EXPECT_TRUE(HasStyle(question, MB_YESNO | MB_ICONQUESTION)) << Describe(question);  // Yes is the default
        Answer(question, IDNO);
        EXPECT_FALSE(driver.MessageBoxWithin(300));
        EXPECT_TRUE(IsWindowVisible(dialog));
        Click(dialog, IDC_CANCEL);
    });
    EXPECT_FALSE(IsDirectory(TestDir() + "\\new"));
}

TEST_F(SelectDialogTest, AStartSentWhileTheQuestionIsOpenIsIgnored)
{
    const std::string confirmed = TestDir() + "\\confirmed", other = TestDir() + "\\other";
    std::atomic<bool> handled{false};
    std::thread automation;
    const INT_PTR result = Run([&](const WindowDriver& driver, HWND dialog) {
        const SeenBox question = Try(driver, dialog, confirmed);
        ASSERT_TRUE(question.window);
        // Another thread presses start on another path: the question's own
        // loop dispatches the click.
        SetControlText(dialog, IDC_PATH, other);
        automation = SendFromAnotherThread(dialog, WM_COMMAND, IDC_START, &handled);
        EXPECT_TRUE(WaitFor([&] { return handled.load(); }, 5000)) << "a second start ran under the question";
        Answer(question, IDYES);
    });
    if (automation.joinable())
        automation.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::string(InstallPath), confirmed);
    EXPECT_TRUE(IsDirectory(confirmed));
    EXPECT_FALSE(IsDirectory(other));
}

// GetFullPathNameA failing, or asking for more than the buffer holds.
DWORD fullPathResult;
DWORD WINAPI FailingFullPath(LPCSTR, DWORD size, LPSTR buffer, LPSTR* filePart)
{
    memset(buffer, 0xEE, size);  // what a failing call may leave behind
    *filePart = NULL;
    return fullPathResult;
}

TEST_F(SelectDialogTest, APathThatCannotBeMadeFullIsRefusedWithNoGarbageLeft)
{
    Watch("KERNEL32.dll", "GetFullPathNameA", (void*)FailingFullPath);
    Run([](const WindowDriver& driver, HWND dialog) {
        for (DWORD result : {DWORD(0), DWORD(300), DWORD(260)}) {
            SCOPED_TRACE(result);
            fullPathResult = result;
            EXPECT_TRUE(AnsweredNotice(Try(driver, dialog, "C:\\typed"), dialog, kTextNoDirectory));
            EXPECT_STREQ(InstallPath, "C:\\typed");
        }
        Click(dialog, IDC_CANCEL);
    });
}

UINT WINAPI WindowsOnD(LPSTR buffer, UINT size) { return lstrlenA(lstrcpynA(buffer, "D:\\WINNT", int(size))); }

TEST_F(SelectDialogTest, ProposesTheProductsPathOnTheWindowsDrive)
{
    lstrcpyA(DefaultInstallPath, kKrn.installPath);  // KRN's string 2
    Watch("KERNEL32.dll", "GetWindowsDirectoryA", (void*)WindowsOnD);
    Run([](const WindowDriver&, HWND dialog) {
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_PATH)), "D:\\Program Files\\Tovak\\KRN");
        Click(dialog, IDC_CANCEL);
    });
}

TEST_F(SelectDialogTest, EscapeDoesNothingAndCancelEndsWithZero)
{
    const INT_PTR result = Run([](const WindowDriver& driver, HWND dialog) {
        PostMessageA(GetDlgItem(dialog, IDC_PATH), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_FALSE(driver.MessageBoxWithin(300));
        EXPECT_TRUE(IsWindowVisible(dialog));
        Click(dialog, IDC_CANCEL);
    });
    EXPECT_EQ(result, 0);
}

}  // namespace
