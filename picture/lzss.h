// Resumable LZSS stream decoder.
//
// Stream format: a flag byte comes before each group of 8 tokens, its bits
// used from bit 7 down. Flag 0: one literal byte follows. Flag 1: a
// back-reference of two bytes, lo then hi: distance (hi & 0x0F) * 256 + lo,
// length (hi >> 4) + 1; the bytes are copied one at a time from output -
// distance, so a distance below the length repeats what it has just written.
// There is no end marker: the stream ends where its input ends.
//
// The input may come in chunks of any size; when a chunk runs out, even
// between the two bytes of a reference, the decoder returns, and the next
// call goes on exactly there.
//
// Protocol: set bitsLeft = 0, resumeAt = None and output to a buffer large
// enough for the whole stream (LzssBegin does this); then, for each chunk of
// at least one byte, set input and inputLeft and call the decoder. On return
// the chunk is used up and output points past the last decoded byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Where the next call goes on.
enum class LzssResume : uint8_t {
    None = 0,             // the top of the token loop: only at the start of a stream
    FlagByte,             // a flag byte is due
    LiteralByte,          // the flag said literal; its byte is due
    FirstReferenceByte,   // the flag said reference; lo is due
    SecondReferenceByte,  // lo is in pendingLow; hi is due
};

// Sticky outcome of a bounded stream.
enum class LzssError : uint8_t {
    None = 0,
    BeforeStart,  // a reference reached before the start of the output buffer
    PastEnd,      // the stream decodes to more than the output buffer holds
};

struct LzssStream {
    uint8_t bitsLeft;      // flags of the current flag byte not yet used, 0-8
    uint8_t flags;         // the current flag byte, its next flag in bit 7
    const uint8_t* input;  // the next byte of the current chunk (caller)
    uint32_t inputLeft;    // bytes left in the current chunk (caller)
    uint8_t* output;       // where the next decoded byte goes
    uint32_t pendingLow;   // lo of a reference whose hi has not arrived
    LzssResume resumeAt;
    // Optional bound: when `bounded`, the stream may only reference and
    // write [outputStart, outputEnd); a token that would go outside stops it
    // for good with `error` set and nothing of it written.
    bool bounded;
    uint8_t* outputStart;
    uint8_t* outputEnd;
    LzssError error;
};

// The process-wide stream of the plain protocol: one stream at a time.
extern LzssStream LzssState;

// Decodes the current chunk of LzssState, always without a bound: its bound
// and error fields are ignored, since the plain protocol does not reset them.
void LzssDecodeChunk();

// The same decoder on a stream object of the caller's, so that several
// streams can be decoded side by side.
void LzssDecodeStream(LzssStream* stream);

// Starts a stream that decodes into `output`, without a bound.
void LzssBegin(LzssStream* stream, uint8_t* output);

// Starts a stream that decodes into the `size` bytes at `buffer` and may
// reach nothing outside them.
void LzssBeginBounded(LzssStream* stream, uint8_t* buffer, size_t size);

// The bounds of the format, which let a caller refuse a stream before it
// allocates its output: the longest stream that decodes to `size` bytes,
// and the most that a stream of `length` bytes decodes to.
uint64_t LzssLongestStream(uint64_t size);
uint64_t LzssMostDecoded(uint64_t length);

// Compresses `size` bytes: greedy matching with a one-step look-ahead over
// hash chains, distances up to 4,095, lengths up to 16, references only
// where they are shorter than the literals they replace.
std::vector<uint8_t> LzssCompress(const uint8_t* data, size_t size);
