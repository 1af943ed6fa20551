#include "png_io.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// libpng reports errors by longjmp; its message is kept for the caller.
void OnPngError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) { }

}  // namespace

bool ReadPng(const std::string& path, Image* image, std::string* error)
{
    File file(fopen(path.c_str(), "rb"));
    if (!file) {
        *error = "cannot open " + path;
        return false;
    }
    uint8_t signature[8];
    if (fread(signature, 1, sizeof signature, file.get()) != sizeof signature || png_sig_cmp(signature, 0, 8) != 0) {
        *error = path + " is not a PNG file";
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, error, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        *error = "out of memory";
        return false;
    }
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        *error = path + ": " + *error;
        return false;
    }
    png_init_io(png, file.get());
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, 65535, 65535);
    png_read_info(png, info);

    const int colourType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    image->width = png_get_image_width(png, info);
    image->height = png_get_image_height(png, info);
    image->indexed = colourType == PNG_COLOR_TYPE_PALETTE;
    if (image->indexed) {
        if (depth < 8)
            png_set_packing(png);
        png_colorp entries;
        int count = 0;
        png_get_PLTE(png, info, &entries, &count);
        for (int i = 0; i < count; ++i)
            image->palette.push_back({entries[i].red, entries[i].green, entries[i].blue});
    } else {
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_strip_alpha(png);
        png_set_gray_to_rgb(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const size_t stride = png_get_rowbytes(png, info);
    const size_t bytesPerPixel = image->indexed ? 1 : 3;
    if (stride != image->width * bytesPerPixel)
        png_error(png, "unexpected row layout");
    std::vector<uint8_t> pixels(stride * image->height);
    rows.resize(image->height);
    for (uint32_t y = 0; y < image->height; ++y)
        rows[y] = pixels.data() + y * stride;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    if (image->indexed) {
        image->indices = std::move(pixels);
    } else {
        image->colours.resize(size_t(image->width) * image->height);
        for (size_t i = 0; i < image->colours.size(); ++i)
            image->colours[i] = {pixels[3 * i], pixels[3 * i + 1], pixels[3 * i + 2]};
    }
    return true;
}

bool WriteIndexedPng(const std::string& path, uint32_t width, uint32_t height, const std::vector<Rgb>& palette,
                     const uint8_t* indices, std::string* error)
{
    File file(fopen(path.c_str(), "wb"));
    if (!file) {
        *error = "cannot create " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        *error = "out of memory";
        return false;
    }
    std::vector<png_color> entries;
    for (const Rgb& colour : palette)
        entries.push_back({colour.red, colour.green, colour.blue});
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        *error = path + ": " + *error;
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, entries.data(), int(entries.size()));
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; ++y)
        png_write_row(png, indices + size_t(y) * width);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (fflush(file.get()) != 0) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}
