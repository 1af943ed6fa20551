// Process-wide state of the launcher. Everything lives in static storage,
// starts zeroed and lasts until WinMain returns; every part of the program
// reads and writes it directly.
#pragma once

#include <windows.h>

enum { kTitleSize = 82, kPathSize = 260 };

// A BITMAPINFO with room for a full 8-bit colour table.
struct PictureBitmapInfo {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
};

// A LOGPALETTE with room for 256 entries.
struct PictureLogPaletteData {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[256];
};

extern HINSTANCE AppInstance;
extern char AppTitle[kTitleSize];
extern char DefaultInstallPath[kPathSize];
extern char SourceDir[kPathSize];
extern char InstallPath[kPathSize];  // the install directory; meaningful only while IsInstalled is 1
extern int IsInstalled;
extern RECT DesktopRect;  // only right and bottom are used, for centring

extern PictureLogPaletteData PictureLogPalette;
extern HPALETTE PicturePalette;
extern PictureBitmapInfo PictureInfo;
extern BYTE* PictureBits;  // locked movable block, a bottom-up 8-bit DIB
extern HGLOBAL PictureResData;

extern DWORD installSize;  // bytes to install, summed modulo 2^32 by the directory dialog
extern DWORD copiedBytes;  // bytes written so far by the copy dialog

// The registry key of the install record under HKEY_USERS; one per product.
extern const char InstallKeyPath[];
