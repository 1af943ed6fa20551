#include "backcg.h"

namespace {

uint32_t LoadLe32(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | uint32_t(at[3]) << 24; }

}  // namespace

BackcgCheck CheckBackcg(const uint8_t* resource, size_t size, BackcgPicture* out)
{
    if (size < kBackcgOffsetField + 4)
        return {BackcgStatus::TooShort, RleStatus::Ok, size};
    // 64-bit so that no offset can wrap the sum around.
    const uint64_t record = kBackcgOffsetField + uint64_t(LoadLe32(resource + kBackcgOffsetField));
    const uint64_t picture = record + 4;  // past the reserved field
    if (picture + kRleHeaderSize > size)
        return {BackcgStatus::RecordOutside, RleStatus::Ok, kBackcgOffsetField};

    const uint8_t* start = resource + picture;
    const RleCheck check = CheckRle(start, size - size_t(picture));
    const size_t at = size_t(picture) + check.offset;
    if (check.status != RleStatus::Ok)
        return {BackcgStatus::BadPicture, check.status, at};
    *out = {resource, start, RleWidth(start), RleHeight(start)};
    return {BackcgStatus::Ok, RleStatus::Ok, at};
}

const char* BackcgStatusText(const BackcgCheck& check)
{
    switch (check.status) {
    case BackcgStatus::Ok: return "well formed";
    case BackcgStatus::TooShort: return "too short for the palette block and the picture offset";
    case BackcgStatus::RecordOutside: return "the picture offset points past the end";
    case BackcgStatus::BadPicture: return RleStatusText(check.pictureStatus);
    }
    return "unknown";
}
