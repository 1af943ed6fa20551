// Random pictures and arguments through every checked sprite routine, onto
// an exactly sized surface: AddressSanitizer reports any byte read or
// written outside the surface, the picture or the wave table, whatever the
// checks let through. Member 12 takes the surface test alone, with numbers
// no real surface has, against exact 128-bit arithmetic.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "sprite.h"
#include "surface_bounds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int member = in.ConsumeIntegralInRange(0, 12);
    const uint32_t key = in.ConsumeIntegral<uint32_t>();
    const int32_t pitch = in.ConsumeIntegralInRange<int32_t>(-600, 600);
    const uint32_t srcX = in.ConsumeIntegralInRange<uint32_t>(0, 600);
    const uint32_t srcY =
        in.ConsumeBool() ? in.ConsumeIntegral<uint32_t>() : in.ConsumeIntegralInRange<uint32_t>(0, 600);
    const uint32_t width = in.ConsumeIntegralInRange<uint32_t>(0, 600);
    const uint32_t height = in.ConsumeIntegralInRange<uint32_t>(0, 600);
    const int32_t amplitude = in.ConsumeIntegral<int32_t>();
    const int32_t phaseStep = in.ConsumeIntegral<int32_t>();
    const int32_t phase = in.ConsumeIntegral<int32_t>();
    FadePattern = in.ConsumeIntegral<uint32_t>();
    FadeMode = in.ConsumeIntegralInRange<uint32_t>(0, 3);
    FadeSteps = in.ConsumeIntegralInRange<uint32_t>(0, 9);
    std::vector<uint8_t> surface(in.ConsumeIntegralInRange<size_t>(0, 1 << 16));
    uint8_t* dest = surface.data() + in.ConsumeIntegralInRange<size_t>(0, surface.size());
    const std::vector<uint8_t> picture = in.ConsumeRemainingBytes<uint8_t>();
    const SpriteSurface bounds{surface.data(), surface.data() + surface.size()};
    const uint8_t* p = picture.data();
    const size_t n = picture.size();

    switch (member) {
    case 0: CheckedDecodeRle(bounds, dest, p, n, pitch); break;
    case 1: CheckedDecodeRleKeyed(bounds, key, dest, p, n, pitch); break;
    case 2: CheckedDecodeRleFaded(bounds, dest, p, n, pitch); break;
    case 3: CheckedDecodeRleFadedKeyed(bounds, dest, p, n, pitch); break;
    case 4: CheckedDecodeRleWindow(bounds, dest, p, n, pitch, srcX, srcY, width, height); break;
    case 5: CheckedDecodeRleWindowKeyed(bounds, key, dest, p, n, pitch, srcX, srcY, width, height); break;
    case 6: CheckedCopyRaw(bounds, dest, p, n, pitch); break;
    case 7: CheckedCopyRawKeyed(bounds, key, dest, p, n, pitch); break;
    case 8: CheckedCopyRawWindow(bounds, dest, p, n, pitch, srcX, srcY, width, height); break;
    case 9: CheckedCopyRawWindowKeyed(bounds, key, dest, p, n, pitch, srcX, srcY, width, height); break;
    case 10:
        CheckedCopyRawWave(bounds, dest, p, n, pitch, srcX, srcY, width, height, amplitude, phaseStep, phase);
        break;
    case 11: CheckedClearRect(bounds, dest, pitch, width, height); break;
    default: {
        // The picture's first bytes are the numbers: a surface size, the
        // first row's offset, rows, the row length and the pitch.
        struct {
            uint64_t size, first;
            uint32_t rows, rowBytes;
            int32_t pitch;
        } call = {};
        if (n > 0)
            memcpy(&call, p, n < sizeof call ? n : sizeof call);
        using Wide = __int128;
        const Wide last = Wide(call.first) + Wide(call.rows - Wide(1)) * call.pitch;
        const bool inside = call.rows > 0 && Wide(call.first) + call.rowBytes <= call.size && last >= 0 &&
            last + call.rowBytes <= call.size;
        if (RowsInsideSurface(call.size, call.first, call.pitch, call.rowBytes, call.rows) != inside)
            __builtin_trap();
        break;
    }
    }
    return 0;
}
