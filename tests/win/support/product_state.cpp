#include "product_state.h"

#include "../../../installer/internal.h"

void PrepareProductState(const std::string& sourceDir)
{
    InitApp(GetModuleHandleA(NULL));
    InitInstaller();
    InitDesktop();
    SetCurrentDirectoryA(sourceDir.c_str());
    IsInstalled = 0;
    InstallPath[0] = '\0';
    installSize = 0xA5A5A5A5;  // nothing may rely on zeros
}
