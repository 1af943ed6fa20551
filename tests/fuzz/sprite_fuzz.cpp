// Random pictures and arguments through every checked sprite routine, onto
// an exactly sized surface: AddressSanitizer reports any byte read or
// written outside the surface, the picture or the wave table, whatever the
// checks let through.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "sprite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int member = in.ConsumeIntegralInRange(0, 11);
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
    default: CheckedClearRect(bounds, dest, pitch, width, height); break;
    }
    return 0;
}
