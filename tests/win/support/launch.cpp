#include "launch.h"

#include <gtest/gtest.h>

#include "files.h"

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

std::string MakeDisc(const Product& product, bool withEngine)
{
    const std::string disc = TestDir() + "\\disc";
    FreshDir(disc);
    CopyInto(ExeDir() + "\\" + product.exe, disc);
    if (withEngine)
        CopyInto(ExeDir() + "\\VGX.EXE", disc);
    return disc;
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
