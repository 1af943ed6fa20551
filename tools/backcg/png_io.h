// PNG files through libpng, for the picture tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t red, green, blue;
};

// An 8-bit picture: palette indices with their palette, or true colour.
struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    bool indexed = false;
    std::vector<Rgb> palette;      // indexed: up to 256 entries
    std::vector<uint8_t> indices;  // indexed: width x height, top row first
    std::vector<Rgb> colours;      // true colour: width x height, top row first
};

// Reads any PNG ("-": standard input): palette images keep their indices
// (bit depths below 8 are widened), everything else becomes 8-bit RGB. A
// picture with transparency (alpha below 255, from an alpha channel or a
// tRNS chunk), or with an index past its palette, is refused: it cannot be
// kept as it is. libpng's warnings are shown. A header that claims more
// pixels than the file's compressed pixels (its IDAT chunks) can unpack to
// is refused before anything is allocated. On failure returns false with a
// message in `error`.
bool ReadPng(const std::string& path, Image* image, std::string* error);

// Writes an 8-bit palette PNG of width x height indices ("-": standard
// output), in place only when whole.
bool WriteIndexedPng(const std::string& path, uint32_t width, uint32_t height, const std::vector<Rgb>& palette,
                     const uint8_t* indices, std::string* error);
