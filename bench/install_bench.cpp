// The install under Wine, measured: the whole install command copying about
// 200 MiB of mixed file sizes against two baselines of the same files in the
// same run: CopyFileA, and the floor of the copy's design (the same 64 KiB
// reads and writes with one peek, one post and one get per step, and nothing
// else); and how long the GUI thread goes without pumping a message against
// the time of one 64 KiB read and write and one bar paint. The three take
// turns, round after round, and each goal is judged on the median of the
// rounds' ratios: a busy machine slows whole rounds, not one of the three.
//
// In-process: the program's code runs on a thread of this one; patched
// imports take the times. Run it through ./bench.sh.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../installer/internal.h"
#include "median.h"
#include "../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/import_patch.h"
#include "support/in_process.h"
#include "support/product_state.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

// Times taken by the patched imports, on the GUI thread.
double copyStart, copyEnd;  // the first open, the closing message
double lastPump;
std::vector<double> gaps;  // between two pumps
double chunkStart;
std::vector<double> chunks;  // a read, its write and the bar's paint
bool inChunk;

HFILE WINAPI OpenFileTimed(LPCSTR name, LPOFSTRUCT info, UINT style)
{
    if (copyStart == 0)
        copyStart = Now();
    return REAL(OpenFile)(name, info, style);
}

UINT WINAPI ReadTimed(HFILE file, LPVOID buffer, UINT count)
{
    chunkStart = Now();
    inChunk = true;
    return REAL(_lread)(file, buffer, count);
}

// The bar's paint ends with the release of its brush: the chunk is done.
BOOL WINAPI DeleteObjectTimed(HGDIOBJ object)
{
    const BOOL result = REAL(DeleteObject)(object);
    if (inChunk) {
        chunks.push_back(Now() - chunkStart);
        inChunk = false;
    }
    return result;
}

BOOL WINAPI PeekTimed(LPMSG message, HWND window, UINT first, UINT last, UINT remove)
{
    const double now = Now();
    if (lastPump != 0)
        gaps.push_back(now - lastPump);
    lastPump = now;
    return REAL(PeekMessageA)(message, window, first, last, remove);
}

int WINAPI MessageBoxTimed(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    if (copyStart != 0 && copyEnd == 0)
        copyEnd = Now();
    return REAL(MessageBoxA)(owner, text, caption, style);
}

// About 200 MiB: a few large files, many middling ones, many small ones.
uint64_t MakeSource(const std::string& dir, int* files)
{
    FreshDir(dir);
    std::vector<std::pair<int, size_t>> groups = {{2, 50u << 20}, {16, 5u << 20}, {200, 100u << 10}, {400, 7000}};
    std::string bytes;
    uint64_t total = 0;
    uint32_t seed = 1;
    *files = 0;
    for (const auto& [count, size] : groups) {
        *files += count;
        for (int i = 0; i < count; ++i) {
            bytes.resize(size);
            for (size_t at = 0; at < size; at += 4096)
                bytes[at] = char(seed++);
            WriteBytes(dir + "\\F" + std::to_string(size) + "_" + std::to_string(i) + ".DAT", bytes);
            total += size;
        }
    }
    return total;
}

double CopyWithCopyFile(const std::string& source, const std::string& target)
{
    FreshDir(target);
    const double start = Now();
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((source + "\\*.*").c_str(), &entry);
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileA((source + "\\" + entry.cFileName).c_str(), (target + "\\" + entry.cFileName).c_str(), FALSE);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return Now() - start;
}

// The names of the files the install copies, in the order it copies them.
std::vector<std::string> PlainFileNames(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + "\\*.*").c_str(), &entry);
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

// The floor of the copy's design: one step message per 64 KiB chunk (and
// one per file opened), each costing what the dialog's costs: the pump's
// peek, the post, and the modal loop's get. The same reads and writes, with
// no dialog, no bar and no directory search.
double CopyFloor(const std::vector<std::string>& names, const std::string& source, const std::string& target)
{
    FreshDir(target);
    std::vector<BYTE> chunk(0x10000);
    MSG message;
    auto step = [&] {
        PeekMessageA(&message, NULL, 0, 0, PM_REMOVE);
        PostMessageA(NULL, WM_USER, 0, 0);  // to this thread
        GetMessageA(&message, NULL, 0, 0);
    };
    const double start = Now();
    for (const std::string& name : names) {
        step();  // the open step
        OFSTRUCT sourceInfo, targetInfo;
        const HFILE from = OpenFile((source + "\\" + name).c_str(), &sourceInfo, OF_READ);
        const HFILE to = OpenFile((target + "\\" + name).c_str(), &targetInfo, OF_CREATE);
        step();  // the first chunk's
        UINT read;
        while ((read = _lread(from, chunk.data(), UINT(chunk.size()))) != 0) {
            _lwrite(to, (LPCCH)chunk.data(), read);
            step();
        }
        _lclose(from);
        _lclose(to);
    }
    return Now() - start;
}

