// DecodeRle on the products' pictures against two baselines: the store-bound
// floor, a plain loop that stores the same 4-byte units at the same strided
// addresses; and a plain decoder of the same stream, written straight from
// the format (a unit at a time, a row at a time), which says what the
// shared walk and its run fills buy.
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "backcg.h"
#include "interleaved.h"
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

// Shared by the iteration's copies, as the picture points into the resource.
std::shared_ptr<const Product> Get(const char* name) { return std::make_shared<const Product>(Load(name)); }

Prepared Decode(const char* name)
{
    const std::shared_ptr<const Product> product = Get(name);
    const int32_t width = product->picture.width, height = product->picture.height;
    return {[product, width, height, bits = std::vector<uint8_t>(size_t(width) * height)]() mutable {
                DecodeRle(bits.data() + size_t(height - 1) * width, product->picture.picture, -width);
            },
            int64_t(width) * height};
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

Prepared PlainDecode(const char* name)
{
    const std::shared_ptr<const Product> product = Get(name);
    const int32_t width = product->picture.width, height = product->picture.height;
    std::vector<uint8_t> bits(size_t(width) * height), check(bits.size());
    DecodeRle(check.data() + size_t(height - 1) * width, product->picture.picture, -width);
    PlainDecodeRle(bits.data() + size_t(height - 1) * width, product->picture.picture, -width);
    if (bits != check)
        throw std::runtime_error("the plain decoder disagrees with DecodeRle");
    return {[product, width, height, bits = std::move(bits)]() mutable {
                PlainDecodeRle(bits.data() + size_t(height - 1) * width, product->picture.picture, -width);
            },
            int64_t(width) * height};
}

// The decoded units stored in the decoder's order, as DecodeRle is called.
void StoreUnits(uint8_t* dest, const uint32_t* unit, int32_t width, int32_t height, int32_t pitch)
{
    for (int32_t strip = 0; strip < width / 4; ++strip) {
        uint8_t* at = dest + 4 * strip;
        for (int32_t row = 0; row < height; ++row, at += pitch)
            memcpy(at, unit++, 4);
    }
}

Prepared StoreFloor(const char* name)
{
    const std::shared_ptr<const Product> product = Get(name);
    const int32_t width = product->picture.width, height = product->picture.height;
    return {[product, width, height, bits = std::vector<uint8_t>(size_t(width) * height)]() mutable {
                StoreUnits(bits.data() + size_t(height - 1) * width, product->units.data(), width, height, -width);
            },
            int64_t(width) * height};
}

}  // namespace

int main(int argc, char** argv)
{
    InterleavedBench bench;
    for (const char* product : {"Q3", "KRN"}) {
        const std::string p = product;
        bench.Case("Decode/" + p, [product] { return Decode(product); });
        bench.Case("PlainDecode/" + p, [product] { return PlainDecode(product); });
        bench.Case("StoreFloor/" + p, [product] { return StoreFloor(product); });
    }
    bench.Compare("Decode/Q3", "StoreFloor/Q3", 1.25, "within 1.25x");
    bench.Compare("Decode/KRN", "StoreFloor/KRN", 1.25, "within 1.25x");
    const double none = std::numeric_limits<double>::infinity();
    bench.Compare("Decode/Q3", "PlainDecode/Q3", none, "-");
    bench.Compare("Decode/KRN", "PlainDecode/KRN", none, "-");
    return bench.Main(argc, argv);
}
