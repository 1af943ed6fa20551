// The LZSS decoder on two real corpora from this machine (C++ headers as
// text, the cmake program as binary), decoded in one chunk, in 4 KiB chunks
// and in 1-byte chunks, beside a plain byte-at-a-time decoder and memcpy of
// the output, all in the same run.
#include <benchmark/benchmark.h>

#include <dirent.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "lzss.h"
#include "ratio_reporter.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kCorpusSize = 4 << 20;

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes TextCorpus()
{
    Bytes text;
    const std::string dir = "/usr/include/c++/12/bits/";
    std::vector<std::string> names;
    if (DIR* listing = opendir(dir.c_str())) {
        while (dirent* entry = readdir(listing))
            if (strstr(entry->d_name, ".h"))
                names.push_back(entry->d_name);
        closedir(listing);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const Bytes file = ReadFile(dir + name);
        text.insert(text.end(), file.begin(), file.end());
        if (text.size() >= kCorpusSize)
            break;
    }
    text.resize(std::min(text.size(), kCorpusSize));
    return text;
}

Bytes BinaryCorpus()
{
    Bytes binary = ReadFile("/usr/bin/cmake");
    binary.resize(std::min(binary.size(), kCorpusSize));
    return binary;
}

struct Corpus {
    Bytes data, stream;
};

const Corpus& Get(int which)
{
    static const Corpus corpora[2] = {
        [] {
            Corpus c{TextCorpus(), {}};
            c.stream = LzssCompress(c.data.data(), c.data.size());
            return c;
        }(),
        [] {
            Corpus c{BinaryCorpus(), {}};
            c.stream = LzssCompress(c.data.data(), c.data.size());
            return c;
        }(),
    };
    return corpora[which];
}

// The baseline: the format decoded the plainest way, a byte at a time.
size_t ByteAtATime(const uint8_t* in, size_t size, uint8_t* out)
{
    const uint8_t* end = in + size;
    uint8_t* start = out;
    unsigned flags = 0, bits = 0;
    while (in < end) {
        if (bits == 0) {
            flags = *in++;
            bits = 8;
            continue;
        }
        --bits;
        const bool reference = flags & 0x80;
        flags <<= 1;
        if (!reference) {
            *out++ = *in++;
        } else {
            if (end - in < 2)
                break;
            const unsigned low = *in++, high = *in++;
            const unsigned distance = (high & 0x0F) << 8 | low, length = (high >> 4) + 1;
            for (unsigned i = 0; i < length; ++i, ++out)
                *out = *(out - distance);
        }
    }
    return size_t(out - start);
}

void Report(benchmark::State& state, const Corpus& corpus)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(corpus.data.size()));
}

void Chunked(benchmark::State& state, int which, size_t chunk)
{
    const Corpus& corpus = Get(which);
    Bytes out(corpus.data.size());
    for (auto _ : state) {
        LzssStream stream;
        LzssBegin(&stream, out.data());
        for (size_t at = 0; at < corpus.stream.size(); at += chunk) {
            stream.input = corpus.stream.data() + at;
            stream.inputLeft = uint32_t(std::min(chunk, corpus.stream.size() - at));
            LzssDecodeStream(&stream);
        }
        benchmark::DoNotOptimize(stream.output);
        benchmark::ClobberMemory();
    }
    if (out != corpus.data)
        state.SkipWithError("wrong output");
    Report(state, corpus);
}

void OneChunk(benchmark::State& state, int which) { Chunked(state, which, std::numeric_limits<uint32_t>::max()); }
void Chunks4K(benchmark::State& state, int which) { Chunked(state, which, 4096); }
void Chunks1(benchmark::State& state, int which) { Chunked(state, which, 1); }

void Baseline(benchmark::State& state, int which)
{
    const Corpus& corpus = Get(which);
    Bytes out(corpus.data.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(ByteAtATime(corpus.stream.data(), corpus.stream.size(), out.data()));
        benchmark::ClobberMemory();
    }
    if (out != corpus.data)
        state.SkipWithError("wrong output");
    Report(state, corpus);
}

void Memcpy(benchmark::State& state, int which)
{
    const Corpus& corpus = Get(which);
    Bytes out(corpus.data.size());
    for (auto _ : state) {
        memcpy(out.data(), corpus.data.data(), out.size());
        benchmark::ClobberMemory();
    }
    Report(state, corpus);
}

BENCHMARK_CAPTURE(OneChunk, text, 0);
BENCHMARK_CAPTURE(Chunks4K, text, 0);
BENCHMARK_CAPTURE(Chunks1, text, 0);
BENCHMARK_CAPTURE(Baseline, text, 0);
BENCHMARK_CAPTURE(Memcpy, text, 0);
BENCHMARK_CAPTURE(OneChunk, binary, 1);
BENCHMARK_CAPTURE(Chunks4K, binary, 1);
BENCHMARK_CAPTURE(Chunks1, binary, 1);
BENCHMARK_CAPTURE(Baseline, binary, 1);
BENCHMARK_CAPTURE(Memcpy, binary, 1);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (int which = 0; which < 2; ++which)
        printf("%s corpus: %zu bytes, compressed to %zu (%.1f%%)\n", which ? "binary" : "text", Get(which).data.size(),
               Get(which).stream.size(), 100.0 * double(Get(which).stream.size()) / double(Get(which).data.size()));
    RatioReporter reporter;
    const double none = std::numeric_limits<double>::infinity();
    for (const char* corpus : {"text", "binary"}) {
        const std::string c = corpus;
        reporter.Compare("OneChunk/" + c, "Baseline/" + c, 0.4, "at most 0.4 (2.5x the baseline)");
        reporter.Compare("Chunks4K/" + c, "OneChunk/" + c, 1 / 0.9, "at most 1.11 (0.9 of one chunk)");
        reporter.Compare("Chunks1/" + c, "OneChunk/" + c, none, "-");
        reporter.Compare("OneChunk/" + c, "Memcpy/" + c, none, "-");
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
