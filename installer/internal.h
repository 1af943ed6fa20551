// What the installer's files share among themselves: the two dialog
// procedures, the size the directory dialog measures for the copy dialog,
// the record's key path (the product's) and the steps the two commands chain.
#pragma once

#include <windows.h>

#include "../resources/product.h"
#include "installer.h"
#include "paths.h"

extern "C" {
__declspec(dllexport) INT_PTR CALLBACK DlgSelectProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
__declspec(dllexport) INT_PTR CALLBACK DlgInstallProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
}

// Bytes to install: every entry of the source directory, summed modulo 2^32
// by the directory dialog; the copy dialog's bar is scaled against it.
extern DWORD installSize;

void WriteInstallRecord();
void DeleteInstallRecord();

// Deletes the plain files directly in InstallPath and the directory itself,
// silently and never recursively. A path that cannot be a directory the
// installer made (a root, a device path: a damaged record) is left alone.
void RemoveInstallDir();
