// The whole install, in-process and through the main window: WinMain runs on
// a thread of this program while the test presses install, picks the
// directory, watches the copy, cancels it or lets it fail, and checks what
// is left on disk, in the registry and on the install button. Patched
// imports pause the copy at a chosen chunk, shorten a write, or count every
// handle taken and released.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../../installer/install_math.h"
#include "../../installer/internal.h"
#include "../../common/texts.h"
#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/import_patch.h"
#include "support/in_process.h"
#include "support/launch.h"
#include "support/product_state.h"
#include "support/screen.h"
#include "support/watch.h"
#include "windows_text.h"

namespace {

// --- The watched imports -------------------------------------------------

std::atomic<int> finds, findCloses, opens, closes;
std::atomic<int> writes, stepPosts, barPaints, directoryRemovals;
int pauseAtWrite;         // the write that waits for the test, or 0
int shortWriteAt;         // the write that takes one byte less, or 0
int failFindAfterOpens;   // a read error from FindNextFileA once this many files were opened, or 0
int holdAfterStepPost;    // the step post after which the GUI thread waits for a sent message, or 0
bool singleByteCodePage;  // IsDBCSLeadByte as on a code page without double-byte characters
HANDLE paused, resumed;

HANDLE WINAPI FindFirstWatch(LPCSTR pattern, LPWIN32_FIND_DATAA entry)
{
    HANDLE find = REAL(FindFirstFileA)(pattern, entry);
    finds += find != INVALID_HANDLE_VALUE;
    return find;
}
BOOL WINAPI FindCloseWatch(HANDLE find)
{
    ++findCloses;
    return REAL(FindClose)(find);
}
HFILE WINAPI OpenFileWatch(LPCSTR name, LPOFSTRUCT info, UINT style)
{
    const HFILE file = REAL(OpenFile)(name, info, style);
    opens += file != HFILE_ERROR;
    return file;
}
HFILE WINAPI CloseWatch(HFILE file)
{
    ++closes;
    return REAL(_lclose)(file);
}
UINT WINAPI WriteWatch(HFILE file, LPCCH bytes, UINT count)
{
    const int write = ++writes;
    if (write == pauseAtWrite) {
        SetEvent(paused);
        WaitForSingleObject(resumed, kWaitMs);
    }
    if (write == shortWriteAt && count > 1)
        return REAL(_lwrite)(file, bytes, count - 1);
    return REAL(_lwrite)(file, bytes, count);
}

BOOL WINAPI FindNextWatch(HANDLE find, LPWIN32_FIND_DATAA entry)
{
    if (failFindAfterOpens && opens >= failFindAfterOpens) {
        failFindAfterOpens = 0;  // once: the clean-up's own search must work
        SetLastError(ERROR_CRC);
        return FALSE;
    }
    return REAL(FindNextFileA)(find, entry);
}
BOOL WINAPI PostWatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const BOOL posted = REAL(PostMessageA)(window, message, wParam, lParam);
    if ((message == WM_INSTALL_OPEN || message == WM_INSTALL_COPY) && ++stepPosts == holdAfterStepPost) {
        // Returns, with this step pending, only once a message sent from
        // another thread waits: the dialog's own loop then takes that first.
        SetEvent(paused);
        const DWORD start = GetTickCount();
        while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) && GetTickCount() - start < kWaitMs)
            Sleep(1);
    }
    return posted;
}
BOOL WINAPI PatBltWatch(HDC dc, int x, int y, int width, int height, DWORD operation)
{
    ++barPaints;
    return REAL(PatBlt)(dc, x, y, width, height, operation);
}
BOOL WINAPI RemoveDirectoryWatch(LPCSTR path)
{
    ++directoryRemovals;
    return REAL(RemoveDirectoryA)(path);
}
BOOL WINAPI IsDBCSLeadByteWatch(BYTE byte) { return singleByteCodePage ? FALSE : REAL(IsDBCSLeadByte)(byte); }
std::atomic<int> filesOpenAtLastBox;
int WINAPI MessageBoxWatch(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    filesOpenAtLastBox = opens - closes;
    Log(std::string("box ") + text);
    return REAL(MessageBoxA)(owner, text, caption, style);
}

// --- Files -----------------------------------------------------------------

std::string RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = char(random());
    return bytes;
}

