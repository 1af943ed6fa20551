// Starting the programs under test, each test in folders of its own.
#pragma once

#include <windows.h>

#include <string>

#include "driver.h"
#include "products.h"

// C:\tests\<suite>.<test>: the running test's own folder, made empty.
std::string TestDir();

// A disc folder in the test's folder (its name `folder`): the product's
// program and, if asked, the stand-in engine VGX.EXE, from ExeDir(), as a
// CD-ROM would hold them.
std::string MakeDisc(const Product& product, bool withEngine, const std::string& folder = "disc");

// Where the stand-in engine of this test writes its line.
std::string EngineLogPath();

// The line the stand-in engine writes when the launcher starts `engine`
// (its full path) in the working directory `directory`.
std::string EngineLine(const std::string& directory, const std::string& engine);

// The size the directory dialog shows for what a folder holds.
std::string SizeText(const std::string& dir);

class Launch;

// Installs through the directory dialog into `target`, as a player would,
// and waits for the install button to read uninstall.
void InstallInto(const Launch& run, HWND main, const std::string& target);

// "D:\" when drive D: is a CD-ROM that holds the product's launcher (the
// test was given a pressed image, WINE_CDROM), else empty.
std::string DiscInDriveD(const Product& product);

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
