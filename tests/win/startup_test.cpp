// Start-up in-process: WinMain runs on a thread of this test program, which
// carries the Q3 resources, while the test drives its windows. Failures that
// Wine cannot cause (a missing string, no palette, no memory, a broken
// picture, a dialog that cannot be created) are made by patching the
// program's imports.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../../installer/internal.h"
#include "../../common/texts.h"
#include "../../picture/backcg.h"
#include "../../picture/rle.h"
#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/import_patch.h"
#include "support/in_process.h"
#include "support/watch.h"
#include "windows_text.h"

namespace {

// How the watched imports of this suite are told to fail; what they saw goes
// to the shared event log, in order.
UINT failingString;
bool failPalette, serveBrokenPicture;
std::string brokenPicture;

int WINAPI LoadStringWatch(HINSTANCE instance, UINT id, LPSTR buffer, int size)
{
    Log("LoadStringA " + std::to_string(id));
    return id == failingString ? 0 : REAL(LoadStringA)(instance, id, buffer, size);
}
// What the launcher made of its picture: the logical palette it created,
// and the bitmap it paints.
LOGPALETTE paletteHeader;
std::vector<PALETTEENTRY> paletteEntries;
BITMAPINFOHEADER paintedHeader;
std::vector<RGBQUAD> paintedColours;
std::vector<BYTE> paintedBits;
std::atomic<LONG> paintedWidth, paintedSourceX, paintedSourceY;  // of the last paint

HPALETTE WINAPI CreatePaletteWatch(const LOGPALETTE* palette)
{
    Log("CreatePalette");
    paletteHeader = *palette;
    paletteEntries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return failPalette ? NULL : REAL(CreatePalette)(palette);
}
int WINAPI StretchDIBitsWatch(HDC dc, int x, int y, int width, int height, int xs, int ys, int sourceWidth,
                              int sourceHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD operation)
{
    paintedHeader = info->bmiHeader;
    paintedColours.assign(info->bmiColors, info->bmiColors + 256);
    const BYTE* bytes = (const BYTE*)bits;
    paintedBits.assign(bytes, bytes + size_t(info->bmiHeader.biWidth) * info->bmiHeader.biHeight);
    const int result =
        REAL(StretchDIBits)(dc, x, y, width, height, xs, ys, sourceWidth, sourceHeight, bits, info, usage, operation);
    paintedSourceX = xs;
    paintedSourceY = ys;
    paintedWidth = width;  // last: the paint is done
    return result;
}
LPVOID WINAPI LockResourceWatch(HGLOBAL resource)
{
    return serveBrokenPicture ? (LPVOID)brokenPicture.data() : REAL(LockResource)(resource);
}
DWORD WINAPI SizeofResourceWatch(HMODULE module, HRSRC resource)
{
    return serveBrokenPicture ? (DWORD)brokenPicture.size() : REAL(SizeofResource)(module, resource);
}
int WINAPI MessageBoxWatch(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    Log("MessageBoxA");
    return REAL(MessageBoxA)(owner, text, caption, style);
}
BOOL WINAPI DeleteObjectWatch(HGDIOBJ object)
{
    Log("DeleteObject");
    return REAL(DeleteObject)(object);
}
BOOL WINAPI FreeResourceWatch(HGLOBAL resource)
{
    Log("FreeResource");
    return REAL(FreeResource)(resource);
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        failingString = 0;
        failPalette = serveBrokenPicture = false;
        ResetWatches();
        AppTitle[0] = DefaultInstallPath[0] = InstallPath[0] = '\0';
        IsInstalled = 0;
        DeleteProductKey(kQ3);
    }

    void TearDown() override { RemovePatches(); }

    // Watches what start-up does, for a run of the launcher.
    static void WatchStartUp()
    {
        WatchMemoryAndDialogs();
        Watch("USER32.dll", "LoadStringA", (void*)LoadStringWatch);
        Watch("GDI32.dll", "CreatePalette", (void*)CreatePaletteWatch);
        Watch("GDI32.dll", "StretchDIBits", (void*)StretchDIBitsWatch);
        Watch("KERNEL32.dll", "LockResource", (void*)LockResourceWatch);
        Watch("KERNEL32.dll", "SizeofResource", (void*)SizeofResourceWatch);
        Watch("USER32.dll", "MessageBoxA", (void*)MessageBoxWatch);
        Watch("GDI32.dll", "DeleteObject", (void*)DeleteObjectWatch);
        Watch("KERNEL32.dll", "FreeResource", (void*)FreeResourceWatch);
    }

