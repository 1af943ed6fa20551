// Random LZSS streams, decoded into a bounded buffer once whole and once in
// random chunks, and, when the stream fits, without a bound into a buffer of
// exactly its size: AddressSanitizer reports any byte read or written
// outside the chunks or the buffer, and the decodings must agree exactly.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "lzss.h"

namespace {

struct Result {
    std::vector<uint8_t> buffer;
    size_t length;
    LzssError error;
};

template <class NextChunk>
Result Decode(const std::vector<uint8_t>& stream, size_t capacity, bool bounded, NextChunk nextChunk)
{
    Result result{std::vector<uint8_t>(capacity, 0xA5), 0, LzssError::None};
    LzssStream decoder;
    if (bounded)
        LzssBeginBounded(&decoder, result.buffer.data(), capacity);
    else
        LzssBegin(&decoder, result.buffer.data());
    for (size_t at = 0; at < stream.size();) {
        const size_t size = std::min(nextChunk(), stream.size() - at);
        const std::vector<uint8_t> chunk(stream.begin() + long(at), stream.begin() + long(at + size));
        decoder.input = chunk.data();
        decoder.inputLeft = uint32_t(chunk.size());
        LzssDecodeStream(&decoder);
        at += size;
    }
    result.length = size_t(decoder.output - result.buffer.data());
    result.error = decoder.error;
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const size_t capacity = in.ConsumeIntegralInRange<size_t>(0, 8192);
    const uint32_t seed = in.ConsumeIntegral<uint32_t>();
    const std::vector<uint8_t> stream = in.ConsumeRemainingBytes<uint8_t>();

    uint32_t state = seed | 1;
    auto randomChunk = [&] {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        return size_t(1 + state % 40);
    };
    const Result whole = Decode(stream, capacity, true, [&] { return stream.size() + 1; });
    const Result chunked = Decode(stream, capacity, true, randomChunk);
    if (whole.length != chunked.length || whole.error != chunked.error || whole.buffer != chunked.buffer)
        abort();  // chunking changed the result
    if (whole.length > capacity)
        abort();
    if (whole.error == LzssError::None) {
        // A buffer of exactly the stream's size, no bound: nothing may spill past it.
        const Result unbounded = Decode(stream, whole.length, false, randomChunk);
        if (unbounded.length != whole.length ||
            !std::equal(unbounded.buffer.begin(), unbounded.buffer.end(), whole.buffer.begin()))
            abort();
    }
    return 0;
}