// The plain files of the test source: their names and sizes.
const std::vector<std::pair<std::string, size_t>> kPlainFiles = {
    {"EMPTY.DAT", 0},       {"ONE.DAT", 1},       {"BELOW.DAT", 65535},
    {"CHUNK.DAT", 65536},   {"ABOVE.DAT", 65537}, {"MOVIE.DAT", 3 * 1024 * 1024 + 12345},
    {"READONLY.DAT", 1000},
};

// --- The fixture -------------------------------------------------------------

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        disc_ = TestDir() + "\\disc";
        FreshDir(disc_);
        DeleteProductKey(kQ3);
        PrepareProductState(disc_);
        SetEnvironmentVariableA("VGX_LOG", EngineLogPath().c_str());
        ResetWatches();
        finds = findCloses = opens = closes = writes = 0;
        stepPosts = barPaints = directoryRemovals = 0;
        pauseAtWrite = shortWriteAt = failFindAfterOpens = holdAfterStepPost = 0;
        singleByteCodePage = false;
        paused = CreateEventA(NULL, FALSE, FALSE, NULL);
        resumed = CreateEventA(NULL, FALSE, FALSE, NULL);
        Watch("KERNEL32.dll", "FindFirstFileA", (void*)FindFirstWatch);
        Watch("KERNEL32.dll", "FindClose", (void*)FindCloseWatch);
        Watch("KERNEL32.dll", "OpenFile", (void*)OpenFileWatch);
        Watch("KERNEL32.dll", "_lclose", (void*)CloseWatch);
        WatchMemoryAndDialogs();
        Watch("KERNEL32.dll", "_lwrite", (void*)WriteWatch);
        Watch("KERNEL32.dll", "FindNextFileA", (void*)FindNextWatch);
        Watch("USER32.dll", "PostMessageA", (void*)PostWatch);
        Watch("GDI32.dll", "PatBlt", (void*)PatBltWatch);
        Watch("KERNEL32.dll", "RemoveDirectoryA", (void*)RemoveDirectoryWatch);
        Watch("KERNEL32.dll", "IsDBCSLeadByte", (void*)IsDBCSLeadByteWatch);
        Watch("USER32.dll", "MessageBoxA", (void*)MessageBoxWatch);
    }

    void TearDown() override
    {
        RemovePatches();
        CloseHandle(paused);
        CloseHandle(resumed);
        // Every path out of every dialog released what it took.
        EXPECT_EQ(findCloses, finds) << "find handles left open";
        EXPECT_EQ(closes, opens) << "files left open";
        EXPECT_EQ(frees, allocations) << "memory blocks left allocated";
    }

    void MakeSource()
    {
        uint32_t seed = 1;
        for (const auto& [name, size] : kPlainFiles)
            ASSERT_TRUE(WriteBytes(disc_ + "\\" + name, RandomBytes(size, seed++)));
        SetFileAttributesA((disc_ + "\\READONLY.DAT").c_str(), FILE_ATTRIBUTE_READONLY);
        WriteBytes(disc_ + "\\HIDDEN.DAT", "hidden");
        SetFileAttributesA((disc_ + "\\HIDDEN.DAT").c_str(), FILE_ATTRIBUTE_HIDDEN);
        WriteBytes(disc_ + "\\SYSTEM.DAT", "system");
        SetFileAttributesA((disc_ + "\\SYSTEM.DAT").c_str(), FILE_ATTRIBUTE_SYSTEM);
        CreateDirectoryA((disc_ + "\\SUB").c_str(), NULL);
        WriteBytes(disc_ + "\\SUB\\INNER.DAT", "inner");
        ASSERT_TRUE(CopyInto(ExeDir() + "\\VGX.EXE", disc_));
    }

    // Runs the launcher in this process while `play` plays its main window.
    static void Run(const std::function<void(const Player&)>& play) { EXPECT_EQ(WithMainWindow(play), 0); }

    // Waits for the paused write, lets `during` act, and lets the copy go on.
    template <class During>
    static void AtPause(During during)
    {
        ASSERT_EQ(WaitForSingleObject(paused, kWaitMs), WAIT_OBJECT_0) << "the copy never reached the pause";
        during();
        SetEvent(resumed);
    }

    void ExpectCopied(const std::string& target) const
    {
        for (const auto& [name, size] : kPlainFiles) {
            const std::string copy = ReadBytes(target + "\\" + name);
            EXPECT_EQ(copy.size(), size) << name;
            EXPECT_TRUE(copy == ReadBytes(disc_ + "\\" + name)) << name << " differs";
        }
    }

    // Installs into a new directory and expects the copy to end with the
    // notice `text`, and then nothing left: no directory, no record, the
    // button as it was.
    void ExpectRolledBack(const char* text, std::string target = std::string())
    {
        if (target.empty())
            target = TestDir() + "\\Q3";
        Run([&](const Player& player) {
            ASSERT_TRUE(player.Install(target, text));
            EXPECT_EQ(ShowBytes(InstallLabel(player.main)), ShowBytes(kLabelInstall));
        });
        EXPECT_FALSE(Exists(target));
        EXPECT_EQ(Record(kQ3), "(none)");
    }

    std::string disc_;
};

