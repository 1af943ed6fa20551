// The BACKCG resource: a 256-entry palette block followed by one column-RLE
// picture.
//
//   0    768 bytes  palette, entry i at 3i: blue, green, red
//   768  u32        picture count (not read)
//   772  u32        offset of the picture record, counted from 772
//   772 + offset    u32 reserved, then the RlePicture (width, height, stream)
#pragma once

#include <cstddef>
#include <cstdint>

#include "rle.h"

constexpr size_t kBackcgPaletteSize = 768;
constexpr size_t kBackcgOffsetField = 772;

enum class BackcgStatus {
    Ok,
    TooShort,       // no room for the palette block and the offset field
    RecordOutside,  // the picture record's header lies past the end
    BadPicture,     // the picture itself is malformed: see rle
};

struct BackcgPicture {
    const uint8_t* palette;  // 256 x (blue, green, red)
    const uint8_t* picture;  // the RlePicture, at its width field
    uint16_t width;
    uint16_t height;
};

struct BackcgCheck {
    BackcgStatus status;
    RleStatus pictureStatus;  // when status is BadPicture
    size_t offset;            // Ok: end of the stream; otherwise the offending byte, from the resource start
};

// Checks a resource of `size` bytes before anything decodes it: the record
// lies inside, the picture is well formed and its stream ends inside the
// resource. On Ok fills `out`. Reads nothing outside the resource.
BackcgCheck CheckBackcg(const uint8_t* resource, size_t size, BackcgPicture* out);

// Describes a check's outcome in one line of English, for tools.
const char* BackcgStatusText(const BackcgCheck& check);
