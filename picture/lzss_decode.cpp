// The LZSS decoder: one resumable loop in the spirit of zlib's inflate. The
// state is loaded into locals on entry and stored back at one exit; every
// byte is taken through a check that leaves, recording where to resume, when
// the chunk is used up. At each group boundary with a whole group's worth of
// input left, the fast loop (lzss_fast.cpp) takes over for as long as it can.
#include "lzss.h"
#include "lzss_copy.h"

LzssStream LzssState;

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

// Decodes the current chunk of `stream`, within its bound when `bounded`.
static void Decode(LzssStream* stream, bool bounded)
{
    if (bounded && stream->error != LzssError::None)
        return;
    const uint8_t* in = stream->input;
    const uint8_t* const inEnd = in + stream->inputLeft;
    uint8_t* out = stream->output;
    uint32_t bits = stream->bitsLeft, flags = stream->flags, low = stream->pendingLow, high, reference;
    LzssResume resume = stream->resumeAt;
    uint8_t* const start = stream->outputStart;
    uint8_t* const end = stream->outputEnd;

    switch (resume) {
    case LzssResume::None:  // as FlagByte: a stream's start is at the top too
    case LzssResume::FlagByte: goto top;
    case LzssResume::LiteralByte: goto literal;
    case LzssResume::FirstReferenceByte: goto first;
    case LzssResume::SecondReferenceByte: goto second;
    }

top:
    if (bits == 0 && inEnd - in >= kLzssGroupInput)
        LzssDecodeFast(in, inEnd, out, bounded, start, end);
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
        // In the full width of sizes: a buffer may hold 4 GiB or more.
        if (LzssDistance(low, high) > size_t(out - start))
            FAIL(LzssError::BeforeStart);
        if (LzssLength(high) > size_t(end - out))
            FAIL(LzssError::PastEnd);
    }
    CopyReference(out, LzssDistance(low, high), LzssLength(high));
    out += LzssLength(high);
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

void LzssDecodeStream(LzssStream* stream) { Decode(stream, stream->bounded); }

// The plain protocol starts a stream by setting bitsLeft, resumeAt and
// output only, so a bound or an error left by an earlier bounded stream
// must not apply: the process-wide stream is always unbounded.
void LzssDecodeChunk() { Decode(&LzssState, false); }

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

// Every byte a reference of one (two bytes each), a flag byte per 8 of
// them, and at the end a flag byte and the first byte of a reference that
// add nothing.
uint64_t LzssLongestStream(uint64_t size) { return 2 * size + size / 8 + 2; }

// A flag byte and 8 references of 16 bytes in every 17 bytes; of the rest, a
// flag byte, a reference in each two bytes after it and a literal in a last
// odd one.
uint64_t LzssMostDecoded(uint64_t length)
{
    const uint64_t rest = length % 17;
    return length / 17 * 128 + (rest > 0 ? (rest - 1) / 2 * 16 + (rest - 1) % 2 : 0);
}