TEST_F(InstallTest, CopiesEveryPlainFileByteForByteRecordsItAndPlaysTheInstalledEngine)
{
    MakeSource();
    const std::string target = TestDir() + "\\Games\\Q3";
    Run([&](const Player& player) {
        ASSERT_TRUE(player.Install(target));
        EXPECT_EQ(Record(kQ3), target + std::string(1, '\0'));
        ExpectCopied(target);
        EXPECT_TRUE(ReadBytes(target + "\\VGX.EXE") == ReadBytes(disc_ + "\\VGX.EXE"));
        // Copies are plain files: the read-only one arrives writable.
        EXPECT_EQ(GetFileAttributesA((target + "\\READONLY.DAT").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
        for (const char* left : {"HIDDEN.DAT", "SYSTEM.DAT", "SUB"})
            EXPECT_FALSE(Exists(target + "\\" + left)) << left << " must not be copied";

        // Play now starts the installed engine, at once.
        DeleteFileA((disc_ + "\\VGX.EXE").c_str());
        Click(player.main, IDC_PLAY);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(player.main); }));
    });
    ASSERT_TRUE(WaitFor([] { return !EngineLog().empty(); }));
    EXPECT_EQ(EngineLog(), EngineLine(disc_, target + "\\VGX.EXE"));
}

