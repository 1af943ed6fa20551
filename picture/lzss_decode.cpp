// The LZSS decoder: one resumable loop in the spirit of zlib's inflate. The
// state is loaded into locals on entry and stored back at one exit; every
// byte is taken through a check that leaves, recording where to resume, when
// the chunk is used up. While a whole flag group's worth of input (and, in a
// bounded stream, of output room) remains, a fast loop decodes the group
// without those checks.
#include <cstring>

#include "lzss.h"

LzssStream LzssState;

namespace {

// The most a flag group can take and make: a flag byte and 8 two-byte
// references of 16 bytes each.
constexpr ptrdiff_t kGroupInput = 1 + 8 * 2;
constexpr ptrdiff_t kGroupOutput = 8 * 16;
// A group's tokens decoded without the careful loop's checks, in one of two
// ways. Spilling: 16 bytes are copied for every token, without a branch
// between literal and reference, and the output moves on by the token's own
// length; the up to 15 bytes spilled beyond are written again by the tokens
// that follow, and after the group the caller puts the last spill back. So
// the caller keeps the bytes the group touches (`before`, from the group's
// start), which also serve a reference of distance 0, whose bytes stay as
// they were. Exact: each token writes its own bytes only, for the end of a
// chunk, where the bytes past the group's output may lie outside the buffer.
constexpr ptrdiff_t kTouched = kGroupOutput + 16;
// A literal's 16-byte copy reads up to 15 bytes past the group's input.
constexpr ptrdiff_t kSpillInput = kGroupInput + 15;
// An unbounded stream keeps the bytes a group may touch inside the buffer
// only while the rest of the chunk is sure to make that much more output:
// any group makes at least 8 bytes, and near the end of a chunk the groups
// left are measured.
constexpr ptrdiff_t kRoomyInput = kGroupInput * (1 + kTouched / 8);
// In a bounded stream, far enough from the start that no distance reaches
// before it.
constexpr ptrdiff_t kFarFromStart = 4095;

inline void Fill16(uint8_t* to, uint8_t byte) { memset(to, byte, 16); }

inline void Copy16(uint8_t* to, const uint8_t* from)
{
    uint8_t bytes[16];
    memcpy(bytes, from, 16);
    memcpy(to, bytes, 16);
}

// Copies 1-16 bytes between ranges that do not overlap, in two wide moves
// that cover them exactly (both loads come before both stores).
inline void CopyShort(uint8_t* to, const uint8_t* from, uint32_t length)
{
    if (length >= 8) {
        uint64_t head, tail;
        memcpy(&head, from, 8);
        memcpy(&tail, from + length - 8, 8);
        memcpy(to, &head, 8);
        memcpy(to + length - 8, &tail, 8);
    } else if (length >= 4) {
        uint32_t head, tail;
        memcpy(&head, from, 4);
        memcpy(&tail, from + length - 4, 4);
        memcpy(to, &head, 4);
        memcpy(to + length - 4, &tail, 4);
    } else {
        to[0] = from[0];
        if (length > 1)
            to[1] = from[1];
        if (length > 2)
            to[2] = from[2];
    }
}

// A reference: wide moves where the source lies wholly behind the
// destination, else byte by byte, so that a distance below the length
// repeats what was just written (and a distance of 0 leaves bytes as they
// were).
inline void CopyReference(uint8_t* out, uint32_t distance, uint32_t length)
{
    const uint8_t* from = out - distance;
    if (distance >= length) {
        CopyShort(out, from, length);
    } else if (distance == 1) {
        memset(out, *from, length);
    } else {
        for (uint32_t i = 0; i < length; ++i)
            out[i] = from[i];
    }
}

uint32_t Distance(uint32_t low, uint32_t high) { return (high & 0x0F) << 8 | low; }
uint32_t Length(uint32_t high) { return (high >> 4) + 1; }

// How far the output of the whole groups from `in` to the end of the chunk
// reaches from `out`.
inline uint8_t* EndOfWholeGroups(const uint8_t* in, const uint8_t* inEnd, uint8_t* out)
{
    while (inEnd - in >= kGroupInput) {
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
        const uint32_t distance = Distance(in[0], high);
        if (!kSpill) {
            if (reference) {
                CopyReference(out, distance, Length(high));
                out += Length(high);
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

// Leaves, to go on at `point` with the next chunk, when the chunk is used up.
#define NEED_BYTE(point)      \
    do {                      \
        if (in == inEnd) {    \
            resume = (point); \
            goto leave;       \
        }                     \
    } while (0)

// Stops a bounded stream for good.
#define FAIL(why)              \
    do {                       \
        stream->error = (why); \
        goto leave;            \
    } while (0)

void LzssDecodeStream(LzssStream* stream)
{
    if (stream->error != LzssError::None)
        return;
    const uint8_t* in = stream->input;
    const uint8_t* const inEnd = in + stream->inputLeft;
    uint8_t* out = stream->output;
    uint32_t bits = stream->bitsLeft, flags = stream->flags, low = stream->pendingLow, high, reference;
    LzssResume resume = stream->resumeAt;
    uint8_t* const start = stream->outputStart;
    uint8_t* const end = stream->outputEnd;
    const bool bounded = stream->bounded;
    uint8_t* chunkOutputEnd = nullptr;  // measured when the end of the chunk is near

    switch (resume) {
    case LzssResume::None:
    case LzssResume::FlagByte: goto top;
    case LzssResume::LiteralByte: goto literal;
    case LzssResume::FirstReferenceByte: goto first;
    case LzssResume::SecondReferenceByte: goto second;
    }

top:
    // Whole flag groups, while the chunk holds one and, in a bounded stream,
    // no reference can reach before the start nor output past the end.
    while (bits == 0 && inEnd - in >= kGroupInput &&
           (!bounded || (out - start >= kFarFromStart && end - out >= kGroupOutput))) {
        bool roomy;
        if (inEnd - in < kSpillInput) {
            roomy = false;
        } else if (bounded) {
            roomy = end - out >= kTouched;
        } else if (inEnd - in >= kRoomyInput) {
            roomy = true;
        } else {
            if (!chunkOutputEnd)
                chunkOutputEnd = EndOfWholeGroups(in, inEnd, out);
            roomy = chunkOutputEnd - out >= kTouched;
        }
        if (roomy) {
            uint8_t* const groupStart = out;
            uint8_t before[kTouched];
            memcpy(before, groupStart, sizeof before);
            DecodeGroup<true>(in, out, before);
            memcpy(out, before + (out - groupStart), 16);  // the last spill, undone
        } else {
            DecodeGroup<false>(in, out, nullptr);
        }
    }

    if (bits == 0) {
        NEED_BYTE(LzssResume::FlagByte);
        flags = *in++;
        bits = 8;
    }
    // The flag is used before its byte is taken: a chunk that ends here
    // resumes with that byte.
    --bits;
    reference = flags & 0x80;
    flags = flags << 1 & 0xFF;
    if (reference)
        goto first;

literal:
    NEED_BYTE(LzssResume::LiteralByte);
    if (bounded && out == end)
        FAIL(LzssError::PastEnd);
    *out++ = *in++;
    goto top;

first:
    NEED_BYTE(LzssResume::FirstReferenceByte);
    low = *in++;
second:
    NEED_BYTE(LzssResume::SecondReferenceByte);
    high = *in++;
    if (bounded) {
        if (Distance(low, high) > uint32_t(out - start))
            FAIL(LzssError::BeforeStart);
        if (Length(high) > uint32_t(end - out))
            FAIL(LzssError::PastEnd);
    }
    CopyReference(out, Distance(low, high), Length(high));
    out += Length(high);
    goto top;

leave:
    // input and inputLeft are the caller's to set for each chunk.
    stream->output = out;
    stream->bitsLeft = uint8_t(bits);
    stream->flags = uint8_t(flags);
    stream->pendingLow = low;
    stream->resumeAt = resume;
}

#undef NEED_BYTE
#undef FAIL

void LzssDecodeChunk() { LzssDecodeStream(&LzssState); }

void LzssBegin(LzssStream* stream, uint8_t* output)
{
    *stream = LzssStream{};
    stream->output = output;
}

void LzssBeginBounded(LzssStream* stream, uint8_t* buffer, size_t size)
{
    LzssBegin(stream, buffer);
    stream->bounded = true;
    stream->outputStart = buffer;
    stream->outputEnd = buffer + size;
}
