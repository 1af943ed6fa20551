// Random BACKCG resources through the start-up check and, when it accepts
// them, the decoder into an exactly sized bottom-up buffer: AddressSanitizer
// reports any byte read or written outside.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "backcg.h"
#include "rle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BackcgPicture picture;
    if (CheckBackcg(data, size, &picture).status != BackcgStatus::Ok)
        return 0;
    const size_t width = picture.width, height = picture.height;
    if (width * height > (size_t(64) << 20))
        return 0;  // a valid stream that large is not worth the memory here
    std::vector<uint8_t> pixels(width * height);
    DecodeRle(pixels.data() + (height - 1) * width, picture.picture, -int32_t(width));
    return 0;
}