// Each way the copy fails is told with its notice and leaves nothing: no
// directory, no record, the button as it was.
TEST_F(InstallTest, EachFailureOfTheCopyIsToldAndLeavesNothing)
{
    // A source whose entries all fail the filter.
    WriteBytes(disc_ + "\\HIDDEN.DAT", "hidden");
    SetFileAttributesA((disc_ + "\\HIDDEN.DAT").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryA((disc_ + "\\SUB").c_str(), NULL);
    ExpectRolledBack(kTextNoFiles);

    MakeSource();
    // OpenFile takes at most 128 characters of full path.
    const std::string longName = disc_ + "\\" + std::string(120, 'N') + ".DAT";
    const std::string deep = TestDir() + "\\" + std::string(126 - TestDir().size(), 'D');
    HANDLE held = INVALID_HANDLE_VALUE;
    const struct {
        const char* what;
        std::function<void()> arrange, undo;
        const char* notice;
        std::string target;
    } cases[] = {
        {"a short write", [] { shortWriteAt = 5; }, [] { shortWriteAt = 0; }, kTextInstallFailed, ""},
        {"no memory for the copy", [] { failures.allocation = 0x10000; }, [] { failures.allocation = 0; },
         kTextNoMemory, ""},
        // A damaged disc: the listing breaks off after two files (once).
        {"a listing error", [] { failFindAfterOpens = opens + 4; }, [] {}, kTextInstallFailed, ""},
        {"a source held open without sharing",
         [&] { held = CreateFileA((disc_ + "\\ONE.DAT").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL); },
         [&] { CloseHandle(held); }, kTextInstallFailed, ""},
        {"a name on the disc too long to open", [&] { WriteBytes(longName, "data"); },
         [&] { DeleteFileA(longName.c_str()); }, kTextInstallFailed, ""},
        {"an install directory too long to open in", [] {}, [] {}, kTextInstallFailed, deep},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        test.arrange();
        ExpectRolledBack(test.notice, test.target);
        test.undo();
    }
    EXPECT_EQ(filesOpenAtLastBox, 0) << "the source was still open while a failed open was told";
}

TEST_F(InstallTest, AFullDriveFailsTheCopyAndNothingIsLeftOnIt)
{
    DWORD a, b, c, d;
    if (!GetDiskFreeSpaceA("T:\\", &a, &b, &c, &d))
        GTEST_SKIP() << "no small drive T: here (mounting a tmpfs is not permitted)";
    WriteBytes(disc_ + "\\SMALL.DAT", RandomBytes(20000, 7));
    WriteBytes(disc_ + "\\GROWS.DAT", RandomBytes(20000, 8));
    Run([&](const Player& player) {
        Click(player.main, IDC_INSTALL);
        HWND select = player.driver.WaitForDialog(IDC_START);
        ASSERT_TRUE(select);
        SetControlText(select, IDC_PATH, "T:\\Q3");
        Click(select, IDC_START);
        const SeenBox question = player.driver.WaitForMessageBox();
        ASSERT_TRUE(question.window) << "the drive was measured too small already";
        // The source grows after it was measured: the drive fills mid-copy.
        WriteBytes(disc_ + "\\GROWS.DAT", RandomBytes(2 * 1024 * 1024, 8));
        Answer(question, IDYES);
        EXPECT_TRUE(player.Notice(kTextInstallFailed));
    });
    EXPECT_FALSE(Exists("T:\\Q3"));
    EXPECT_EQ(Record(kQ3), "(none)");
}

// Cancel, clicked by the player during a write or sent by another thread
// while a step is pending (the copy holds until it is queued): no step runs
// while the player is asked; No resumes with nothing lost or repeated, Yes
// removes everything written but the parents.
TEST_F(InstallTest, ACancelHoldsTheCopyUntilAnswered)
{
    MakeSource();
    const std::string parent = TestDir() + "\\parent", target = parent + "\\Q3";
    for (const bool sent : {false, true})
        for (const int answer : {IDNO, IDYES}) {
            SCOPED_TRACE(std::string(sent ? "sent" : "clicked") + (answer == IDNO ? ", No" : ", Yes"));
            PrepareProductState(disc_);  // not installed, as a new start of the program
            writes = stepPosts = 0;
            pauseAtWrite = sent ? 0 : 12;  // inside MOVIE.DAT, the large file
            holdAfterStepPost = sent ? 20 : 0;
            std::atomic<bool> handled{false};
            std::thread automation;
            Run([&](const Player& player) {
                ASSERT_TRUE(player.ChooseDirectory(target));
                HWND copy = player.driver.WaitForDialog(IDC_PROGRESS);
                ASSERT_TRUE(copy);
                ASSERT_EQ(WaitForSingleObject(paused, kWaitMs), WAIT_OBJECT_0) << "the copy never paused";
                EXPECT_TRUE(Exists(target + (sent ? "\\ABOVE.DAT" : "\\MOVIE.DAT"))) << "nothing written yet";
                if (sent) {
                    automation = SendFromAnotherThread(GetDlgItem(copy, IDC_CANCEL), BM_CLICK, 0, &handled);
                } else {
                    Click(copy, IDC_CANCEL);
                    SetEvent(resumed);
                }
                const SeenBox question = player.driver.WaitForMessageBox();
                ASSERT_TRUE(question.window);
                EXPECT_EQ(ShowBytes(question.text), ShowBytes(kTextAbortQuestion));
                EXPECT_TRUE(HasStyle(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2)) << Describe(question);
                const int writesWhileAsking = writes;
                EXPECT_FALSE(WaitFor([&] { return writes != writesWhileAsking; }, 300)) << "the copy went on while asking";
                Answer(question, answer);
                if (sent) {
                    EXPECT_TRUE(WaitFor([&] { return handled.load(); })) << "the sent cancel never returned";
                }
                if (answer == IDNO) {
                    EXPECT_TRUE(player.Notice(kTextInstallDone));
                    EXPECT_TRUE(LabelBecomes(player.main, kLabelUninstall));
                } else {
                    EXPECT_TRUE(WaitFor([&] { return !IsWindow(copy); }));
                    EXPECT_FALSE(player.driver.MessageBoxWithin(300)) << "a cancel says nothing more";
                    EXPECT_EQ(ShowBytes(InstallLabel(player.main)), ShowBytes(kLabelInstall));
                }
            });
            if (automation.joinable())
                automation.join();
            if (answer == IDNO) {
                ExpectCopied(target);
                RemoveTree(parent);  // the Yes run makes it anew
                DeleteProductKey(kQ3);
            } else {
                EXPECT_FALSE(Exists(target));
                EXPECT_TRUE(IsDirectory(parent));
                EXPECT_EQ(Record(kQ3), "(none)");
                EXPECT_EQ(IsInstalled, 0);
            }
        }
}

// The loops of the copy dialog dispatch what another thread sends to the
// main window while a step is pending: install, play, exit or the close
// box, none may act while the copy runs.
TEST_F(InstallTest, AClickSentToTheMainWindowDuringACopyIsIgnored)
{
    MakeSource();
    const struct {
        const char* what;
        int button;  // 0: the message goes to the main window itself
        UINT message;
        WPARAM wParam;
    } cases[] = {{"install", IDC_INSTALL, BM_CLICK, 0},
                 {"play", IDC_PLAY, BM_CLICK, 0},
                 {"exit", IDC_EXIT, BM_CLICK, 0},
                 {"the close box", 0, WM_SYSCOMMAND, SC_CLOSE}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        DeleteProductKey(kQ3);
        PrepareProductState(disc_);
        const std::string target = TestDir() + "\\" + test.what;
        stepPosts = 0;
        holdAfterStepPost = 20;
        std::atomic<bool> handled{false};
        std::thread automation;
        Run([&](const Player& player) {
            ASSERT_TRUE(player.ChooseDirectory(target));
            ASSERT_EQ(WaitForSingleObject(paused, kWaitMs), WAIT_OBJECT_0) << "the copy never reached the hold";
            HWND window = test.button ? GetDlgItem(player.main, test.button) : player.main;
            automation = SendFromAnotherThread(window, test.message, test.wParam, &handled);
            EXPECT_TRUE(WaitFor([&] { return handled.load(); }, 5000)) << "the sent message ran a command of its own";
            EXPECT_TRUE(player.Notice(kTextInstallDone));
            EXPECT_TRUE(LabelBecomes(player.main, kLabelUninstall));
            EXPECT_TRUE(IsWindowVisible(player.main)) << "the main window ended under the copy";
        });
        if (automation.joinable())
            automation.join();
        EXPECT_EQ(EngineLog(), "") << "play ran during the copy";
        ExpectCopied(target);
    }
}

TEST_F(InstallTest, AnUninstallSentDuringTheUninstallQuestionIsIgnored)
{
    const std::string installed = TestDir() + "\\installed";
    FreshDir(installed);
    ASSERT_TRUE(CopyInto(ExeDir() + "\\VGX.EXE", installed));
    SetRecord(kQ3, installed);
    std::atomic<bool> handled{false};
    std::thread automation;
    Run([&](const Player& player) {
        Click(player.main, IDC_INSTALL);
        const SeenBox question = player.driver.WaitForMessageBox();
        ASSERT_TRUE(question.window);
        automation = SendFromAnotherThread(GetDlgItem(player.main, IDC_INSTALL), BM_CLICK, 0, &handled);
        EXPECT_TRUE(WaitFor([&] { return handled.load(); }, 5000)) << "a second uninstall ran under the question";
        Answer(question, IDYES);
        EXPECT_TRUE(LabelBecomes(player.main, kLabelInstall));
        EXPECT_FALSE(player.driver.MessageBoxWithin(300));
    });
    if (automation.joinable())
        automation.join();
    EXPECT_FALSE(Exists(installed));
    EXPECT_EQ(Record(kQ3), "(none)");
}

TEST_F(InstallTest, ADialogThatCannotBeCreatedIsReported)
{
    MakeSource();
    for (const char* dialog : {"DLG_SELECT", "DLG_INST"}) {
        SCOPED_TRACE(dialog);
        failures.dialog = dialog;
        const std::string target = TestDir() + "\\" + dialog;
        Run([&](const Player& player) {
            if (dialog == std::string("DLG_SELECT"))
                Click(player.main, IDC_INSTALL);
            else
                ASSERT_TRUE(player.ChooseDirectory(target));
            EXPECT_TRUE(player.Notice(kTextDialogFailed));
            EXPECT_EQ(ShowBytes(InstallLabel(player.main)), ShowBytes(kLabelInstall));
        });
        EXPECT_EQ(Record(kQ3), "(none)");
    }
    // The directory made for a copy dialog that never opened stays, empty.
    EXPECT_TRUE(IsDirectory(TestDir() + "\\DLG_INST"));
}

TEST_F(InstallTest, InstallUninstallAndInstallAgainRecordsTheNewDirectory)
{
    MakeSource();
    const std::string first = TestDir() + "\\first", second = TestDir() + "\\second";
    Run([&](const Player& player) {
        ASSERT_TRUE(player.Install(first));
        ASSERT_EQ(Record(kQ3), first + std::string(1, '\0'));

        EXPECT_TRUE(player.Uninstall(IDYES));
        EXPECT_FALSE(Exists(first));
        EXPECT_EQ(Record(kQ3), "(none)");

        ASSERT_TRUE(player.Install(second));
    });
    EXPECT_EQ(Record(kQ3), second + std::string(1, '\0'));
    ExpectCopied(second);
}

// The bar's pixels along its middle row, as painted into the window: G for
// pure green, . for the control's own dark colour (black on Windows, the
// dark shadow colour on Wine). Its top and bottom rows must be all dark.
std::string BarRow(HWND copy)
{
    const Capture bar = CaptureClient(GetDlgItem(copy, IDC_PROGRESS));
    const DWORD dark = bar.At(0, 0);
    std::string row;
    for (int x = 0; x < bar.width; ++x) {
        const DWORD pixel = bar.At(x, bar.height / 2);
        row += pixel == 0x00FF00 ? 'G' : pixel == dark ? '.' : '?';
        if (bar.At(x, 0) != dark || bar.At(x, bar.height - 1) != dark)
            return "border broken at column " + std::to_string(x);
    }
    return row;
}

// That row as it must be when `done` of `total` bytes are copied.
std::string BarOf(HWND copy, uint32_t done, uint32_t total)
{
    RECT inside;
    GetClientRect(GetDlgItem(copy, IDC_PROGRESS), &inside);
    const uint32_t full = inside.right - 2, width = ProgressWidth(full, done, total);
    return "." + std::string(width, 'G') + std::string(full - width, '.') + ".";
}

// 1,000,000 bytes to install: the bar ends at its full width, or short of it
// when 300,000 of them are a hidden file, counted but not copied.
TEST_F(InstallTest, TheBarGrowsGreenFromTheLeftInsideItsBorderToTheShareCopied)
{
    WriteBytes(disc_ + "\\A.DAT", RandomBytes(700000, 1));
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "a hidden file" : "plain files");
        const std::string second = disc_ + (hidden ? "\\HIDDEN.DAT" : "\\B.DAT");
        WriteBytes(second, RandomBytes(300000, 2));
        SetFileAttributesA(second.c_str(), hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL);
        DeleteProductKey(kQ3);
        PrepareProductState(disc_);
        writes = 0;
        pauseAtWrite = 6;
        Run([&](const Player& player) {
            ASSERT_TRUE(player.ChooseDirectory(TestDir() + (hidden ? "\\hidden" : "\\plain")));
            HWND copy = player.driver.WaitForDialog(IDC_PROGRESS);
            ASSERT_TRUE(copy);
            AtPause([&] { EXPECT_EQ(BarRow(copy), BarOf(copy, 5 * 65536, 1000000)); });  // five chunks painted
            const SeenBox done = player.driver.WaitForMessageBox();
            ASSERT_TRUE(done.window);
            EXPECT_EQ(BarRow(copy), BarOf(copy, hidden ? 700000 : 1000000, 1000000));
            if (hidden) {
                EXPECT_NE(BarRow(copy), BarOf(copy, 1, 1)) << "the bar ends at its full width";
            }
            Answer(done, IDOK);
        });
        DeleteFileA(second.c_str());
    }
}

