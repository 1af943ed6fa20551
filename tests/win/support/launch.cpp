#include "launch.h"

#include <cstdlib>
#include <vector>

#include "../../../common/app.h"
#include "../../../installer/install_math.h"
#include "../../../installer/paths.h"
#include "../../../resources/ids.h"
#include "files.h"
#include "windows_text.h"

std::string TestDir()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name)
        if (c == '/')
            c = '_';
    static std::string made;
    const std::string dir = "C:\\tests\\" + name;
    if (made != dir) {
        FreshDir(dir);
        made = dir;
    }
    return dir;
}

std::string EngineLogPath() { return TestDir() + "\\vgx.log"; }
std::string EngineLog() { return ReadBytes(EngineLogPath()); }

std::string EngineLine(const std::string& directory, const std::string& engine)
{
    return "VGX Kirasol\t" + directory + "\t" + engine + "\r\n";
}

std::string MakeDisc(const Product& product, bool withEngine, const std::string& folder)
{
    const std::string disc = TestDir() + "\\" + folder;
    FreshDir(disc);
    CopyInto(ExeDir() + "\\" + product.exe, disc);
    if (withEngine)
        CopyInto(ExeDir() + "\\VGX.EXE", disc);
    return disc;
}

std::string PressedDisc(const Product& product)
{
    if (GetDriveTypeA("D:\\") == DRIVE_CDROM && Exists(std::string("D:\\") + product.exe))
        return "D:\\";
    // The image's folder, seen through drive Z:, which is the host's root.
    const char* image = getenv("WINE_CDROM");
    if (!image || !*image)
        return "";
    std::string folder = "Z:" + std::string(image, strlen(image) - (strlen(image) > 4 ? 4 : 0)) + "\\";
    for (char& c : folder)
        if (c == '/')
            c = '\\';
    return Exists(folder + product.exe) ? folder : "";
}

std::string SizeText(const std::string& dir)
{
    uint32_t bytes = 0;  // modulo 2^32, as the dialog sums
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + (EndsInSeparator(dir.c_str(), IsSystemLeadByte) ? "*.*" : "\\*.*")).c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do
            bytes += entry.nFileSizeLow;
        while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    char text[128];
    const uint32_t tenths = SizeTenths(bytes);
    wsprintfA(text, kFormatInstallSize, tenths / 10, tenths % 10);
    return text;
}

Launch::Launch(const Product& product, const std::string& disc, const std::string& current)
{
    SetEnvironmentVariableA("VGX_LOG", EngineLogPath().c_str());
    const std::string program = disc + (EndsInSeparator(disc.c_str(), IsSystemLeadByte) ? "" : "\\") + product.exe;
    const std::string directory = current.empty() ? disc : current;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + program + "\"";
    if (CreateProcessA(program.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, directory.c_str(), &startup,
                       &process_))
        driver_ = WindowDriver(process_.dwProcessId);
}

Launch::~Launch()
{
    if (!process_.hProcess)
        return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, kWaitMs);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

::testing::AssertionResult Launch::ShowsMain()
{
    if (!process_.hProcess)
        return ::testing::AssertionFailure() << "the launcher did not start: error " << GetLastError();
    main_ = driver_.WaitForDialog(IDC_PLAY);
    if (!main_)
        return ::testing::AssertionFailure() << "the main window did not show";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Launch::EndsQuietly(int button)
{
    Click(main_, button);
    // A box would hold the process open: look for one while it runs.
    WaitFor([&] { return WaitForExit(0) != STILL_ACTIVE || driver_.MessageBoxWithin(0); });
    if (driver_.MessageBoxWithin(0))
        return ::testing::AssertionFailure() << "a message box showed: " << Describe(driver_.WaitForMessageBox(0));
    const DWORD code = WaitForExit();
    if (code != 0)
        return ::testing::AssertionFailure() << "the launcher ended with " << code;
    return ::testing::AssertionSuccess();
}

DWORD Launch::WaitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

// The top-level windows of one process.
struct ProcessWindows {
    DWORD processId;
    std::vector<HWND> found;
};

static BOOL CALLBACK AddProcessWindow(HWND window, LPARAM lParam)
{
    ProcessWindows* windows = (ProcessWindows*)lParam;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == windows->processId)
        windows->found.push_back(window);
    return TRUE;
}

::testing::AssertionResult Launch::EndSession(LPARAM how)
{
    ProcessWindows windows{process_.dwProcessId, {}};
    EnumWindows(AddProcessWindow, (LPARAM)&windows);
    HWND refused = NULL, silent = NULL;
    for (HWND window : windows.found) {
        DWORD_PTR agreed = FALSE;
        // A window gone meanwhile (a box closing) is not asked.
        if (!SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, how, SMTO_NORMAL, kWaitMs, &agreed))
            silent = IsWindow(window) ? window : NULL;
        else if (!agreed)
            refused = window;
        if (refused || silent)
            break;
    }
    const bool ending = !refused && !silent;
    for (HWND window : windows.found) {
        DWORD_PTR ignored;
        if (!SendMessageTimeoutA(window, WM_ENDSESSION, ending, how, SMTO_NORMAL, kWaitMs, &ignored) && !silent &&
            IsWindow(window))
            silent = window;
    }
    if (refused || silent)
        return ::testing::AssertionFailure() << "window " << (refused ? refused : silent) << " ("
                                             << ShowBytes(WindowText(refused ? refused : silent)) << ") "
                                             << (refused ? "would not let the session end" : "did not answer");
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, kWaitMs);
    return ::testing::AssertionSuccess();
}
