// DecodeRle on the products' pictures against the store-bound floor: a plain
// loop that stores the same 4-byte units at the same strided addresses.
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <iterator>
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
BENCHMARK_CAPTURE(StoreFloor, Q3, "Q3");
BENCHMARK_CAPTURE(Decode, KRN, "KRN");
BENCHMARK_CAPTURE(StoreFloor, KRN, "KRN");

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    reporter.Compare("Decode/Q3", "StoreFloor/Q3", 1.25, "within 1.25x");
    reporter.Compare("Decode/KRN", "StoreFloor/KRN", 1.25, "within 1.25x");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
