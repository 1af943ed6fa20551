// The main window's palette handling, in-process: which realisations the
// palette messages make, and, on an 8-bit screen, that the system palette
// takes the picture's colours. (Wine keeps the system palette per process,
// so another process could not see it.)
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/import_patch.h"
#include "support/in_process.h"
#include "support/watch.h"
#include "support/screen.h"

namespace {

// The one palette the launcher creates, and the entries it was made from.
HPALETTE picturePalette;
std::vector<PALETTEENTRY> pictureEntries;

HPALETTE WINAPI CreatePaletteWatch(const LOGPALETTE* palette)
{
    pictureEntries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return picturePalette = REAL(CreatePalette)(palette);
}

HPALETTE WINAPI SelectPaletteWatch(HDC dc, HPALETTE palette, BOOL background)
{
    Log(std::string("SelectPalette ") + (palette == picturePalette ? "picture" : "previous") +
        (background ? " background" : " foreground"));
    return REAL(SelectPalette)(dc, palette, background);
}

UINT WINAPI RealizePaletteWatch(HDC dc)
{
    const UINT changed = REAL(RealizePalette)(dc);
    Log(changed ? "RealizePalette changed" : "RealizePalette");
    return changed;
}

BOOL WINAPI InvalidateRectWatch(HWND window, const RECT* rect, BOOL erase)
{
    Log(rect == NULL && erase ? "InvalidateRect all" : "InvalidateRect");
    return REAL(InvalidateRect)(window, rect, erase);
}

// Runs the launcher in this process while `drive` works its main window.
template <class Drive>
void WithWatchedPalette(Drive drive)
{
    DeleteProductKey(kQ3);
    Watch("GDI32.dll", "CreatePalette", (void*)CreatePaletteWatch);
    Watch("GDI32.dll", "SelectPalette", (void*)SelectPaletteWatch);
    Watch("GDI32.dll", "RealizePalette", (void*)RealizePaletteWatch);
    Watch("USER32.dll", "InvalidateRect", (void*)InvalidateRectWatch);
    EXPECT_EQ(WithMainWindow([&](const Player& player) { drive(player.main); }), 0);
    RemovePatches();
}

// What one sent message made the window do, followed by whatever paint it
// caused.
std::vector<std::string> CallsOf(HWND main, UINT message, WPARAM wParam)
{
    RedrawWindow(main, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);  // no paint left pending
    const size_t before = Events().size();
    SendMessageA(main, message, wParam, 0);
    const std::vector<std::string> all = Events();
    return std::vector<std::string>(all.begin() + long(before), all.end());
}

// A foreground realisation that puts the previous palette back, and repaints
// everything when it changed the system palette.
void ExpectRealisation(const std::vector<std::string>& calls)
{
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "SelectPalette picture foreground");
    EXPECT_EQ(calls[1].rfind("RealizePalette", 0), 0u) << calls[1];
    EXPECT_EQ(calls[2], "SelectPalette previous foreground");
    const bool changed = calls[1] == "RealizePalette changed";
    EXPECT_EQ(calls.size() > 3 && calls[3] == "InvalidateRect all", changed);
}

TEST(PaletteTest, NewPaletteQueriesAndOthersChangesRealiseInTheForeground)
{
    WithWatchedPalette([](HWND main) {
        ExpectRealisation(CallsOf(main, WM_QUERYNEWPALETTE, 0));
        EXPECT_TRUE(CallsOf(main, WM_PALETTECHANGED, (WPARAM)main).empty()) << "its own realisation is ignored";
        HWND other = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
        ExpectRealisation(CallsOf(main, WM_PALETTECHANGED, (WPARAM)other));
        DestroyWindow(other);
    });
}

std::vector<DWORD> SystemPalette()
{
    PALETTEENTRY entries[256];
    HDC screen = GetDC(NULL);
    const UINT count = GetSystemPaletteEntries(screen, 0, 256, entries);
    ReleaseDC(NULL, screen);
    std::vector<DWORD> colours;
    for (UINT i = 0; i < count; ++i)
        colours.push_back(DWORD(entries[i].peRed) << 16 | entries[i].peGreen << 8 | entries[i].peBlue);
    return colours;
}

// The picture's colours (entries 10-245) that the system palette lacks.
std::string MissingColours(const Picture& picture)
{
    const std::vector<DWORD> system = SystemPalette();
    std::string missing;
    for (int i = 10; i < 246; ++i)
        if (std::find(system.begin(), system.end(), picture.colours[i]) == system.end())
            missing += " " + std::to_string(i);
    return missing;
}

TEST(PaletteTest, OnAPaletteScreenTheSystemPaletteTakesThePicturesColours)
{
    const std::vector<DWORD> before = SystemPalette();
    if (before.empty())
        GTEST_SKIP() << "no palette device on this screen; the 8-bit run checks this";
    char program[MAX_PATH];
    GetModuleFileNameA(NULL, program, sizeof program);
    const Picture picture = ProgramPicture(program);
    ASSERT_EQ(picture.colours.size(), 256u);

    WithWatchedPalette([&](HWND main) {
        // The logical palette holds the system's static colours at both ends.
        for (int i : {0, 9, 246, 255}) {
            const PALETTEENTRY& entry = pictureEntries.at(i);
            EXPECT_EQ(DWORD(entry.peRed) << 16 | entry.peGreen << 8 | entry.peBlue, before[i]) << "entry " << i;
        }
        SendMessageA(main, WM_QUERYNEWPALETTE, 0, 0);
        std::string missing;
        EXPECT_TRUE(WaitFor([&] { return (missing = MissingColours(picture)).empty(); }, 5000))
            << "system palette lacks entries" << missing;
    });
}

}  // namespace
