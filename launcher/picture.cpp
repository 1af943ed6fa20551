#include "picture.h"

#include "../common/app.h"
#include "../common/centring.h"
#include "../picture/backcg.h"
#include "../picture/rle.h"

// A LOGPALETTE with room for 256 entries.
struct PictureLogPaletteData {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[256];
};

// A BITMAPINFO with room for a full 8-bit colour table.
struct PictureBitmapInfo {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
};

static PictureLogPaletteData PictureLogPalette = {0x0300, 256, {}};
static HPALETTE PicturePalette;
static PictureBitmapInfo PictureInfo;
static BYTE* PictureBits;  // a locked movable block, a bottom-up 8-bit DIB
static HGLOBAL PictureResData;

// The logical palette takes the picture's colours and then the system's
// static colours in entries 0-9 and 246-255; the DIB colour table keeps the
// picture's own colours in all 256.
static void BuildPalette(const BYTE* bgr)
{
    for (int i = 0; i < 256; ++i) {
        const BYTE* entry = bgr + 3 * i;
        PictureLogPalette.palPalEntry[i] = {entry[2], entry[1], entry[0], PC_NOCOLLAPSE};
        PictureInfo.bmiColors[i] = {entry[0], entry[1], entry[2], 0};
    }
    HDC screen = GetDC(NULL);
    GetSystemPaletteEntries(screen, 0, 10, &PictureLogPalette.palPalEntry[0]);
    GetSystemPaletteEntries(screen, 246, 10, &PictureLogPalette.palPalEntry[246]);
    ReleaseDC(NULL, screen);
}

bool LoadPicture()
{
    HRSRC found = FindResourceA(AppInstance, "BACKCG", RT_RCDATA);
    if (!found)
        return false;
    PictureResData = LoadResource(AppInstance, found);
    if (!PictureResData)
        return false;
    const BYTE* resource = (const BYTE*)LockResource(PictureResData);
    BackcgPicture picture;
    if (!resource || CheckBackcg(resource, SizeofResource(AppInstance, found), &picture).status != BackcgStatus::Ok)
        return false;

    BuildPalette(picture.palette);
    PicturePalette = CreatePalette((LOGPALETTE*)&PictureLogPalette);
    if (!PicturePalette)
        return false;

    const SIZE_T width = picture.width;
    const SIZE_T height = picture.height;
    PictureBits = (BYTE*)AllocLockedBlock(width * height);
    if (!PictureBits)
        return false;

    // The picture's top row goes to the buffer's last row: a bottom-up DIB.
    DecodeRle(PictureBits + (height - 1) * width, picture.picture, -(int32_t)width);
    PictureInfo.bmiHeader = {};
    PictureInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    PictureInfo.bmiHeader.biWidth = (LONG)width;
    PictureInfo.bmiHeader.biHeight = (LONG)height;
    PictureInfo.bmiHeader.biPlanes = 1;
    PictureInfo.bmiHeader.biBitCount = 8;
    PictureInfo.bmiHeader.biCompression = BI_RGB;
    return true;
}

void PaintPicture(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SelectPalette(dc, PicturePalette, FALSE);
    RealizePalette(dc);
    RECT client;
    GetClientRect(window, &client);
    // The source origin of a bottom-up DIB counts rows from its bottom.
    const int xs = CentredOffset(PictureInfo.bmiHeader.biWidth, client.right);
    const int ys = CentredOffset(PictureInfo.bmiHeader.biHeight, client.bottom);
    StretchDIBits(dc, 0, 0, client.right, client.bottom, xs, ys, client.right, client.bottom, PictureBits,
                  (const BITMAPINFO*)&PictureInfo, DIB_RGB_COLORS, SRCCOPY);
    EndPaint(window, &paint);
}

void RealizePicturePalette(HWND window)
{
    HDC dc = GetDC(window);
    HPALETTE previous = SelectPalette(dc, PicturePalette, FALSE);
    const UINT changed = RealizePalette(dc);
    SelectPalette(dc, previous, FALSE);
    ReleaseDC(window, dc);
    if (changed != 0)
        InvalidateRect(window, NULL, TRUE);
}

void ReleasePicture()
{
    FreeLockedBlock(PictureBits);
    PictureBits = NULL;
    if (PicturePalette) {
        DeleteObject(PicturePalette);
        PicturePalette = NULL;
    }
    if (PictureResData) {
        FreeResource(PictureResData);
        PictureResData = NULL;
    }
}
