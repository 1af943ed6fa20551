#include "watch.h"

#include <mutex>

#include "import_patch.h"
#include "windows_text.h"

Failures failures;
std::atomic<int> allocations, frees;
static std::mutex logging;
static std::vector<std::string> events;

void Log(const std::string& event)
{
    std::lock_guard<std::mutex> lock(logging);
    events.push_back(event);
}

std::vector<std::string> Events()
{
    std::lock_guard<std::mutex> lock(logging);
    return events;
}

void Watch(const char* dll, const char* function, void* replacement)
{
    EXPECT_TRUE(Patch(dll, function, replacement)) << function << " is not imported from " << dll;
}

namespace {

HGLOBAL WINAPI GlobalAllocWatch(UINT flags, SIZE_T size)
{
    Log("GlobalAlloc");
    if (failures.allocation != 0 && (failures.allocation == Failures::kEverySize || failures.allocation == size))
        return NULL;
    HGLOBAL block = REAL(GlobalAlloc)(flags, size);
    allocations += block != NULL;
    return block;
}
LPVOID WINAPI GlobalLockWatch(HGLOBAL block) { return failures.lock ? NULL : REAL(GlobalLock)(block); }
BOOL WINAPI GlobalUnlockWatch(HGLOBAL block)
{
    Log("GlobalUnlock");
    return REAL(GlobalUnlock)(block);
}
HGLOBAL WINAPI GlobalFreeWatch(HGLOBAL block)
{
    Log("GlobalFree");
    ++frees;
    return REAL(GlobalFree)(block);
}
INT_PTR WINAPI DialogBoxWatch(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM lParam)
{
    if (failures.dialog && (lstrcmpA(failures.dialog, "*") == 0 || lstrcmpA(name, failures.dialog) == 0))
        return -1;
    return REAL(DialogBoxParamA)(instance, name, owner, procedure, lParam);
}

}  // namespace

void ResetWatches()
{
    failures = Failures();
    allocations = frees = 0;
    std::lock_guard<std::mutex> lock(logging);
    events.clear();
}

void WatchMemoryAndDialogs()
{
    Watch("KERNEL32.dll", "GlobalAlloc", (void*)GlobalAllocWatch);
    Watch("KERNEL32.dll", "GlobalLock", (void*)GlobalLockWatch);
    Watch("KERNEL32.dll", "GlobalUnlock", (void*)GlobalUnlockWatch);
    Watch("KERNEL32.dll", "GlobalFree", (void*)GlobalFreeWatch);
    Watch("USER32.dll", "DialogBoxParamA", (void*)DialogBoxWatch);
}

::testing::AssertionResult IsNotice(const SeenBox& box, const std::string& text, const std::string& caption)
{
    if (!box.window)
        return ::testing::AssertionFailure() << "no message box where " << ShowBytes(text) << " was due";
    if (box.text != text || box.caption != caption || !HasStyle(box, MB_ICONINFORMATION))
        return ::testing::AssertionFailure() << "wanted the notice " << ShowBytes(text) << " captioned "
                                             << ShowBytes(caption) << ", saw " << Describe(box);
    return ::testing::AssertionSuccess();
}