TEST_F(InstallTest, CopiesAreNewFilesAndAnEmptyOnePaintsNoBar)
{
    // Files from 1999: the copies do not carry their time stamps over.
    SYSTEMTIME then = {1999, 1, 5, 1, 12, 0, 0, 0};
    FILETIME old;
    SystemTimeToFileTime(&then, &old);
    for (const char* name : {"EMPTY.DAT", "ONE.DAT"}) {
        ASSERT_TRUE(WriteBytes(disc_ + "\\" + name, name == std::string("ONE.DAT") ? "1" : ""));
        HANDLE file =
            CreateFileA((disc_ + "\\" + name).c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0, NULL);
        SetFileTime(file, &old, &old, &old);
        CloseHandle(file);
    }
    const std::string target = TestDir() + "\\Q3";
    Run([&](const Player& player) {
        ASSERT_TRUE(player.ChooseDirectory(target));
        EXPECT_TRUE(player.Notice(kTextInstallDone));
    });
    EXPECT_EQ(barPaints, 1) << "only ONE.DAT's chunk paints the bar";
    EXPECT_TRUE(Exists(target + "\\EMPTY.DAT"));
    EXPECT_EQ(ReadBytes(target + "\\EMPTY.DAT"), "");
    for (const char* name : {"EMPTY.DAT", "ONE.DAT"}) {
        WIN32_FILE_ATTRIBUTE_DATA copy;
        ASSERT_TRUE(GetFileAttributesExA((target + "\\" + name).c_str(), GetFileExInfoStandard, &copy));
        EXPECT_GT(CompareFileTime(&copy.ftLastWriteTime, &old), 0) << name;
    }
}

