// The LZSS decoder's fast loop: whole flag groups without the careful
// loop's per-byte checks, in the spirit of zlib's inflate_fast.
//
// Entry assumptions (the careful loop enters only where they hold; debug and
// fuzz builds assert them, and what each group leaves):
//  - decoding is at a group boundary: the next input byte is a flag byte;
//  - at least kLzssGroupInput bytes of input remain, so a whole group's
//    tokens are in the chunk whatever its flags say;
//  - in a bounded stream, `start` and `end` are the output buffer's ends and
//    `out` lies between them.
// It stops, at a group boundary, when fewer than kLzssGroupInput bytes
// remain or, in a bounded stream, when the next group could reach before
// `start` (less than 4,095 bytes made) or past `end` (less than a group's
// most output left). The careful loop then goes on from there.
//
// A group is decoded in one of two ways. Spilling: 16 bytes are copied for
// every token, without a branch between literal and reference, and the
// output moves on by the token's own length; the up to 15 bytes spilled
// beyond are written again by the tokens that follow, and after the group
// the last spill is put back. So the bytes the group touches are kept
// (`before`, from the group's start), which also serve a reference of
// distance 0, whose bytes stay as they were. Exact: each token writes its
// own bytes only, near the end of a chunk or buffer, where the bytes past
// the group's output may lie outside the buffer.
#include <cassert>

#include "lzss_copy.h"

namespace {

constexpr ptrdiff_t kTouched = kLzssGroupOutput + 16;
// A literal's 16-byte copy reads up to 15 bytes past the group's input.
constexpr ptrdiff_t kSpillInput = kLzssGroupInput + 15;
// An unbounded stream keeps the bytes a group may touch inside the buffer
// only while the rest of the chunk is sure to make that much more output:
// any group makes at least 8 bytes, and near the end of a chunk the groups
// left are measured.
constexpr ptrdiff_t kRoomyInput = kLzssGroupInput * (1 + kTouched / 8);
// Far enough from the start that no distance reaches before it.
constexpr ptrdiff_t kFarFromStart = 4095;

inline void Fill16(uint8_t* to, uint8_t byte) { memset(to, byte, 16); }

inline void Copy16(uint8_t* to, const uint8_t* from)
{
    uint8_t bytes[16];
    memcpy(bytes, from, 16);
    memcpy(to, bytes, 16);
}

// How many bytes the whole groups from `in` to the end of the chunk make.
inline size_t OutputOfWholeGroups(const uint8_t* in, const uint8_t* inEnd)
{
    size_t out = 0;
    while (inEnd - in >= kLzssGroupInput) {
        uint32_t flags = in[0], references = 0;
        const uint8_t* token = in + 1;
        for (int i = 0; i < 8; ++i, flags <<= 1) {
            const uint32_t reference = flags >> 7 & 1;
            out += 1 + ((token[1] >> 4) & (0u - reference));
            token += 1 + reference;
            references += reference;
        }
        in += 9 + references;
    }
    return out;
}

template <bool kSpill>
inline void DecodeGroup(const uint8_t*& in, uint8_t*& out, const uint8_t* before)
{
    uint8_t* const groupStart = out;
    uint32_t flags = *in++;
    for (int token = 0; token < 8; ++token, flags <<= 1) {
        const uint32_t reference = flags >> 7 & 1;
        const uint32_t high = in[1];
        const uint32_t distance = LzssDistance(in[0], high);
        if (!kSpill) {
            if (reference) {
                CopyReference(out, distance, LzssLength(high));
                out += LzssLength(high);
            } else {
                *out++ = *in;
            }
            in += 1 + reference;
            continue;
        }
        // Masks rather than conditions keep literal and reference apart
        // without a branch.
        const uintptr_t referenceMask = 0 - uintptr_t(reference);
        const uint32_t length = 1 + ((high >> 4) & uint32_t(referenceMask));
        const uint8_t* from =
            (const uint8_t*)((uintptr_t(in) & ~referenceMask) | (uintptr_t(out - distance) & referenceMask));
        if ((reference & (distance < length)) == 0)
            Copy16(out, from);
        else if (distance == 1)
            Fill16(out, out[-1]);  // a run of one byte
        else if (distance == 0)
            memcpy(out, before + (out - groupStart), length);  // as they were
        else
            CopyReference(out, distance, length);  // it repeats itself: byte by byte
        out += length;
        in += 1 + reference;
    }
}

}  // namespace

void LzssDecodeFast(const uint8_t*& inOut, const uint8_t* inEnd, uint8_t*& outOut, bool bounded, const uint8_t* start,
                    const uint8_t* end)
{
    // Locals, not the caller's variables: a store through a byte pointer
    // could otherwise change them, and they would be reloaded after each.
    const uint8_t* in = inOut;
    uint8_t* out = outOut;
    assert(inEnd - in >= kLzssGroupInput);
    assert(!bounded || (start <= out && out <= end));
    size_t chunkOutputLeft = 0;  // what the rest of the chunk makes, once measured near its end
    bool measured = false;
    while (inEnd - in >= kLzssGroupInput &&
           (!bounded || (out - start >= kFarFromStart && end - out >= kLzssGroupOutput))) {
        bool roomy;
        if (inEnd - in < kSpillInput) {
            roomy = false;
        } else if (bounded) {
            roomy = end - out >= kTouched;
        } else if (inEnd - in >= kRoomyInput) {
            roomy = true;
        } else {
            if (!measured) {
                chunkOutputLeft = OutputOfWholeGroups(in, inEnd);
                measured = true;
            }
            roomy = chunkOutputLeft >= size_t(kTouched);
        }
        uint8_t* const groupStart = out;
        if (roomy) {
            assert(!bounded || end - groupStart >= kTouched);  // every spill lands in the buffer
            uint8_t before[kTouched];
            memcpy(before, groupStart, sizeof before);
            DecodeGroup<true>(in, out, before);
            memcpy(out, before + (out - groupStart), 16);  // the last spill, undone
        } else {
            DecodeGroup<false>(in, out, nullptr);
        }
        assert(out - groupStart >= 8 && out - groupStart <= kLzssGroupOutput);
        assert(in <= inEnd && (!bounded || out <= end));
        if (measured) {
            assert(chunkOutputLeft >= size_t(out - groupStart));  // the measure was the groups' own
            chunkOutputLeft -= size_t(out - groupStart);
        }
    }
    inOut = in;
    outOut = out;
}
