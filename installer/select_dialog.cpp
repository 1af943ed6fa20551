// DLG_SELECT: measures the source, proposes a directory, checks the chosen
// one and creates it with its parents. Leaves InstallPath (the new directory's
// full path) and installSize for the copy dialog.
#include "../common/app.h"
#include "../common/centring.h"
#include "../common/texts.h"
#include "../resources/ids.h"
#include "install_math.h"
#include "internal.h"
#include "paths.h"

char DefaultInstallPath[kPathSize];
DWORD installSize;

bool InitInstaller()
{
    return LoadStringA(AppInstance, IDS_INSTALL_PATH, DefaultInstallPath, sizeof DefaultInstallPath) != 0;
}

enum class Measure { Measured, NoEntry, Unreadable };

// Sums the sizes of every entry of the current directory, modulo 2^32. A
// listing that breaks off on an error (a damaged disc) has summed less than
// the disc holds: that is no size to test a drive's free space against.
static Measure MeasureSource()
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("*.*", &entry);
    if (find == INVALID_HANDLE_VALUE)
        return Measure::NoEntry;
    installSize = entry.nFileSizeLow;
    while (FindNextFileA(find, &entry))
        installSize += entry.nFileSizeLow;
    const bool listedAll = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    return listedAll ? Measure::Measured : Measure::Unreadable;
}

static BOOL OpenSelectDialog(HWND dialog)
{
    char text[512];
    CentreOnDesktop(dialog, kInstallerDialogExtent);
    const Measure measure = MeasureSource();
    if (measure != Measure::Measured) {
        // A disc whose listing fails cannot be installed: the copy would
        // fail on the same listing.
        Notify(dialog, measure == Measure::NoEntry ? kTextNoFiles : kTextInstallFailed);
        EndDialog(dialog, 0);
        return TRUE;
    }
    const UINT tenths = SizeTenths(installSize);
    wsprintfA(text, kFormatInstallSize, tenths / 10, tenths % 10);
    SetDlgItemTextA(dialog, IDC_SIZE_TEXT, text);

    // The Windows directory's drive, then the product's path.
    if (GetWindowsDirectoryA(text, sizeof text) < 2)
        text[0] = '\0';
    text[2] = '\0';
    lstrcatA(text, DefaultInstallPath);
    SetDlgItemTextA(dialog, IDC_PATH, text);
    return TRUE;  // the focus goes to the path
}

// Creates every missing parent of a full path, shallowest first; failures do
// not stop the walk.
static void CreateParents(const char* fullPath, SECURITY_ATTRIBUTES* security)
{
    char parent[kPathSize];
    for (size_t end = NextSeparator(fullPath, 3, IsSystemLeadByte); end != kNoSeparator;
         end = NextSeparator(fullPath, end + 1, IsSystemLeadByte)) {
        CopyMemory(parent, fullPath, end);
        parent[end] = '\0';
        CreateDirectoryA(parent, security);
    }
}

static bool startRunning;

// Button 400: each failure tells the player and leaves the dialog open.
static void StartInstall(HWND dialog)
{
    char text[512];
    char fullPath[kPathSize];
    char root[] = "A:\\";
    SECURITY_ATTRIBUTES security = {sizeof security, NULL, TRUE};

    if (SendDlgItemMessageA(dialog, IDC_PATH, WM_GETTEXT, sizeof InstallPath, (LPARAM)InstallPath) == 0) {
        Notify(dialog, kTextNoDirectory);
        return;
    }
    LPSTR filePart;
    const DWORD length = GetFullPathNameA(InstallPath, sizeof fullPath, fullPath, &filePart);
    if (length == 0 || length >= sizeof fullPath) {
        // No usable full path: InstallPath keeps the text as typed.
        Notify(dialog, kTextNoDirectory);
        return;
    }
    DropTrailingSeparator(fullPath, IsSystemLeadByte);
    lstrcpyA(InstallPath, fullPath);
    if (fullPath[0] == '\\') {
        Notify(dialog, kTextNetworkDrive);
        return;
    }
    root[0] = fullPath[0];
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
        Notify(dialog, kTextBadDrive);
        return;
    }
    if (!HasFreeSpace(sectorsPerCluster, bytesPerSector, freeClusters, installSize)) {
        Notify(dialog, kTextNoSpace);
        return;
    }
    lstrcpyA(text, kTextConfirmBefore);
    lstrcatA(text, fullPath);
    lstrcatA(text, kTextConfirmAfter);
    if (!Ask(dialog, text, 0))
        return;

    CreateParents(fullPath, &security);
    if (CreateDirectoryA(fullPath, &security)) {
        EndDialog(dialog, 1);
        return;
    }
    Notify(dialog, GetLastError() == ERROR_ALREADY_EXISTS ? kTextDirExists : kTextDirNotCreated);
}

INT_PTR CALLBACK DlgSelectProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: return OpenSelectDialog(dialog);
    case WM_COMMAND:
        if (wParam == IDC_START) {
            // One start at a time, so that what is created is what the
            // player confirmed.
            if (BeginCommand(&startRunning)) {
                StartInstall(dialog);
                EndCommand(&startRunning);
            }
            return TRUE;
        }
        if (wParam == IDC_CANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
