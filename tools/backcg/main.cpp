// backcg: makes, unpacks and inspects BACKCG title-picture resources.
//
//   backcg encode IN.png OUT.bin   8-bit palette PNG (true colour is reduced
//                                  to 256 colours) to a BACKCG resource
//   backcg decode IN.bin OUT.png   BACKCG resource to an 8-bit palette PNG
//   backcg info IN.bin             dimensions, palette, stream size, and
//                                  whether the resource is well formed
#include <cstdio>
#include <string>
#include <vector>

#include "../../picture/backcg.h"
#include "../../picture/encode.h"
#include "../../picture/rle.h"
#include "cli.h"
#include "png_io.h"
#include "quantize.h"
#include "whole_file.h"

namespace {

const Tool kBackcg{"backcg",
                   "usage: backcg encode IN.png OUT.bin\n"
                   "       backcg decode IN.bin OUT.png\n"
                   "       backcg info IN.bin\n",
                   "  encode   an 8-bit palette PNG (true colour is reduced to 256 colours) to a\n"
                   "           BACKCG resource; the width a multiple of 4 up to 65532; refused:\n"
                   "           transparency, and a colour index past the palette\n"
                   "  decode   a BACKCG resource to an 8-bit palette PNG\n"
                   "  info     dimensions, palette, stream size, and whether it is well formed\n"
                   "  IN and OUT may be - for standard input and output. OUT is replaced only\n"
                   "  when whole; an input that is a folder, a device or larger than\n"
                   "  1 GiB is refused. Exit status: 0 done, 1 failed, 2 wrong command line.\n"
                   "  --help, --version\n",
                   {},
                   {}};

int Encode(const std::string& in, const std::string& out)
{
    Image image;
    std::string error;
    if (!ReadPng(in, &image, &error))
        return Fail(error);
    if (image.width < 4 || image.width % 4 != 0 || image.width > 65532)
        return Fail(Shown(in) + ": the width must be a multiple of 4 from 4 to 65532, not " +
                    std::to_string(image.width));
    if (image.height < 1 || image.height > 65535)
        return Fail(Shown(in) + ": the height must be from 1 to 65535, not " + std::to_string(image.height));
    if (!image.indexed)
        Quantize(image.colours, &image.palette, &image.indices);
    if (image.palette.size() > 256)
        return Fail(Shown(in) + ": more than 256 palette entries");

    uint8_t palette[kBackcgPaletteSize] = {};
    for (size_t i = 0; i < image.palette.size(); ++i) {
        palette[3 * i] = image.palette[i].blue;
        palette[3 * i + 1] = image.palette[i].green;
        palette[3 * i + 2] = image.palette[i].red;
    }
    const std::vector<uint8_t> picture = EncodeRle(image.indices.data(), uint16_t(image.width), uint16_t(image.height));
    if (!WriteOutput(out, BuildBackcg(palette, picture), &error))
        return Fail(error);
    return 0;
}

std::string Malformed(const std::string& path, const BackcgCheck& check)
{
    return Shown(path) + ": malformed at offset " + std::to_string(check.offset) + ": " + BackcgStatusText(check);
}

// Reads and checks a resource; on failure says where it went wrong.
bool Load(const std::string& path, std::vector<uint8_t>* resource, BackcgPicture* picture, std::string* error)
{
    if (!ReadInput(path, kLargestInput, resource, error))
        return false;
    const BackcgCheck check = CheckBackcg(resource->data(), resource->size(), picture);
    if (check.status != BackcgStatus::Ok) {
        *error = Malformed(path, check);
        return false;
    }
    return true;
}

int Decode(const std::string& in, const std::string& out)
{
    std::vector<uint8_t> resource;
    BackcgPicture picture;
    std::string error;
    if (!Load(in, &resource, &picture, &error))
        return Fail(error);
    std::vector<uint8_t> pixels(size_t(picture.width) * picture.height);
    DecodeRle(pixels.data(), picture.picture, picture.width);
    std::vector<Rgb> palette(256);
    for (size_t i = 0; i < 256; ++i)
        palette[i] = {picture.palette[3 * i + 2], picture.palette[3 * i + 1], picture.palette[3 * i]};
    if (!WriteIndexedPng(out, picture.width, picture.height, palette, pixels.data(), &error))
        return Fail(error);
    return 0;
}

int Info(const std::string& in)
{
    std::vector<uint8_t> resource;
    std::string error;
    if (!ReadInput(in, kLargestInput, &resource, &error))
        return Fail(error);
    BackcgPicture picture;
    const BackcgCheck check = CheckBackcg(resource.data(), resource.size(), &picture);
    printf("file: %s, %zu bytes\n", Shown(in).c_str(), resource.size());
    if (check.status != BackcgStatus::Ok) {
        printf("well formed: no\n");
        return Fail(Malformed(in, check));
    }
    const size_t streamStart = size_t(picture.picture - resource.data()) + kRleHeaderSize;
    printf("dimensions: %u x %u (%u strips)\n", picture.width, picture.height, picture.width / 4u);
    printf("stream: offset %zu, %zu bytes", streamStart, check.offset - streamStart);
    if (check.offset < resource.size())
        printf(", followed by %zu unused bytes", resource.size() - check.offset);
    printf("\nwell formed: yes\npalette (red green blue):\n");
    for (int row = 0; row < 32; ++row) {
        printf("  %3d:", row * 8);
        for (int i = row * 8; i < row * 8 + 8; ++i)
            printf(" %02x%02x%02x", picture.palette[3 * i + 2], picture.palette[3 * i + 1], picture.palette[3 * i]);
        printf("\n");
    }
    return 0;
}

int Run(const CommandLine& line)
{
    const std::vector<std::string>& operands = line.operands;
    const std::string command = operands.empty() ? "" : operands[0];
    if (command == "encode" || command == "decode") {
        if (operands.size() != 3)
            return UsageError(command + " wants an input and an output, no more");
        return command == "encode" ? Encode(operands[1], operands[2]) : Decode(operands[1], operands[2]);
    }
    if (command == "info") {
        if (operands.size() != 2)
            return UsageError("info wants one input, no more");
        return Info(operands[1]);
    }
    return UsageError(command.empty() ? "no command given" : "unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) { return RunTool(kBackcg, argc, argv, Run); }
