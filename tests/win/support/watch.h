// What the in-process tests share to watch the program's system calls: the
// patching itself, the watchers of memory blocks and dialogs that several
// suites use, with their failure switches in one place, and the check of a
// notice box.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "message_box.h"

// Replaces an import of this program until RemovePatches (see
// import_patch.h); a function that is not imported fails the test.
void Watch(const char* dll, const char* function, void* replacement);

// How the shared watchers fail; ResetWatches clears them.
struct Failures {
    static constexpr SIZE_T kEverySize = SIZE_T(-1);
    SIZE_T allocation = 0;         // GlobalAlloc of this size fails (kEverySize: all), 0 none
    bool lock = false;             // GlobalLock fails
    const char* dialog = nullptr;  // DialogBoxParamA of this template fails ("*": all)
};
extern Failures failures;

// What they saw: blocks allocated and freed, and in order, as "GlobalAlloc",
// "GlobalUnlock", "GlobalFree", with the events the suites log themselves.
extern std::atomic<int> allocations, frees;
void Log(const std::string& event);  // from any thread
std::vector<std::string> Events();   // so far, in order

// Clears the switches, the counts and the events, for SetUp.
void ResetWatches();

// Watches GlobalAlloc, GlobalLock, GlobalUnlock, GlobalFree and
// DialogBoxParamA until RemovePatches.
void WatchMemoryAndDialogs();

// Whether a box is the notice `text`: that text, the caption, an
// information icon.
::testing::AssertionResult IsNotice(const SeenBox& box, const std::string& text, const std::string& caption);
