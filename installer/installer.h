// The installer's entry points: the install and uninstall commands that the
// main window runs, and the install record in the registry.
#pragma once

#include <windows.h>

// Runs the directory dialog and the copy dialog; then writes the record, or
// removes the partial install. Returns 1 when the install completed
// (InstallPath names the new directory), else 0.
int InstallCommand(HWND owner);

// Asks, removes the install directory's files and the record. Returns 1 when
// the player confirmed, 0 when he declined.
int UninstallCommand(HWND owner);

// Deletes the plain files directly in InstallPath and the directory itself,
// silently and never recursively.
void RemoveInstallDir();

// The install record: REG_SZ "InstallDir" in HKEY_USERS\InstallKeyPath.
// Every registry failure is silent.
LONG OpenInstallKey(HKEY* key, DWORD* disposition);
void ReadInstallRecord();  // sets IsInstalled and InstallPath when the record is there
void WriteInstallRecord();
void DeleteInstallRecord();