// --- The record and uninstall ---------------------------------------------------

TEST_F(InstallTest, TheRecordIsTheStringAndItsNulInTheProductsKey)
{
    lstrcpyA(InstallPath, "C:\\Games\\KRN");
    WriteInstallRecord();
    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(ReadProductValue(kQ3, "InstallDir", &data, &type));
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(data, std::string("C:\\Games\\KRN", 13));  // 12 characters and the NUL
    EXPECT_EQ(ProductKeyClass(kQ3), "VGX");
    DeleteInstallRecord();
    EXPECT_EQ(ProductValueCount(kQ3), 0u);
    EXPECT_TRUE(ProductKeyExists(kQ3)) << "only the value goes";
}

// The program's opens of its key (class "VGX"), counted; the one numbered
// failingKeyOpen fails.
int keyOpens, failingKeyOpen;
LONG WINAPI CreateKeyWatch(HKEY root, LPCSTR path, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                           LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    if (keyClass && lstrcmpA(keyClass, "VGX") == 0 && ++keyOpens == failingKeyOpen)
        return ERROR_ACCESS_DENIED;
    return REAL(RegCreateKeyExA)(root, path, reserved, keyClass, options, access, security, key, disposition);
}

// The key cannot be opened at start-up, after the install or at uninstall:
// the player sees only the commands' own boxes, the install ends with its
// notice and relabels the button, uninstall removes the files, and the next
// start finds what could be recorded.
TEST_F(InstallTest, RegistryFailuresAreSilent)
{
    MakeSource();
    Watch("ADVAPI32.dll", "RegCreateKeyExA", (void*)CreateKeyWatch);
    const struct {
        const char* when;
        const char* nextLabel;  // the next start's: a record the uninstall could not delete stays
    } cases[] = {{"start-up", kLabelInstall}, {"install", kLabelInstall}, {"uninstall", kLabelUninstall}};
    for (int failing = 1; failing <= 3; ++failing) {
        SCOPED_TRACE(cases[failing - 1].when);
        DeleteProductKey(kQ3);
        PrepareProductState(disc_);
        keyOpens = 0;
        failingKeyOpen = failing;
        const size_t logged = Events().size();
        const std::string target = TestDir() + "\\" + cases[failing - 1].when;
        Run([&](const Player& player) {
            ASSERT_TRUE(player.Install(target));
            EXPECT_TRUE(player.Uninstall(IDYES));
        });
        EXPECT_FALSE(Exists(target)) << "uninstall left the files";
        const std::vector<std::string> boxes = {std::string("box ") + kTextConfirmBefore + target + kTextConfirmAfter,
                                                std::string("box ") + kTextInstallDone,
                                                std::string("box ") + kTextUninstallQuestion};
        const std::vector<std::string> events = Events();
        std::vector<std::string> shown;
        for (size_t i = logged; i < events.size(); ++i)
            if (events[i].rfind("box ", 0) == 0)
                shown.push_back(events[i]);
        EXPECT_EQ(shown, boxes);
        Run([&](const Player& player) {
            EXPECT_EQ(ShowBytes(InstallLabel(player.main)), ShowBytes(cases[failing - 1].nextLabel));
        });
    }
}

