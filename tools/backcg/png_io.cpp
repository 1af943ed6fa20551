#include "png_io.h"

#include <png.h>

#include <algorithm>
#include <cstring>

#include "cli.h"
#include "whole_file.h"

namespace {

// Deflate turns one byte into at most 1,032: the most a PNG's compressed
// data of a given size can unpack to.
constexpr uint64_t kDeflateMostRatio = 1032;

// Where libpng's messages about a file go: an error is kept for the
// caller (libpng reports it by longjmp), a warning is shown.
struct PngMessages {
    std::string file;
    std::string* error;
};

void OnPngError(png_structp png, png_const_charp message)
{
    auto* messages = static_cast<PngMessages*>(png_get_error_ptr(png));
    *messages->error = messages->file + ": " + message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp png, png_const_charp message)
{
    Warn(static_cast<PngMessages*>(png_get_error_ptr(png))->file + ": " + message);
}

struct Unread {
    const uint8_t* at;
    size_t left;
};

void ReadFromMemory(png_structp png, png_bytep into, png_size_t size)
{
    auto* unread = static_cast<Unread*>(png_get_io_ptr(png));
    if (size > unread->left)
        png_error(png, "the file ends early");
    std::copy(unread->at, unread->at + size, into);
    unread->at += size;
    unread->left -= size;
}

void WriteToMemory(png_structp png, png_bytep data, png_size_t size)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + size);
}

void Flush(png_structp) { }

// The bytes of compressed pixels: libpng unpacks the rows from the first
// run of IDAT chunks alone, whatever else the file holds (a private chunk,
// bytes after IEND).
uint64_t CompressedBytes(const std::vector<uint8_t>& file)
{
    uint64_t total = 0;
    for (uint64_t at = 8; at + 8 <= file.size();) {
        const uint64_t length = png_get_uint_32(&file[at]);
        if (memcmp(&file[at + 4], "IDAT", 4) == 0)
            total += std::min(length, file.size() - at - 8);
        else if (total > 0)
            break;
        at += length + 12;  // length, type, data and CRC
    }
    return total;
}

// Every row of the file's own pixels, each with its filter byte, comes out
// of the compressed pixels, so a claim of more is false. The rows the tool
// widens them to are a fixed multiple of that (a bit of grey becomes bytes
// of colour): counting those against the compressed bytes instead would
// refuse plain pictures, such as a black one of 1 bit a pixel.
bool ClaimFits(png_structp png, png_infop info, uint64_t compressed)
{
    const uint64_t rows = png_get_image_height(png, info);
    return rows * (uint64_t(png_get_rowbytes(png, info)) + 1) <= kDeflateMostRatio * compressed;
}

