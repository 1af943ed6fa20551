// DecodeRle on the products' pictures against two baselines: the store-bound
// floor, a plain loop that stores the same 4-byte units at the same strided
// addresses; and a plain decoder of the same stream, written straight from
// the format (a unit at a time, a row at a time), which says what the
// shared walk and its run fills buy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "backcg.h"
#include "ratio_reporter.h"
#include "rle.h"

namespace {

struct Product {
    std::vector<uint8_t> resource;
    BackcgPicture picture;
    std::vector<uint32_t> units;  // the decoded units, strip by strip, top row first
};

Product Load(const char* name)
{
    Product product;
    std::ifstream in(std::string(RESOURCES_DIR) + "/" + name + "/backcg.bin", std::ios::binary);
    product.resource.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (CheckBackcg(product.resource.data(), product.resource.size(), &product.picture).status != BackcgStatus::Ok)
        abort();
    const size_t width = product.picture.width, height = product.picture.height;
    std::vector<uint8_t> pixels(width * height);
    DecodeRle(pixels.data(), product.picture.picture, int32_t(width));
    for (size_t strip = 0; strip < width / 4; ++strip)
        for (size_t row = 0; row < height; ++row) {
            uint32_t unit;
            memcpy(&unit, &pixels[row * width + 4 * strip], 4);
            product.units.push_back(unit);
        }
    return product;
}

void Decode(benchmark::State& state, const char* name)
{
    const Product product = Load(name);
    const int32_t width = product.picture.width, height = product.picture.height;
    std::vector<uint8_t> bits(size_t(width) * height);
    for (auto _ : state) {
        DecodeRle(bits.data() + size_t(height - 1) * width, product.picture.picture, -width);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * width * height);
}

uint32_t ReadUnit(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | uint32_t(at[3]) << 24; }

void WriteUnit(uint8_t* at, uint32_t unit)
{
    at[0] = uint8_t(unit), at[1] = uint8_t(unit >> 8), at[2] = uint8_t(unit >> 16), at[3] = uint8_t(unit >> 24);
}

// The format read as written: a literal, then either the next literal or
// its marker and a count, one row stored at a time.
void PlainDecodeRle(uint8_t* dest, const uint8_t* picture, int32_t pitch)
{
    const uint32_t width = picture[0] | picture[1] << 8, height = picture[2] | picture[3] << 8;
    const uint8_t* in = picture + 4;
    for (uint32_t strip = 0; strip < width / 4; ++strip) {
        uint8_t* at = dest + 4 * strip;
        uint32_t rows = height;
        uint32_t literal = ReadUnit(in);
        in += 4;
        for (;;) {
            WriteUnit(at, literal);
            at += pitch;
            if (--rows == 0)
                break;
            const uint32_t next = ReadUnit(in);
            in += 4;
            if (next != literal) {
                literal = next;
                continue;
            }
            uint32_t count = *in++;
            if (count == 0)
                count = 256 + *in++;
            for (uint32_t row = 0; row < count; ++row, at += pitch)
                WriteUnit(at, literal);
            rows -= count;
            if (rows == 0)
                break;
            literal = ReadUnit(in);
            in += 4;
        }
    }
}

void PlainDecode(benchmark::State& state, const char* name)
{
    const Product product = Load(name);
    const int32_t width = product.picture.width, height = product.picture.height;
    std::vector<uint8_t> bits(size_t(width) * height), check(bits.size());
    DecodeRle(check.data() + size_t(height - 1) * width, product.picture.picture, -width);
    for (auto _ : state) {
        PlainDecodeRle(bits.data() + size_t(height - 1) * width, product.picture.picture, -width);
        benchmark::ClobberMemory();
    }
    if (bits != check)
        state.SkipWithError("the plain decoder disagrees with DecodeRle");
    state.SetBytesProcessed(int64_t(state.iterations()) * width * height);
}

void StoreFloor(benchmark::State& state, const char* name)
{
    const Product product = Load(name);
    const int32_t width = product.picture.width, height = product.picture.height;
    std::vector<uint8_t> bits(size_t(width) * height);
    for (auto _ : state) {
        const uint32_t* unit = product.units.data();
        for (int32_t strip = 0; strip < width / 4; ++strip) {
            uint8_t* at = bits.data() + size_t(height - 1) * width + 4 * strip;
            for (int32_t row = 0; row < height; ++row, at -= width)
                memcpy(at, unit++, 4);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * width * height);
}

BENCHMARK_CAPTURE(Decode, Q3, "Q3");
BENCHMARK_CAPTURE(PlainDecode, Q3, "Q3");
BENCHMARK_CAPTURE(StoreFloor, Q3, "Q3");
BENCHMARK_CAPTURE(Decode, KRN, "KRN");
BENCHMARK_CAPTURE(PlainDecode, KRN, "KRN");
BENCHMARK_CAPTURE(StoreFloor, KRN, "KRN");

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    reporter.Compare("Decode/Q3", "StoreFloor/Q3", 1.25, "within 1.25x");
    reporter.Compare("Decode/KRN", "StoreFloor/KRN", 1.25, "within 1.25x");
    const double none = std::numeric_limits<double>::infinity();
    reporter.Compare("Decode/Q3", "PlainDecode/Q3", none, "-");
    reporter.Compare("Decode/KRN", "PlainDecode/KRN", none, "-");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
