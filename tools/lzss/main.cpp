// lzss: packs and unpacks LZSS streams for people who pack game data.
//
//   lzss compress IN OUT
//   lzss decompress IN OUT --size N [--chunk K]
//
// The stream has no length of its own, so decompress is told the size N it
// must come to; --chunk feeds the decoder K bytes at a time, as a program
// reading from a slow medium would. IN and OUT may be - for standard input
// and output.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "../../picture/lzss.h"
#include "cli.h"
#include "whole_file.h"

namespace {

const Tool kLzss{"lzss",
                 "usage: lzss compress IN OUT\n"
                 "       lzss decompress IN OUT --size N [--chunk K]\n",
                 "  compress     packs IN into an LZSS stream\n"
                 "  decompress   unpacks the stream IN, which must come to N bytes; --chunk\n"
                 "               feeds the decoder K bytes a call\n"
                 "  IN and OUT may be - for standard input and output. OUT is replaced only\n"
                 "  when whole; an input that is a folder, a device or larger than 1 GiB is\n"
                 "  refused, and so is a size N that the stream's length cannot reach.\n"
                 "  Exit status: 0 done, 1 failed, 2 wrong command line.\n"
                 "  --help, --version\n",
                 {},
                 {"--size", "--chunk"}};

constexpr uint64_t kLargestSize = 1ull << 32;
constexpr uint64_t kLargestChunk = 1ull << 31;

int Compress(const std::string& in, const std::string& out)
{
    std::vector<uint8_t> data;
    std::string error;
    if (!ReadInput(in, kLargestInput, &data, &error) ||
        !WriteOutput(out, LzssCompress(data.data(), data.size()), &error))
        return Fail(error);
    return 0;
}

// Reads a stream whose length fits `size`: any other is refused before the
// output is allocated.
bool ReadStream(const std::string& in, uint64_t size, std::vector<uint8_t>* stream, std::string* error)
{
    if (!ReadInput(in, kLargestInput, stream, error))
        return false;
    const uint64_t length = stream->size();
    if (length > LzssLongestStream(size))
        *error = Shown(in) + ": the stream decodes to more than " + std::to_string(size) + " bytes: at " +
            std::to_string(length) + " bytes it is longer than any stream of that many";
    else if (LzssMostDecoded(length) < size)
        *error = Shown(in) + ": a stream of " + std::to_string(length) + " bytes decodes to at most " +
            std::to_string(LzssMostDecoded(length)) + " bytes, not " + std::to_string(size);
    else
        return true;
    return false;
}

std::string DecodeError(const std::string& in, const LzssStream& decoder, size_t made, size_t size)
{
    if (decoder.error == LzssError::BeforeStart)
        return Shown(in) + ": a reference reaches before the start of the data (after " + std::to_string(made) +
            " bytes): the stream is damaged";
    if (decoder.error == LzssError::PastEnd)
        return Shown(in) + ": the stream decodes to more than " + std::to_string(size) + " bytes";
    return Shown(in) + ": the stream decodes to " + std::to_string(made) + " bytes, not " + std::to_string(size);
}

int Decompress(const std::string& in, const std::string& out, size_t size, size_t chunk)
{
    std::vector<uint8_t> stream;
    std::string error;
    if (!ReadStream(in, size, &stream, &error))
        return Fail(error);
    std::vector<uint8_t> data(size);
    LzssStream decoder;
    LzssBeginBounded(&decoder, data.data(), data.size());
    for (size_t at = 0; at < stream.size() && decoder.error == LzssError::None; at += chunk) {
        decoder.input = stream.data() + at;
        decoder.inputLeft = uint32_t(std::min(chunk, stream.size() - at));
        LzssDecodeStream(&decoder);
    }
    const size_t made = size_t(decoder.output - data.data());
    if (decoder.error != LzssError::None || made != size)
        return Fail(DecodeError(in, decoder, made, size));
    if (!WriteOutput(out, data, &error))
        return Fail(error);
    return 0;
}

int RunDecompress(const CommandLine& line)
{
    uint64_t size = 0, chunk = kLargestChunk;
    if (!line.Has("--size"))
        return UsageError("decompress needs --size N: the stream does not record its length");
    if (!ParseCount(line.options.at("--size"), 0, kLargestSize, &size))
        return UsageError("--size wants a byte count up to " + Grouped(kLargestSize) + ", not " +
                          line.options.at("--size"));
    if (line.Has("--chunk") && !ParseCount(line.options.at("--chunk"), 1, kLargestChunk, &chunk))
        return UsageError("--chunk wants a count from 1 to " + Grouped(kLargestChunk) + ", not " +
                          line.options.at("--chunk"));
    return Decompress(line.operands[1], line.operands[2], size_t(size), size_t(chunk));
}

int Run(const CommandLine& line)
{
    const std::vector<std::string>& operands = line.operands;
    const std::string command = operands.empty() ? "" : operands[0];
    if (command != "compress" && command != "decompress")
        return UsageError(command.empty() ? "no command given" : "unknown command " + command);
    if (operands.size() != 3)
        return UsageError(command + " wants an input and an output, no more");
    if (command == "decompress")
        return RunDecompress(line);
    if (line.Has("--size") || line.Has("--chunk"))
        return UsageError("compress takes no --size or --chunk");
    return Compress(operands[1], operands[2]);
}

}  // namespace

int main(int argc, char** argv) { return RunTool(kLzss, argc, argv, Run); }