void SetUpTransforms(png_structp png, png_infop info, Image* image)
{
    const int colourType = png_get_color_type(png, info);
    image->width = png_get_image_width(png, info);
    image->height = png_get_image_height(png, info);
    image->indexed = colourType == PNG_COLOR_TYPE_PALETTE;
    if (image->indexed) {
        if (png_get_bit_depth(png, info) < 8)
            png_set_packing(png);
        png_colorp entries;
        int count = 0;
        png_get_PLTE(png, info, &entries, &count);
        for (int i = 0; i < count; ++i)
            image->palette.push_back({entries[i].red, entries[i].green, entries[i].blue});
    } else {
        // Red, green, blue and alpha, which is opaque where the file has
        // none, so that any transparency (tRNS among it) shows. 16-bit
        // samples stay so until the alpha is checked whole.
        png_set_expand(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFFFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Bytes of a sample as read: 2 in a 16-bit PNG (big-endian), else 1.
size_t SampleBytes(png_structp png, png_infop info) { return png_get_bit_depth(png, info) == 16 ? 2 : 1; }

// Sample `i` of the pixels as read.
unsigned Sample(const std::vector<uint8_t>& pixels, size_t i, size_t bytes)
{
    return bytes == 2 ? unsigned(pixels[2 * i]) << 8 | pixels[2 * i + 1] : pixels[i];
}

// Decodes into `pixels` through `rows`, which the caller owns: a libpng
// error jumps past this function's frame.
void ReadPixels(png_structp png, png_infop info, const Image& image, std::vector<uint8_t>* pixels,
                std::vector<png_bytep>* rows)
{
    const size_t stride = png_get_rowbytes(png, info);
    if (stride != image.width * (image.indexed ? 1 : 4 * SampleBytes(png, info)))
        png_error(png, "unexpected row layout");
    pixels->resize(stride * image.height);
    rows->resize(image.height);
    for (uint32_t y = 0; y < image.height; ++y)
        (*rows)[y] = pixels->data() + y * stride;
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
}

// Why the picture cannot be kept as the file has it, or "": a picture
// resource has no transparency, and the tool invents no colour for an
// index past the palette.
std::string Unkept(png_structp png, png_infop info, const Image& image, const std::vector<uint8_t>& pixels)
{
    png_bytep alphas = nullptr;  // the palette's, from tRNS
    int alphaCount = 0;
    if (image.indexed)
        png_get_tRNS(png, info, &alphas, &alphaCount, nullptr);
    const size_t bytes = image.indexed ? 1 : SampleBytes(png, info);
    const unsigned opaque = bytes == 2 ? 0xFFFF : 0xFF;
    const size_t count = size_t(image.width) * image.height;
    for (size_t i = 0; i < count; ++i) {
        const bool past = image.indexed && pixels[i] >= image.palette.size();
        const unsigned alpha = !image.indexed ? Sample(pixels, 4 * i + 3, bytes)
            : pixels[i] < alphaCount          ? alphas[pixels[i]]
                                              : 0xFF;
        if (!past && alpha == opaque)
            continue;
        const std::string at =
            "the pixel at " + std::to_string(i % image.width) + ", " + std::to_string(i / image.width);
        if (past)
            return at + " is colour " + std::to_string(pixels[i]) + ", but the palette has only " +
                std::to_string(image.palette.size()) + ": the file does not say which colour that is";
        return at + " is not opaque (alpha " + std::to_string(alpha) + (bytes == 2 ? " of 65535" : "") +
            "): a picture resource has no transparency";
    }
    return "";
}

// 16-bit samples are scaled to 8 bits, to the nearest level: cutting the
// low byte would darken many a colour by one.
void Keep(std::vector<uint8_t>* pixels, size_t bytes, Image* image)
{
    if (image->indexed) {
        image->indices = std::move(*pixels);
        return;
    }
    const auto level = [&](size_t i) { return uint8_t((Sample(*pixels, i, bytes) * 255 + 0x7FFF) / 0xFFFF); };
    const auto byte = [&](size_t i) { return bytes == 2 ? level(i) : (*pixels)[i]; };
    image->colours.resize(size_t(image->width) * image->height);
    for (size_t i = 0; i < image->colours.size(); ++i)
        image->colours[i] = {byte(4 * i), byte(4 * i + 1), byte(4 * i + 2)};
}

}  // namespace

bool ReadPng(const std::string& path, Image* image, std::string* error)
{
    std::vector<uint8_t> file;
    if (!ReadInput(path, kLargestInput, &file, error))
        return false;
    if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) {
        *error = Shown(path) + " is not a PNG file";
        return false;
    }
    PngMessages messages{Shown(path), error};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &messages, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        *error = "out of memory";
        return false;
    }
    // Kept in this frame, where a libpng error lands without skipping
    // their destructors.
    Unread unread{file.data() + 8, file.size() - 8};
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &unread, ReadFromMemory);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, 65535, 65535);
    png_read_info(png, info);
    const uint64_t compressed = CompressedBytes(file);
    if (!ClaimFits(png, info, compressed)) {
        *error = Shown(path) + ": its header claims " + std::to_string(png_get_image_width(png, info)) + " x " +
            std::to_string(png_get_image_height(png, info)) + " pixels, more than its " + Grouped(compressed) +
            " bytes of compressed pixels (IDAT) can unpack to";
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    SetUpTransforms(png, info, image);
    ReadPixels(png, info, *image, &pixels, &rows);
    const std::string unkept = Unkept(png, info, *image, pixels);
    const size_t bytes = SampleBytes(png, info);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!unkept.empty()) {
        *error = Shown(path) + ": " + unkept;
        return false;
    }
    Keep(&pixels, bytes, image);
    return true;
}

bool WriteIndexedPng(const std::string& path, uint32_t width, uint32_t height, const std::vector<Rgb>& palette,
                     const uint8_t* indices, std::string* error)
{
    PngMessages messages{path, error};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &messages, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        *error = "out of memory";
        return false;
    }
    std::vector<png_color> entries;
    for (const Rgb& colour : palette)
        entries.push_back({colour.red, colour.green, colour.blue});
    std::vector<uint8_t> bytes;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &bytes, WriteToMemory, Flush);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, entries.data(), int(entries.size()));
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; ++y)
        png_write_row(png, indices + size_t(y) * width);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return WriteOutput(path, bytes, error);
}