    // Expects the failure message, answers it and checks that the program ends.
    void ExpectFailureMessage(const char* text, const char* caption)
    {
        WatchStartUp();
        const int result = RunLauncherWhileDriving([&](const WindowDriver& driver) {
            const SeenBox box = driver.WaitForMessageBox();
            EXPECT_TRUE(IsNotice(box, text, caption));
            if (box.window)
                Answer(box, IDOK);
        });
        EXPECT_EQ(result, 0);
    }

    static size_t Count(const std::string& event)
    {
        const std::vector<std::string> events = Events();
        return size_t(std::count(events.begin(), events.end(), event));
    }

    // The events from the message box on: the clean-up that followed it.
    static std::vector<std::string> AfterMessage()
    {
        const std::vector<std::string> events = Events();
        return std::vector<std::string>(std::find(events.begin(), events.end(), "MessageBoxA"), events.end());
    }
};

const char kQ3Title[] = "ＶＡＲＮＯ－Ｑ３の起動とインストール";

TEST_F(StartupTest, AMissingStringEndsStartUpAndTheLaterOnesAreNotLoaded)
{
    failingString = IDS_TITLE;
    ExpectFailureMessage(kTextSystemFault, "");  // the title is still empty
    EXPECT_EQ(Count("LoadStringA 2"), 0u);

    for (UINT id : {IDS_INSTALL_PATH, IDS_SOURCE_DIR}) {
        SCOPED_TRACE(id);
        SetUp();
        failingString = id;
        ExpectFailureMessage(kTextSystemFault, kQ3Title);
        EXPECT_EQ(Count("LoadStringA 3"), id == IDS_SOURCE_DIR ? 1u : 0u);
        EXPECT_FALSE(ProductKeyExists(kQ3)) << "nothing after the strings may run";
        EXPECT_EQ(Count("FreeResource"), 0u);
    }
}

TEST_F(StartupTest, EachFailureEndsStartUpAndReleasesWhatWasMadeInOrder)
{
    using Events = std::vector<std::string>;
    const struct {
        const char* what;
        void (*fail)();
        Events after;  // from the message on
        size_t blocksFreed;
    } cases[] = {
        {"no palette", [] { failPalette = true; }, {"MessageBoxA", "FreeResource"}, 0},
        {"no picture memory",
         [] { failures.allocation = Failures::kEverySize; },
         {"MessageBoxA", "DeleteObject", "FreeResource"},
         0},
        // Allocated but not locked: the block is freed at once.
        {"a block that cannot be locked",
         [] { failures.lock = true; },
         {"MessageBoxA", "DeleteObject", "FreeResource"},
         1},
        {"no main window",
         [] { failures.dialog = "*"; },
         {"MessageBoxA", "GlobalUnlock", "GlobalFree", "DeleteObject", "FreeResource"},
         1},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        SetUp();
        test.fail();
        ExpectFailureMessage(kTextSystemFault, kQ3Title);
        EXPECT_EQ(AfterMessage(), test.after);
        EXPECT_EQ(Count("GlobalFree"), test.blocksFreed);
    }
}

// A valid picture resource to break: the one linked into this program.
std::string LinkedPicture()
{
    HRSRC found = FindResourceA(NULL, "BACKCG", (LPCSTR)RT_RCDATA);
    const char* bytes = (const char*)LockResource(LoadResource(NULL, found));
    return std::string(bytes, SizeofResource(NULL, found));
}

