// The title picture: made from the BACKCG resource at start-up, painted by
// the main window with its own palette, released at exit. Its palette,
// bitmap and resource are private to picture.cpp.
#pragma once

#include <windows.h>

// Loads, checks and decodes BACKCG into a palette and a bottom-up 8-bit
// DIB. False when the resource is missing or malformed, or a palette or the
// pixel memory cannot be had; ReleasePicture frees what was made.
bool LoadPicture();

// WM_PAINT: draws the middle of the picture 1:1 over the whole client area,
// with the picture's palette selected and realised.
void PaintPicture(HWND window);

// Realises the picture's palette in the foreground and repaints the window
// if that changed any system colour.
void RealizePicturePalette(HWND window);

// Releases the pixel memory, the palette and the resource, each if present.
void ReleasePicture();
