#include "picture.h"

#include "../picture/backcg.h"
#include "../picture/rle.h"
#include "state.h"

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
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, width * height);
    PictureBits = (BYTE*)GlobalLock(block);
    if (!PictureBits) {
        if (block)
            GlobalFree(block);
        return false;
    }

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

void ReleasePicture()
{
    if (PictureBits) {
        HGLOBAL block = GlobalHandle(PictureBits);
        GlobalUnlock(block);
        GlobalFree(block);
        PictureBits = NULL;
    }
    if (PicturePalette) {
        DeleteObject(PicturePalette);
        PicturePalette = NULL;
    }
    if (PictureResData) {
        FreeResource(PictureResData);
        PictureResData = NULL;
    }
}