TEST_F(StartupTest, AMalformedPictureEndsStartUpBeforeAnythingIsDecoded)
{
    const std::string good = LinkedPicture();
    ASSERT_EQ(good.size(), 130431u);
    auto setOffset = [](std::string bytes, uint32_t offset) {
        memcpy(&bytes[772], &offset, 4);
        return bytes;
    };
    auto setWidth = [](std::string bytes, uint16_t width) {
        memcpy(&bytes[780], &width, 2);
        return bytes;
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", std::string()},
        {"palette only", good.substr(0, 768)},
        {"offset past the end", setOffset(good, 0x7FFFFFF0)},
        {"offset that wraps", setOffset(good, 0xFFFFFFFF)},
        {"width 0", setWidth(good, 0)},
        {"width 582", setWidth(good, 582)},
        {"last byte missing", good.substr(0, good.size() - 1)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        SetUp();
        brokenPicture = test.bytes;
        serveBrokenPicture = true;
        ExpectFailureMessage(kTextSystemFault, kQ3Title);
        EXPECT_EQ(Count("CreatePalette"), 0u);
        EXPECT_EQ(Count("GlobalAlloc"), 0u);
        EXPECT_EQ(AfterMessage(), (std::vector<std::string>{"MessageBoxA", "FreeResource"}));
    }
}

TEST_F(StartupTest, DecodesThePictureBottomUpWithItsPaletteAndReleasesItInOrder)
{
    const std::string resource = LinkedPicture();
    BackcgPicture layout;
    ASSERT_EQ(CheckBackcg((const uint8_t*)resource.data(), resource.size(), &layout).status, BackcgStatus::Ok);
    std::vector<uint8_t> topDown(580 * 440);
    DecodeRle(topDown.data(), layout.picture, 580);

    paintedBits.clear();
    WatchStartUp();
    const int result = WithMainWindow([&](const Player& player) {
        HWND main = player.main;
        ASSERT_TRUE(WaitFor([] { return !paintedBits.empty(); })) << "the picture was never painted";

        // A client area that differs from the picture by odd numbers: the
        // crop starts at the truncated half, so the extra column comes off
        // the right and (the origin counting rows from the bottom) the
        // extra row off the top.
        RECT window, client;
        GetWindowRect(main, &window);
        GetClientRect(main, &client);
        const int width = client.right | 1, height = client.bottom | 1;
        SetWindowPos(main, NULL, 0, 0, window.right - window.left + width - client.right,
                     window.bottom - window.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
        InvalidateRect(main, NULL, FALSE);
        ASSERT_TRUE(WaitFor([&] { return paintedWidth == width; })) << "no paint at the new size";
        const int left = paintedSourceX, bottom = paintedSourceY;
        EXPECT_EQ(left, (580 - width) / 2);
        EXPECT_EQ(bottom, (440 - height) / 2);
        EXPECT_EQ(left + 1, 580 - left - width);       // one more column off the right
        EXPECT_EQ(bottom + 1, 440 - bottom - height);  // one more row off the top
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Count("MessageBoxA"), 0u);

    const BITMAPINFOHEADER& header = paintedHeader;
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 580);
    EXPECT_EQ(header.biHeight, 440);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, DWORD(BI_RGB));
    EXPECT_EQ(header.biSizeImage | header.biXPelsPerMeter | header.biYPelsPerMeter | header.biClrUsed |
                  header.biClrImportant,
              0u);
    EXPECT_EQ(paletteHeader.palVersion, 0x300);
    ASSERT_EQ(paletteHeader.palNumEntries, 256);
    for (int i = 0; i < 256; ++i) {
        const uint8_t* entry = layout.palette + 3 * i;
        const RGBQUAD& colour = paintedColours[i];
        ASSERT_EQ(colour.rgbBlue | colour.rgbGreen << 8 | colour.rgbRed << 16 | colour.rgbReserved << 24,
                  entry[0] | entry[1] << 8 | entry[2] << 16)
            << "colour " << i;
        const PALETTEENTRY& logical = paletteEntries[i];
        if (i >= 10 && i < 246) {
            EXPECT_EQ(logical.peRed | logical.peGreen << 8 | logical.peBlue << 16,
                      entry[2] | entry[1] << 8 | entry[0] << 16)
                << "palette entry " << i;
            EXPECT_EQ(logical.peFlags, PC_NOCOLLAPSE);
        }
    }
    ASSERT_EQ(paintedBits.size(), 580u * 440u);
    for (int row = 0; row < 440; ++row)
        ASSERT_EQ(memcmp(&paintedBits[size_t(row) * 580], &topDown[size_t(439 - row) * 580], 580), 0) << "row " << row;
    const std::vector<std::string> events = Events();
    const std::vector<std::string> last(events.end() - 4, events.end());
    EXPECT_EQ(last, (std::vector<std::string>{"GlobalUnlock", "GlobalFree", "DeleteObject", "FreeResource"}));
}

}  // namespace
