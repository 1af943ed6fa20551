// The installer as the launcher sees it: the install and uninstall commands
// its main window runs, and the install record that start-up reads.
#pragma once

#include <windows.h>

#include "../common/app.h"

// The install directory, meaningful only while IsInstalled is 1: read from
// the record at start-up, or filled by an install that completed. The
// commands below set and clear IsInstalled.
extern char InstallPath[kPathSize];
extern int IsInstalled;

// Loads string 2 into DefaultInstallPath; false if it is missing.
bool InitInstaller();

// Looks for the record "InstallDir" under HKEY_USERS\InstallKeyPath and, if
// it names a directory, fills InstallPath and sets IsInstalled. Opening the
// key creates it; every registry failure is silent.
void ReadInstallRecord();

// Runs the directory dialog and the copy dialog, which writes the record
// once the last file is copied; then sets IsInstalled, or removes the
// partial install. Returns 1 when the install completed (InstallPath names
// the new directory), else 0. A session that ends during the copy leaves
// nothing of it.
int InstallCommand(HWND owner);

// Asks, removes the install directory's files and the record, and clears
// IsInstalled. Returns 1 when the player confirmed, 0 when he declined.
int UninstallCommand(HWND owner);
