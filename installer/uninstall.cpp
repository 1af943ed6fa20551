// The uninstall command, and the removal of an install directory that both
// uninstall and a failed or cancelled install use.
#include "../common/app.h"
#include "../common/texts.h"
#include "internal.h"
#include "paths.h"

// Whether InstallPath holds `name` as a file. Any attributes: the player's
// disk may give every new file its own (compressed, encrypted, not indexed).
static bool HoldsFile(const char* name)
{
    char path[kPathSize];
    if (!JoinPath(path, sizeof path, InstallPath, "\\", name))
        return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Every install copies the disc's whole root, and so the engine and this
// launcher's own file: either shows that InstallPath is an install. One
// alone will do, since a virus scanner may have taken the engine since, or
// the disc had none. A record that names a folder with neither (restored
// or edited) names no install, and its files are not ours to delete.
static bool HoldsAnInstall()
{
    if (HoldsFile(kEngineName))
        return true;
    char program[kPathSize];
    const DWORD length = GetModuleFileNameA(NULL, program, sizeof program);
    return length != 0 && length < sizeof program && HoldsFile(program + NameOffset(program, IsSystemLeadByte));
}

int UninstallCommand(HWND owner)
{
    if (!Ask(owner, kTextUninstallQuestion, 0))
        return 0;
    if (HoldsAnInstall())
        RemoveInstallDir();
    DeleteInstallRecord();  // whatever the removal achieved
    IsInstalled = 0;
    return 1;
}

// Whether InstallPath can be a directory the installer made. The record
// holds only full local paths; anything else is a damaged record, which
// could name a drive's root in a spelling the system resolves to it (an
// object manager path, a trailing dot): its files are never ours. So the
// record must be of that form, and so must what the system makes of it.
static bool IsOurs()
{
    char fullPath[kPathSize];
    LPSTR filePart;
    if (!IsBelowDriveRoot(InstallPath, IsSystemLeadByte))
        return false;
    const DWORD length = GetFullPathNameA(InstallPath, sizeof fullPath, fullPath, &filePart);
    return length != 0 && length < sizeof fullPath && IsBelowDriveRoot(fullPath, IsSystemLeadByte);
}

void RemoveInstallDir()
{
    if (!IsOurs())
        return;
    if (RemoveDirectoryA(InstallPath))
        return;  // it was empty

    char path[kPathSize];
    WIN32_FIND_DATAA entry;
    HANDLE find =
        JoinPath(path, sizeof path, InstallPath, "\\*.*") ? FindFirstFileA(path, &entry) : INVALID_HANDLE_VALUE;
    if (find != INVALID_HANDLE_VALUE) {
        // Plain files go; "." and "..", subdirectories and refused files stay.
        // An entry whose path would not fit the buffer is left alone.
        do {
            if (JoinPath(path, sizeof path, InstallPath, "\\", entry.cFileName))
                DeleteFileA(path);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(InstallPath);
}
