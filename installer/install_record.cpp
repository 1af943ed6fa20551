// The install record: REG_SZ "InstallDir" in HKEY_USERS\InstallKeyPath,
// read at start-up, written after an install, deleted at uninstall.
#include <string.h>

#include "internal.h"
#include "paths.h"

char InstallPath[kPathSize];
int IsInstalled;

static char kKeyClass[] = "VGX";
static const char kValueName[] = "InstallDir";

// Opens the key, creating it (with its class) when it is missing.
static LONG OpenInstallKey(HKEY* key, DWORD* disposition)
{
    return RegCreateKeyExA(HKEY_USERS, InstallKeyPath, 0, kKeyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, key,
                           disposition);
}

// Enumerates the key's values straight into InstallPath until one is named
// exactly "InstallDir". A key that had to be created holds no record.
void ReadInstallRecord()
{
    HKEY key;
    DWORD disposition;
    if (OpenInstallKey(&key, &disposition) != ERROR_SUCCESS)
        return;
    if (disposition != REG_CREATED_NEW_KEY) {
        for (DWORD index = 0;; ++index) {
            char name[32];
            DWORD nameSize = sizeof name;
            DWORD dataSize = sizeof InstallPath;
            DWORD type;
            const LONG result = RegEnumValueA(key, index, name, &nameSize, NULL, &type, (BYTE*)InstallPath, &dataSize);
            // A value whose name or data does not fit cannot be a usable record,
            // and the buffers hold nothing to trust after it.
            if (result == ERROR_MORE_DATA)
                continue;
            // Any other failure would repeat at every index.
            if (result != ERROR_SUCCESS)
                break;
            if (nameSize == sizeof kValueName - 1 && memcmp(name, kValueName, nameSize) == 0) {
                IsInstalled = TerminateRecordPath(InstallPath, dataSize, sizeof InstallPath) ? 1 : 0;
                break;
            }
        }
    }
    RegCloseKey(key);
}

void WriteInstallRecord()
{
    HKEY key;
    DWORD disposition;
    if (OpenInstallKey(&key, &disposition) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, kValueName, 0, REG_SZ, (const BYTE*)InstallPath, lstrlenA(InstallPath) + 1);
    RegCloseKey(key);
}

void DeleteInstallRecord()
{
    HKEY key;
    DWORD disposition;
    if (OpenInstallKey(&key, &disposition) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, kValueName);
    RegCloseKey(key);
}
