// Presses a planned disc into an ISO 9660 image with Joliet names, with
// libisofs. Before the real image, a stand-in of it (each file one sector
// that says which file it is) shows where libisofs puts every file in both
// trees: a file it would leave out, or name otherwise than the folder does
// in the Joliet tree that Windows reads, is refused, and a dry run lists
// them all.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "disc_plan.h"

constexpr uint64_t kSectorBytes = 2048;
// An 80-minute CD: 360,000 sectors of 2,048 bytes.
constexpr uint64_t kCdBytes = 360000ull * kSectorBytes;

struct DiscSettings {
    std::string volume;  // the volume label
    time_t stamp = 0;    // every time stamp on the disc
};

struct LaidOutFile {
    const DiscEntry* entry;
    std::string isoPath;  // in the primary tree, which readers without Joliet list
};

struct DiscLayout {
    std::vector<LaidOutFile> files;  // in the plan's order
    uint64_t bytes = 0;              // the image's size
};

// `stamp` in UTC, written by strftime's `format` (at most 31 bytes).
std::string UtcText(time_t stamp, const char* format);

// Where each file of `plan` lies on the disc, and the image's size. False
// with a message when libisofs would leave a file out of either tree or
// name it otherwise in the Joliet tree, or reports anything of warning or
// worse (which is shown).
bool LayOutDisc(const DiscPlan& plan, const DiscSettings& settings, DiscLayout* layout, std::string* error);

// Writes the image of `plan` to `out`, entries in name order and every
// stamp the same, so that the same plan and settings give the same bytes.
// The image is written beside `out` and renamed into place only when whole;
// false with a message and no new file when it cannot be written, when
// libisofs reports anything of warning or worse, or when a file of the
// folder changed while it was pressed.
bool PressDisc(const DiscPlan& plan, const DiscSettings& settings, const std::string& out, std::string* error);
