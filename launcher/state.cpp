#include "state.h"

HINSTANCE AppInstance;
char AppTitle[kTitleSize];
char DefaultInstallPath[kPathSize];
char SourceDir[kPathSize];
char InstallPath[kPathSize];
int IsInstalled;
RECT DesktopRect;

PictureLogPaletteData PictureLogPalette = {0x0300, 256, {}};
HPALETTE PicturePalette;
PictureBitmapInfo PictureInfo;
BYTE* PictureBits;
HGLOBAL PictureResData;

DWORD installSize;
DWORD copiedBytes;
