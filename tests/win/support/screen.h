// What the screen shows, for the tests that check pixels.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A client area as painted, 0xRRGGBB, top row first: a window of this process
// is read through its own DC, so windows in front of it do not matter;
// another process's window only from the screen.
struct Capture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};
Capture CaptureClient(HWND window);

// A program's BACKCG picture, decoded by our own codec, 0xRRGGBB, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;   // through the picture's own colours
    std::vector<DWORD> colours;  // its 256 palette entries
    DWORD At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};
Picture ProgramPicture(const std::string& program);
