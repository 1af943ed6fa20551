// Starting the programs under test, each test in folders of its own, and
// playing them to their end.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver.h"
#include "player.h"
#include "products.h"

// C:\tests\<suite>.<test>: the running test's own folder, made empty.
std::string TestDir();

// A disc folder in the test's folder (its name `folder`): the product's
// program and, if asked, the stand-in engine VGX.EXE, from ExeDir(), as a
// CD-ROM would hold them.
std::string MakeDisc(const Product& product, bool withEngine, const std::string& folder = "disc");

// The product's pressed disc: "D:\" when drive D: is a CD-ROM that holds it
// (the test was given its image, WINE_CDROM), else the folder it was pressed
// from (where FUSE is missing), else empty.
std::string PressedDisc(const Product& product);

// Where the stand-in engine of this test writes its line, and what it wrote.
std::string EngineLogPath();
std::string EngineLog();

// The line the stand-in engine writes when the launcher starts `engine`
// (its full path) in the working directory `directory`.
std::string EngineLine(const std::string& directory, const std::string& engine);

// The size the directory dialog shows for what a folder holds.
std::string SizeText(const std::string& dir);

// One run of a launcher from a disc folder, ended by the destructor if it is
// still running.
class Launch {
public:
    // Starts the product's program in `disc` with `current` as its current
    // directory (by default the disc, as autorun starts it).
    Launch(const Product& product, const std::string& disc, const std::string& current = std::string());
    ~Launch();
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    // Waits for the main window; a failure says it never showed.
    ::testing::AssertionResult ShowsMain();
    HWND Main() const { return main_; }
    const WindowDriver& Driver() const { return driver_; }
    Player Play() const { return Player{driver_, main_}; }

    // Presses `button` of the main window (exit or play): the launcher ends
    // with exit code 0, and no message box shows on the way.
    ::testing::AssertionResult EndsQuietly(int button);
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD timeoutMs = kWaitMs);
    // Ends the session as Windows does: WM_QUERYENDSESSION to each top-level
    // window of the launcher, then WM_ENDSESSION to each with the outcome,
    // then the process is ended; `how` is their lParam (ENDSESSION_LOGOFF or
    // 0). A failure says which window refused or did not answer.
    ::testing::AssertionResult EndSession(LPARAM how = 0);

private:
    PROCESS_INFORMATION process_ = {};
    WindowDriver driver_{0};
    HWND main_ = NULL;
};
