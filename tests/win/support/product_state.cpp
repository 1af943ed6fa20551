#include "product_state.h"

#include "../../../installer/internal.h"
#include "../../../resources/ids.h"

void PrepareProductState(const std::string& sourceDir)
{
    AppInstance = GetModuleHandleA(NULL);
    LoadStringA(AppInstance, IDS_TITLE, AppTitle, sizeof AppTitle);
    LoadStringA(AppInstance, IDS_INSTALL_PATH, DefaultInstallPath, sizeof DefaultInstallPath);
    GetWindowRect(GetDesktopWindow(), &DesktopRect);
    SetCurrentDirectoryA(sourceDir.c_str());
    IsInstalled = 0;
    InstallPath[0] = '\0';
    installSize = 0xA5A5A5A5;  // nothing may rely on zeros
}
