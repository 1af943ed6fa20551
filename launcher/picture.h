// The background picture: made from the BACKCG resource at start-up, painted
// by the main window, released at exit.
#pragma once

// Loads, checks and decodes BACKCG into PicturePalette, PictureInfo and
// PictureBits. False when the resource is missing or malformed, or a palette
// or the pixel memory cannot be had; ReleasePicture frees what was made.
bool LoadPicture();

// Releases the pixel memory, the palette and the resource, each if present.
void ReleasePicture();