// Uninstall answered No changes nothing; Yes deletes the plain files but
// not the subdirectories and forgets the record. The engine, which marks
// an install, is found on a disk that gives every file attributes of its
// own, as a compressed or encrypted NTFS folder does. A directory deleted
// by hand is forgotten silently.
DWORD WINAPI CompressingDiskAttributes(LPCSTR path)
{
    const DWORD attributes = REAL(GetFileAttributesA)(path);
    return attributes == INVALID_FILE_ATTRIBUTES ? attributes
                                                 : attributes | FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED;
}

TEST_F(InstallTest, UninstallAsksDeletesThePlainFilesButNotSubdirectoriesAndForgetsTheRecord)
{
    Watch("KERNEL32.dll", "GetFileAttributesA", (void*)CompressingDiskAttributes);
    const std::string installed = TestDir() + "\\installed";
    FreshDir(installed);
    ASSERT_TRUE(CopyInto(ExeDir() + "\\VGX.EXE", installed));
    WriteBytes(installed + "\\GAME.DAT", "game");
    WriteBytes(installed + "\\MORE.DAT", "more");
    CreateDirectoryA((installed + "\\SAVES").c_str(), NULL);
    WriteBytes(installed + "\\SAVES\\SLOT1.DAT", "save");
    SetRecord(kQ3, installed);
    Run([&](const Player& player) {
        ASSERT_EQ(ShowBytes(InstallLabel(player.main)), ShowBytes(kLabelUninstall));
        EXPECT_TRUE(player.Uninstall(IDNO));
        EXPECT_EQ(PlainFiles(installed), (std::vector<std::string>{"GAME.DAT", "MORE.DAT", "VGX.EXE"}));
        EXPECT_EQ(Record(kQ3), installed + std::string(1, '\0'));

        EXPECT_TRUE(player.Uninstall(IDYES));
        EXPECT_FALSE(player.driver.MessageBoxWithin(300));
    });
    EXPECT_EQ(EntryNames(installed), std::vector<std::string>{"SAVES"});
    EXPECT_TRUE(Exists(installed + "\\SAVES\\SLOT1.DAT"));
    EXPECT_EQ(Record(kQ3), "(none)");
    EXPECT_TRUE(ProductKeyExists(kQ3));

    SetRecord(kQ3, TestDir() + "\\gone");
    Run([&](const Player& player) {
        EXPECT_TRUE(player.Uninstall(IDYES));
        EXPECT_FALSE(player.driver.MessageBoxWithin(300));
    });
    EXPECT_EQ(Record(kQ3), "(none)");
}

