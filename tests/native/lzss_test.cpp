// The LZSS decoder on hand-written streams fed in every chunk size, the
// compressor's round trips, and the bounded mode's refusals. Output buffers
// are filled with 0xA5 and surrounded by guard bytes that must stay so.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lzss.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hex(const std::string& text)
{
    Bytes bytes;
    std::istringstream in(text);
    unsigned value;
    while (in >> std::hex >> value)
        bytes.push_back(uint8_t(value));
    return bytes;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

constexpr size_t kGuard = 32;
constexpr uint8_t kFill = 0xA5;

// One decoding: what the buffer holds, how far the output got, and how the
// stream ended.
struct Decoded {
    Bytes made;  // the buffer up to the final output
    size_t length = 0;
    LzssError error = LzssError::None;
    bool guardsIntact = true;

    bool operator==(const Decoded& other) const
    {
        return made == other.made && length == other.length && error == other.error &&
            guardsIntact == other.guardsIntact;
    }
};

// Decodes `stream` into a buffer of `capacity` bytes, `chunk` bytes per call,
// bounded or not.
Decoded Decode(const Bytes& stream, size_t chunk, size_t capacity, bool bounded)
{
    Bytes block(kGuard + capacity + kGuard, kFill);
    uint8_t* buffer = block.data() + kGuard;
    LzssStream decoder;
    if (bounded)
        LzssBeginBounded(&decoder, buffer, capacity);
    else
        LzssBegin(&decoder, buffer);
    for (size_t at = 0; at < stream.size(); at += chunk) {
        // Each chunk in a block of its own, so that reading past it shows.
        const Bytes piece(stream.begin() + long(at), stream.begin() + long(std::min(at + chunk, stream.size())));
        decoder.input = piece.data();
        decoder.inputLeft = uint32_t(piece.size());
        LzssDecodeStream(&decoder);
    }
    Decoded result;
    result.length = size_t(decoder.output - buffer);
    result.made.assign(buffer, buffer + std::min(result.length, capacity));
    result.error = decoder.error;
    for (size_t i = 0; i < kGuard; ++i)
        result.guardsIntact &= block[i] == kFill && block[kGuard + capacity + i] == kFill;
    return result;
}

// The output of a stream fed in one chunk equals the one fed in every chunk
// size from 1 to 64, bounded and not.
void ExpectChunkingChangesNothing(const Bytes& stream, const Bytes& expected)
{
    const Decoded whole = Decode(stream, stream.size() + 1, expected.size(), false);
    EXPECT_EQ(whole.made, expected);
    EXPECT_EQ(whole.length, expected.size());
    ASSERT_TRUE(whole.guardsIntact);
    // Equal decodings have intact guards too.
    for (size_t chunk = 1; chunk <= 64; ++chunk) {
        ASSERT_EQ(Decode(stream, chunk, expected.size(), false), whole) << "chunks of " << chunk;
        ASSERT_EQ(Decode(stream, chunk, expected.size(), true), whole) << "bounded, chunks of " << chunk;
    }
}

TEST(LzssDecode, HandWrittenStreamsInEveryChunkSize)
{
    const struct {
        const char* stream;
        Bytes output;
    } cases[] = {
        {"00 41", Text("A")},
        // A, then hi 30 lo 01: distance 1, length 4, A four more times.
        {"40 41 01 30", Text("AAAAA")},
        // Distance 2 below length 5 repeats AB.
        {"20 41 42 02 40", Text("ABABABA")},
        // A full group, then a second flag byte; unused flags are ignored.
        {"00 41 42 43 44 45 46 47 48 01 49 4A 4B 4C 4D 4E 4F 05 10", Text("ABCDEFGHIJKLMNOKL")},  // KL: 5 back
        // A reference first in its group, after a group of literals.
        {"00 31 32 33 34 35 36 37 38 80 08 70 39", Text("12345678123456789")},
        // Distance 0 leaves its bytes as they were (here the buffer's fill).
        {"40 5A 00 20", Bytes{'Z', kFill, kFill, kFill}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.stream);
        ExpectChunkingChangesNothing(Hex(test.stream), test.output);
    }
}

TEST(LzssDecode, TheLargestReferenceCopies16BytesFrom4095Back)
{
    Bytes stream, expected;
    for (int i = 0; i < 4096; ++i) {
        if (i % 8 == 0)
            stream.push_back(0x00);
        stream.push_back(uint8_t(i * 7 + i / 256));
        expected.push_back(stream.back());
    }
    stream.insert(stream.end(), {0x80, 0xFF, 0xFF});
    for (int i = 0; i < 16; ++i)
        expected.push_back(expected[expected.size() - 4095]);
    ExpectChunkingChangesNothing(stream, expected);
}

TEST(LzssDecode, ResumesBetweenAFlagAndItsByteAndBetweenLoAndHi)
{
    uint8_t buffer[8];
    memset(buffer, kFill, sizeof buffer);
    LzssStream decoder;
    LzssBegin(&decoder, buffer);

    // The first call of a stream with nothing returns at once.
    decoder.input = nullptr;
    decoder.inputLeft = 0;
    LzssDecodeStream(&decoder);
    EXPECT_EQ(decoder.resumeAt, LzssResume::FlagByte);
    EXPECT_EQ(decoder.output, buffer);

    const Bytes stream = Hex("40 41 01 30");
    decoder.input = &stream[0];
    decoder.inputLeft = 1;  // just the flag byte: its first flag is used
    LzssDecodeStream(&decoder);
    EXPECT_EQ(decoder.resumeAt, LzssResume::LiteralByte);
    EXPECT_EQ(decoder.bitsLeft, 7);
    EXPECT_EQ(decoder.flags, 0x80);
    EXPECT_EQ(decoder.input, &stream[0]) << "input is the caller's";

    decoder.input = &stream[1];
    decoder.inputLeft = 2;  // the literal and lo
    LzssDecodeStream(&decoder);
    EXPECT_EQ(decoder.resumeAt, LzssResume::SecondReferenceByte);
    EXPECT_EQ(decoder.pendingLow, 0x01u);
    EXPECT_EQ(decoder.output, buffer + 1);

    decoder.input = &stream[3];
    decoder.inputLeft = 1;
    LzssDecodeStream(&decoder);
    EXPECT_EQ(decoder.output, buffer + 5);
    EXPECT_EQ(Bytes(buffer, buffer + 6), (Bytes{'A', 'A', 'A', 'A', 'A', kFill}));
}

TEST(LzssDecode, TheProcessWideStreamFollowsTheSameProtocol)
{
    // A bounded stream that ended in an error leaves its bound and error
    // behind: the plain protocol's start must not inherit them.
    uint8_t earlier[2];
    const Bytes overrun = Hex("00 41 42 43");
    LzssBeginBounded(&LzssState, earlier, sizeof earlier);
    LzssState.input = overrun.data();
    LzssState.inputLeft = uint32_t(overrun.size());
    LzssDecodeStream(&LzssState);
    ASSERT_EQ(LzssState.error, LzssError::PastEnd);

    const Bytes stream = Hex("20 41 42 02 40");
    uint8_t buffer[7];
    LzssState.bitsLeft = 0;
    LzssState.resumeAt = LzssResume::None;
    LzssState.output = buffer;
    for (const uint8_t& byte : stream) {
        LzssState.input = &byte;
        LzssState.inputLeft = 1;
        LzssDecodeChunk();
    }
    EXPECT_EQ(LzssState.output, buffer + 7);
    EXPECT_EQ(Bytes(buffer, buffer + 7), Text("ABABABA"));
}

std::mt19937 random(20261208);

// Data with the repetition real files have: copied runs among random bytes.
Bytes Redundant(size_t size, int alphabet)
{
    Bytes data;
    while (data.size() < size) {
        if (!data.empty() && random() % 3 == 0) {
            const size_t distance = 1 + random() % std::min<size_t>(data.size(), 5000);
            const size_t length = 1 + random() % 40;
            for (size_t i = 0; i < length && data.size() < size; ++i)
                data.push_back(data[data.size() - distance]);
        } else {
            data.push_back(uint8_t(random() % alphabet));
        }
    }
    return data;
}

// Text as a game's scripts hold it: words, punctuation and line ends.
Bytes Prose(size_t size)
{
    static const char* const kWords[] = {"the",    "disc",   "engine", "picture", "install", "of",   "and",      "a",
                                         "player", "window", "copies", "every",   "file",    "into", "directory"};
    std::string text;
    while (text.size() < size) {
        text += kWords[random() % std::size(kWords)];
        text += random() % 9 == 0 ? ".\r\n" : " ";
    }
    text.resize(size);
    return Text(text);
}

Bytes ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(LzssCompress, RoundTripsInAnyChunking)
{
    std::vector<std::pair<std::string, Bytes>> inputs = {
        {"empty", {}},
        {"one byte", {7}},
        {"one value", Bytes(10000, 'x')},
        {"random", Redundant(20000, 256)},
        {"few letters", Redundant(20000, 4)},
        {"text", Prose(30000)},
        {"this program", ReadFile("/proc/self/exe")},
    };
    for (const auto& [name, data] : inputs) {
        SCOPED_TRACE(name + " (seed 20261208)");
        ASSERT_TRUE(name == "empty" || !data.empty());
        const Bytes stream = LzssCompress(data.data(), data.size());
        if (data.size() > 1000 && name != "random") {
            EXPECT_LT(stream.size(), data.size()) << "no compression";
        }
        for (size_t chunk : {size_t(1), size_t(3), size_t(4096), stream.size() + 1}) {
            const Decoded decoded = Decode(stream, chunk, data.size(), true);
            ASSERT_EQ(decoded.error, LzssError::None) << "chunks of " << chunk;
            ASSERT_EQ(decoded.length, data.size());
            ASSERT_TRUE(decoded.made == data) << "chunks of " << chunk;
        }
    }
    const Bytes text = Prose(3000);
    ExpectChunkingChangesNothing(LzssCompress(text.data(), text.size()), text);
}

// The packer and the format's bounds, proven against each other where that
// is cheap: every stream packed lies within the longest of its size and
// unpacks, bounded, from a length that can yield it. Every size up to 300
// of four kinds of data, every one-byte file, and runs of one byte of every
// length up to 1,100, around each multiple of 4,096 up to 65,538, and of
// 1,000,001.
TEST(LzssCompress, EveryPackedStreamKeepsToTheFormatsBounds)
{
    auto check = [](const Bytes& data) {
        const Bytes stream = LzssCompress(data.data(), data.size());
        const Decoded decoded = Decode(stream, stream.size() + 1, data.size(), true);
        return stream.size() <= LzssLongestStream(data.size()) && LzssMostDecoded(stream.size()) >= data.size() &&
            decoded.error == LzssError::None && decoded.made == data;
    };
    const Bytes kinds[] = {Redundant(300, 256), Redundant(300, 2), Prose(300), Bytes(300, 'x')};
    for (const Bytes& kind : kinds)
        for (size_t size = 0; size <= kind.size(); ++size)
            ASSERT_TRUE(check(Bytes(kind.begin(), kind.begin() + size))) << size << " bytes of kind " << &kind - kinds;
    for (int value = 0; value < 256; ++value)
        ASSERT_TRUE(check(Bytes(1, uint8_t(value)))) << "the byte " << value;
    std::vector<size_t> runs;
    for (size_t length = 1; length <= 1100; ++length)
        runs.push_back(length);
    for (size_t multiple = 4096; multiple <= 65536; multiple += 4096)
        for (size_t length = multiple - 2; length <= multiple + 2; ++length)
            runs.push_back(length);
    runs.push_back(1000001);
    for (size_t length : runs)
        ASSERT_TRUE(check(Bytes(length, 'r'))) << "a run of " << length;
    // The bounds are tight: a stream of one flag and eight references of 16
    // in each 17 bytes, and a literal in a last odd byte, is the most.
    EXPECT_EQ(LzssMostDecoded(0), 0u);
    EXPECT_EQ(LzssMostDecoded(2), 1u);
    EXPECT_EQ(LzssMostDecoded(17), 128u);
    EXPECT_EQ(LzssMostDecoded(19), 129u);
    EXPECT_EQ(LzssMostDecoded(20), 144u);
}

TEST(LzssBounded, StopsAtAReferenceBeforeTheStartWithNothingWritten)
{
    for (size_t chunk : {1, 2, 100}) {
        SCOPED_TRACE(chunk);
        // Two literals, then a reference 5 back.
        const Decoded decoded = Decode(Hex("20 41 42 05 10 43"), chunk, 16, true);
        EXPECT_EQ(decoded.error, LzssError::BeforeStart);
        EXPECT_EQ(decoded.made, Text("AB"));
        EXPECT_TRUE(decoded.guardsIntact);
    }
    // Found in the fast path too: a long stream whose 3rd group refers too far.
    Bytes stream = Hex("00 01 02 03 04 05 06 07 08  00 11 12 13 14 15 16 17 18  80 40 F0");
    stream.resize(stream.size() + 40, 0x00);
    const Decoded decoded = Decode(stream, stream.size(), 200, true);
    EXPECT_EQ(decoded.error, LzssError::BeforeStart);
    EXPECT_EQ(decoded.length, 16u);
}

TEST(LzssBounded, StopsAtOutputPastTheEndAndStaysStopped)
{
    // Literals past the end of a 2-byte buffer.
    Decoded decoded = Decode(Hex("00 41 42 43 44"), 1, 2, true);
    EXPECT_EQ(decoded.error, LzssError::PastEnd);
    EXPECT_EQ(decoded.made, Text("AB"));
    EXPECT_TRUE(decoded.guardsIntact);
    // A reference of 4 with room for 3: none of it is written.
    decoded = Decode(Hex("40 41 01 30"), 4, 4, true);
    EXPECT_EQ(decoded.error, LzssError::PastEnd);
    EXPECT_EQ(decoded.length, 1u);
    EXPECT_TRUE(decoded.guardsIntact);
    // A long stream into a buffer one byte short stops at its end.
    const Bytes data = Redundant(5000, 8);
    const Bytes stream = LzssCompress(data.data(), data.size());
    decoded = Decode(stream, stream.size(), data.size() - 1, true);
    EXPECT_EQ(decoded.error, LzssError::PastEnd);
    EXPECT_TRUE(decoded.guardsIntact);
    EXPECT_TRUE(std::equal(decoded.made.begin(), decoded.made.end(), data.begin()));
}

// A buffer of 4 GiB or more: where the output is and the room left are
// judged in the full width of sizes. The buffer is reserved, barely touched.
TEST(LzssBounded, JudgesPositionAndRoomBeyond4GiB)
{
    if (sizeof(size_t) < 8)
        GTEST_SKIP() << "a 32-bit build cannot address such a buffer";
    const size_t size = (size_t(1) << 32) + 8;
    void* reserved = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(reserved, MAP_FAILED);
    uint8_t* const buffer = static_cast<uint8_t*>(reserved);
    auto decode = [&](uint8_t* output, const char* hex) {
        LzssStream decoder;
        LzssBeginBounded(&decoder, buffer, size);
        decoder.output = output;
        const Bytes stream = Hex(hex);
        decoder.input = stream.data();
        decoder.inputLeft = uint32_t(stream.size());
        LzssDecodeStream(&decoder);
        return std::make_pair(decoder.error, size_t(decoder.output - buffer));
    };
    // A literal, then 16 bytes 1 back with 2^32 + 7 bytes of room.
    EXPECT_EQ(decode(buffer, "40 41 01 F0"), std::make_pair(LzssError::None, size_t(17)));
    // A reference 1 back from 2^32 bytes in.
    EXPECT_EQ(decode(buffer + (size_t(1) << 32), "80 01 00"), std::make_pair(LzssError::None, (size_t(1) << 32) + 1));
    munmap(reserved, size);
}

TEST(LzssBounded, AnEmptyBufferTakesNothingEvenWhereItIsNull)
{
    // Two whole groups of literals: long enough for the fast loop.
    const Bytes stream = Hex("00 41 41 41 41 41 41 41 41 00 41 41 41 41 41 41 41 41");
    LzssStream decoder;
    LzssBeginBounded(&decoder, nullptr, 0);
    decoder.input = stream.data();
    decoder.inputLeft = uint32_t(stream.size());
    LzssDecodeStream(&decoder);
    EXPECT_EQ(decoder.error, LzssError::PastEnd);
    EXPECT_EQ(decoder.output, nullptr);
}

TEST(LzssStreams, TwoStreamsDecodeSideBySide)
{
    const Bytes first = Redundant(3000, 6), second = Redundant(2000, 3);
    const Bytes firstStream = LzssCompress(first.data(), first.size());
    const Bytes secondStream = LzssCompress(second.data(), second.size());
    Bytes a(first.size()), b(second.size());
    LzssStream one, two;
    LzssBegin(&one, a.data());
    LzssBegin(&two, b.data());
    for (size_t at = 0; at < std::max(firstStream.size(), secondStream.size()); at += 5) {
        if (at < firstStream.size()) {
            one.input = firstStream.data() + at;
            one.inputLeft = uint32_t(std::min<size_t>(5, firstStream.size() - at));
            LzssDecodeStream(&one);
        }
        if (at < secondStream.size()) {
            two.input = secondStream.data() + at;
            two.inputLeft = uint32_t(std::min<size_t>(5, secondStream.size() - at));
            LzssDecodeStream(&two);
        }
    }
    EXPECT_TRUE(a == first);
    EXPECT_TRUE(b == second);
}

}  // namespace
