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
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "interleaved.h"
#include "lzss.h"

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

// Checks the case's output once before it is timed.
Prepared Checked(const Corpus& corpus, Bytes* out, std::function<void()> iteration)
{
    iteration();
    if (*out != corpus.data)
        throw std::runtime_error("wrong output");
    return {std::move(iteration), int64_t(corpus.data.size())};
}

void DecodeInChunks(const Bytes& in, uint8_t* out, size_t chunk)
{
    LzssStream stream;
    LzssBegin(&stream, out);
    for (size_t at = 0; at < in.size(); at += chunk) {
        stream.input = in.data() + at;
        stream.inputLeft = uint32_t(std::min(chunk, in.size() - at));
        LzssDecodeStream(&stream);
    }
    benchmark::DoNotOptimize(stream.output);
}

Prepared Chunked(int which, size_t chunk)
{
    const Corpus& corpus = Get(which);
    auto out = std::make_shared<Bytes>(corpus.data.size());
    return Checked(corpus, out.get(), [&corpus, out, chunk] { DecodeInChunks(corpus.stream, out->data(), chunk); });
}

Prepared OneChunk(int which) { return Chunked(which, std::numeric_limits<uint32_t>::max()); }
Prepared Chunks4K(int which) { return Chunked(which, 4096); }
Prepared Chunks1(int which) { return Chunked(which, 1); }

Prepared Baseline(int which)
{
    const Corpus& corpus = Get(which);
    auto out = std::make_shared<Bytes>(corpus.data.size());
    return Checked(corpus, out.get(), [&corpus, out] {
        benchmark::DoNotOptimize(ByteAtATime(corpus.stream.data(), corpus.stream.size(), out->data()));
    });
}

Prepared Memcpy(int which)
{
    const Corpus& corpus = Get(which);
    auto out = std::make_shared<Bytes>(corpus.data.size());
    return Checked(corpus, out.get(), [&corpus, out] { memcpy(out->data(), corpus.data.data(), out->size()); });
}

}  // namespace

int main(int argc, char** argv)
{
    InterleavedBench bench;
    const double none = std::numeric_limits<double>::infinity();
    for (int which = 0; which < 2; ++which) {
        const std::string c = which ? "binary" : "text";
        bench.Case("OneChunk/" + c, [which] { return OneChunk(which); });
        bench.Case("Chunks4K/" + c, [which] { return Chunks4K(which); });
        bench.Case("Chunks1/" + c, [which] { return Chunks1(which); });
        bench.Case("Baseline/" + c, [which] { return Baseline(which); });
        bench.Case("Memcpy/" + c, [which] { return Memcpy(which); });
        bench.Compare("OneChunk/" + c, "Baseline/" + c, 0.4, "at most 0.4 (2.5x the baseline)");
        bench.Compare("Chunks4K/" + c, "OneChunk/" + c, 1 / 0.9, "at most 1.11 (0.9 of one chunk)");
        bench.Compare("Chunks1/" + c, "OneChunk/" + c, none, "-");
        bench.Compare("OneChunk/" + c, "Memcpy/" + c, none, "-");
    }
    for (int which = 0; which < 2; ++which)
        printf("%s corpus: %zu bytes, compressed to %zu (%.1f%%)\n", which ? "binary" : "text", Get(which).data.size(),
               Get(which).stream.size(), 100.0 * double(Get(which).stream.size()) / double(Get(which).data.size()));
    return bench.Main(argc, argv);
}