TEST_F(InstallTest, ARootRecordDeletesNoFile)
{
    // The root of the current drive, named as a damaged record might: plain,
    // through "..", as object manager and device paths, with a trailing
    // space the system strips; and on a system whose code page has no
    // double-byte characters: there E9 is a name of its own, and ".." after
    // it leads back to the root. The root holds an engine: the spellings in
    // which uninstall finds it reach the root guard, the others are stopped
    // before it.
    const std::string marker = "C:\\KEEP-ME.TXT", engine = "C:\\VGX.EXE";
    ASSERT_TRUE(WriteBytes(marker, "keep"));
    ASSERT_TRUE(WriteBytes(engine, "engine"));
    for (const std::string& record :
         {std::string("C:\\"), std::string("C:"), std::string("\\"), TestDir() + "\\..\\..", std::string("\\\\?\\C:\\"),
          std::string("\\??\\C:"), std::string("\\??\\c:\\"), std::string("\\\\.\\C:\\"),
          std::string("C:\\Windows\\..\\."), std::string("C:\\ "), std::string("C:\\\xE9\\..")}) {
        SCOPED_TRACE("record \"" + record + "\"");
        singleByteCodePage = record == "C:\\\xE9\\..";
        directoryRemovals = 0;
        SetRecord(kQ3, record);
        Run([&](const Player& player) { EXPECT_TRUE(player.Uninstall(IDYES)); });
        EXPECT_TRUE(Exists(marker) && Exists(engine));
        EXPECT_EQ(directoryRemovals, 0) << "a root was taken for a directory";
        EXPECT_EQ(Record(kQ3), "(none)");
    }
    DeleteFileA(marker.c_str());
    DeleteFileA(engine.c_str());
}

}  // namespace
