// The program's entry: start-up in one straight run, the main window's modal
// loop, at most one message, clean-up, exit code 0 on every path.
#include "../common/app.h"
#include "../common/texts.h"
#include "../installer/installer.h"
#include "../installer/paths.h"
#include "../resources/ids.h"
#include "main_window.h"
#include "picture.h"
#include "version.h"

enum StartupOutcome { kStartupFailed, kStartupTooOld, kStartupRan };

// String 3, made current once: the source of the install and the place an
// uninstalled game starts from. Taken from the launcher's own folder.
static char SourceDir[kPathSize];

// Makes the launcher's own folder current, so that a relative string 3 is
// taken from the disc however the player started the launcher: autorun and
// a double click start it there, but Start > Run, a prompt or a shortcut
// may leave any other folder current. Without the program's path it stays
// where it was started.
static void EnterProgramFolder()
{
    char path[kPathSize];
    const DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;  // none, or cut short
    const size_t folder = FolderLength(path, IsSystemLeadByte);
    if (folder == 0)
        return;
    path[folder] = '\0';
    SetCurrentDirectoryA(path);
}

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    StartupOutcome outcome = kStartupFailed;

    // Strings 1, 2 and 3, in order; the first missing one ends start-up.
    if (!InitApp(instance) || !InitInstaller() ||
        !LoadStringA(AppInstance, IDS_SOURCE_DIR, SourceDir, sizeof SourceDir))
        goto report;
    if (!IsWindowsVersionSupported(GetVersion())) {
        outcome = kStartupTooOld;
        goto report;
    }
    EnterProgramFolder();
    SetCurrentDirectoryA(SourceDir);
    InitDesktop();
    ReadInstallRecord();
    if (!LoadPicture())
        goto report;
    if (DialogBoxParamA(AppInstance, "DLG_MAIN", NULL, DlgMainProc, 0) == -1)
        goto report;
    outcome = kStartupRan;

report:
    // After the main window is gone and before anything is released.
    if (outcome == kStartupFailed)
        Notify(NULL, kTextSystemFault);
    else if (outcome == kStartupTooOld)
        Notify(NULL, kTextWindowsTooOld);
    ReleasePicture();
    return 0;
}
