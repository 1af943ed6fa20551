#include "installer.h"

int InstallCommand(HWND) { return 0; }
int UninstallCommand(HWND) { return 0; }