// One whole install of `source` into `target`; returns its copy time.
double Install(const std::string& source, const std::string& target)
{
    RemoveTree(target);
    PrepareProductState(source);
    copyStart = copyEnd = lastPump = 0;
    gaps.clear();
    chunks.clear();
    RunWhileDriving([] { return InstallCommand(NULL); },
                    [&](const WindowDriver& driver) {
                        HWND select = driver.WaitForDialog(IDC_START);
                        if (!select)
                            return;
                        SetControlText(select, IDC_PATH, target);
                        Click(select, IDC_START);
                        Answer(driver.WaitForMessageBox(), IDYES);       // the question
                        Answer(driver.WaitForMessageBox(120000), IDOK);  // finished
                    });
    return copyEnd - copyStart;
}

}  // namespace

int main()
{
    const std::string base = "C:\\bench";
    const std::string source = base + "\\source";
    printf("making the source...\n");
    int files = 0;
    const uint64_t bytes = MakeSource(source, &files);
    const double mib = double(bytes) / (1 << 20);

    Patch("KERNEL32.dll", "OpenFile", (void*)OpenFileTimed);
    Patch("KERNEL32.dll", "_lread", (void*)ReadTimed);
    Patch("GDI32.dll", "DeleteObject", (void*)DeleteObjectTimed);
    Patch("USER32.dll", "PeekMessageA", (void*)PeekTimed);
    Patch("USER32.dll", "MessageBoxA", (void*)MessageBoxTimed);

    // Each round copies with all three, in one of three orders, each as
    // often, so that no copy always follows the same one.
    constexpr int kRounds = 9;
    const std::vector<std::string> names = PlainFileNames(source);
    std::vector<double> copyFileTimes, floorTimes, installTimes, longestGaps, medianGaps, longestChunks, medianChunks,
        pumps;
    for (int round = 0; round < kRounds; ++round)
        for (int turn = 0; turn < 3; ++turn)
            switch ((round + turn) % 3) {
            case 0: copyFileTimes.push_back(CopyWithCopyFile(source, base + "\\copyfile")); break;
            case 1: floorTimes.push_back(CopyFloor(names, source, base + "\\floor")); break;
            case 2:
                installTimes.push_back(Install(source, base + "\\installed"));
                if (installTimes.back() <= 0) {
                    fprintf(stderr, "install_bench: the install did not run\n");
                    return 1;
                }
                std::sort(gaps.begin(), gaps.end());
                std::sort(chunks.begin(), chunks.end());
                pumps.push_back(double(gaps.size()));
                longestGaps.push_back(gaps.back());
                medianGaps.push_back(gaps[gaps.size() / 2]);
                longestChunks.push_back(chunks.back());
                medianChunks.push_back(chunks[chunks.size() / 2]);
                break;
            }
    RemovePatches();
    RemoveTree(base);

    std::vector<double> againstFloor, againstCopyFile, longestAgainstChunk;
    for (int round = 0; round < kRounds; ++round) {
        againstFloor.push_back(installTimes[round] / floorTimes[round]);
        againstCopyFile.push_back(copyFileTimes[round] / installTimes[round]);
        longestAgainstChunk.push_back(longestGaps[round] / longestChunks[round]);
    }
    const Median floorRatio = MedianOf(againstFloor), copyFileRatio = MedianOf(againstCopyFile),
                 pumpRatio = MedianOf(longestAgainstChunk);
    const auto ms = [](const std::vector<double>& times) { return MedianOf(times).median * 1000; };

    printf("\ninstall throughput, %.0f MiB in %d files of mixed sizes, the median of %d rounds\n"
           "(each ratio is the median of the rounds' ratios, their quartiles in brackets):\n",
           mib, files, kRounds);
    printf("  CopyFileA                  %8.1f MiB/s\n", mib / MedianOf(copyFileTimes).median);
    printf("  the design's floor         %8.1f MiB/s   (the same reads and writes, a peek, a post and a get a step)\n",
           mib / MedianOf(floorTimes).median);
    printf("  install command            %8.1f MiB/s\n", mib / MedianOf(installTimes).median);
    printf("  time against the floor    %8.2f (%.2f-%.2f)   (aim: at most 1.15) %s\n", floorRatio.median,
           floorRatio.low, floorRatio.high, floorRatio.median <= 1.15 ? "met" : "NOT met");
    printf("  speed against CopyFileA    %8.2f (%.2f-%.2f)   (goal: at least 0.8) %s\n", copyFileRatio.median,
           copyFileRatio.low, copyFileRatio.high, copyFileRatio.median >= 0.8 ? "met" : "NOT met");
    printf("responsiveness during each install (%.0f pumps), the median of the rounds:\n", MedianOf(pumps).median);
    printf("  time between two pumped messages       longest %6.2f ms, median %6.3f ms\n", ms(longestGaps),
           ms(medianGaps));
    printf("  64 KiB read, write and bar paint       longest %6.2f ms, median %6.3f ms\n", ms(longestChunks),
           ms(medianChunks));
    printf("  ratio of the longest %8.2f (%.2f-%.2f)   (goal: at most 1) %s\n", pumpRatio.median, pumpRatio.low,
           pumpRatio.high, pumpRatio.median <= 1 ? "met" : "NOT met");
    return 0;
}
