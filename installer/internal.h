// What the installer's files share among themselves: the two dialog
// procedures, the copy dialog's steps, the default path the directory
// dialog proposes, the size it measures for the copy dialog, the record's
// key path (the product's) and the steps the two commands chain.
#pragma once

#include <windows.h>

#include "../resources/product.h"
#include "installer.h"
#include "paths.h"

extern "C" {
__declspec(dllexport) INT_PTR CALLBACK DlgSelectProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
__declspec(dllexport) INT_PTR CALLBACK DlgInstallProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
}

// The copy dialog's private steps, which it posts to itself.
enum : UINT {
    WM_INSTALL_OPEN = WM_USER + 1000,  // open the source and destination of the current entry
    WM_INSTALL_COPY = WM_USER + 1001,  // copy the next chunk of the open pair
};

// String 2, the default install path without its drive.
extern char DefaultInstallPath[kPathSize];

// Bytes to install: every entry of the source directory, summed modulo 2^32
// by the directory dialog; the copy dialog's bar is scaled against it.
extern DWORD installSize;

void WriteInstallRecord();
void DeleteInstallRecord();

// Deletes the plain files directly in InstallPath and the directory itself,
// silently and never recursively. A path that cannot be a directory the
// installer made (a root, a device path: a damaged record) is left alone.
void RemoveInstallDir();
