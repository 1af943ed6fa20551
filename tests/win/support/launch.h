// Starting the programs under test, each test in folders of its own.
#pragma once

#include <windows.h>

#include <string>

#include "driver.h"
#include "products.h"

// C:\tests\<suite>.<test>: the running test's own folder, made empty.
std::string TestDir();

// A disc folder in the test's folder: the product's program and, if asked,
// the stand-in engine VGX.EXE, as a CD-ROM would hold them.
std::string MakeDisc(const Product& product, bool withEngine);

// Where the stand-in engine of this test writes its line.
std::string EngineLogPath();

// One run of a program, ended by the destructor if it is still running.
class Launch {
public:
    Launch(const std::string& program, const std::string& workDir);
    ~Launch();
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    bool Started() const { return process_.hProcess != NULL; }
    const WindowDriver& Driver() const { return driver_; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD timeoutMs = kWaitMs);

private:
    PROCESS_INFORMATION process_ = {};
    WindowDriver driver_{0};
};
