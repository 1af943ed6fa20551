#include "launch.h"

#include <gtest/gtest.h>

#include "../../../common/texts.h"
#include "../../../installer/install_math.h"
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

std::string SizeText(const std::string& dir)
{
    uint32_t bytes = 0;
    WIN32_FIND_DATAA entry;
    const std::string pattern = dir + (dir.back() == '\\' ? "*.*" : "\\*.*");
    HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
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

void InstallInto(const Launch& run, HWND main, const std::string& target)
{
    Click(main, IDC_INSTALL);
    HWND select = run.Driver().WaitForDialog(IDC_START);
    ASSERT_TRUE(select);
    SetControlText(select, IDC_PATH, target);
    Click(select, IDC_START);
    SeenBox box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(box.window);
    Answer(box, IDYES);
    box = run.Driver().WaitForMessageBox();
    ASSERT_TRUE(box.window);
    EXPECT_EQ(ShowBytes(box.text), ShowBytes(kTextInstallDone));
    Answer(box, IDOK);
    EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(main, IDC_INSTALL)) == kLabelUninstall; }));
}

std::string DiscInDriveD(const Product& product)
{
    return GetDriveTypeA("D:\\") == DRIVE_CDROM && Exists(std::string("D:\\") + product.exe) ? "D:\\" : "";
}

Launch::Launch(const std::string& program, const std::string& workDir)
{
    SetEnvironmentVariableA("VGX_LOG", EngineLogPath().c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + program + "\"";
    if (CreateProcessA(program.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, workDir.c_str(), &startup,
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

DWORD Launch::WaitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}
