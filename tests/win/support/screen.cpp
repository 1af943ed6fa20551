#include "screen.h"

#include "../../../picture/backcg.h"
#include "../../../picture/rle.h"

Capture CaptureClient(HWND window)
{
    Capture capture;
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    capture.width = client.right;
    capture.height = client.bottom;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = NULL;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    HWND source = owner == GetCurrentProcessId() ? window : NULL;
    if (source)
        origin = {0, 0};
    HDC screen = GetDC(source);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const DWORD* shown = (const DWORD*)bits;
    capture.pixels.assign(shown, shown + size_t(capture.width) * capture.height);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(source, screen);
    for (DWORD& pixel : capture.pixels)
        pixel &= 0xFFFFFF;
    return capture;
}

Picture ProgramPicture(const std::string& program)
{
    Picture picture;
    HMODULE module = LoadLibraryExA(program.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? FindResourceA(module, "BACKCG", (LPCSTR)RT_RCDATA) : NULL;
    const BYTE* bytes = found ? (const BYTE*)LockResource(LoadResource(module, found)) : NULL;
    BackcgPicture layout;
    if (bytes && CheckBackcg(bytes, SizeofResource(module, found), &layout).status == BackcgStatus::Ok) {
        for (int i = 0; i < 256; ++i) {
            const BYTE* entry = layout.palette + 3 * i;
            picture.colours.push_back(DWORD(entry[2]) << 16 | entry[1] << 8 | entry[0]);
        }
        picture.width = layout.width;
        picture.height = layout.height;
        std::vector<BYTE> indices(size_t(layout.width) * layout.height);
        DecodeRle(indices.data(), layout.picture, layout.width);
        for (BYTE index : indices)
            picture.pixels.push_back(picture.colours[index]);
    }
    if (module)
        FreeLibrary(module);
    return picture;
}
