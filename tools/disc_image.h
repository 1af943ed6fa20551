// Presses a planned disc into an ISO 9660 image with Joliet names, with
// libisofs.
#pragma once

#include <ctime>
#include <string>

#include "disc_plan.h"

// An 80-minute CD: 360,000 sectors of 2,048 bytes.
constexpr long long kCdBytes = 360000LL * 2048;

// Writes the image of `plan` to `out`: volume label `volume`, every time
// stamp `stamp`, entries in name order, so that the same plan and settings
// give the same bytes. The image is written beside `out` and renamed into
// place only when whole; false with a message (and no file) otherwise, an
// image larger than a CD included.
bool PressDisc(const DiscPlan& plan, const std::string& volume, time_t stamp, const std::string& out,
               std::string* error);
