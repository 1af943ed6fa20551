#include "sprite.h"

uint32_t FadePattern;
uint32_t FadeMode;
uint32_t FadeSteps;

namespace {

uint32_t RotateByteRight(uint32_t byte) { return (byte >> 1 | byte << 7) & 0xFF; }

uint32_t SwapNibbles(uint32_t byte) { return (byte >> 4 | byte << 4) & 0xFF; }

}  // namespace

void StepFadePattern()
{
    if (FadeSteps == 0)
        return;
    const uint32_t kept = FadePattern & 0xFFFF0000u;  // bits 16-31 are never touched
    const uint32_t high = FadePattern >> 8 & 0xFF, low = FadePattern & 0xFF;
    if (FadeMode == 1) {
        // Each byte rotates right, then bits 15 and 3 are set: two more
        // pixels of every 16 drawn at each step, until all are.
        FadePattern = kept | ((RotateByteRight(high) << 8 | RotateByteRight(low)) | 0x8008);
    } else if (FadeMode == 2) {
        // The high byte shifts a 0 in; the low one is its copy with the
        // nibbles swapped: two fewer pixels at each step, until none is.
        const uint32_t shifted = high >> 1;
        FadePattern = kept | shifted << 8 | SwapNibbles(shifted);
    }
    --FadeSteps;
}
