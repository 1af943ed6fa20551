// lzss: packs and unpacks LZSS streams for people who pack game data.
//
//   lzss compress IN OUT
//   lzss decompress IN OUT --size N [--chunk K]
//
// The stream has no length of its own, so decompress is told the size N it
// must come to; --chunk feeds the decoder K bytes at a time, as a program
// reading from a slow medium would.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../picture/lzss.h"

namespace {

int Fail(const std::string& message)
{
    fprintf(stderr, "lzss: %s\n", message.c_str());
    return 1;
}

// On standard output when asked for with --help, else as an error.
int Usage(bool asked = false)
{
    fprintf(asked ? stdout : stderr,
            "usage: lzss compress IN OUT\n"
            "       lzss decompress IN OUT --size N [--chunk K]\n");
    return asked ? 0 : 2;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

// A whole decimal number from `min` up, or false.
bool ParseCount(const char* text, unsigned long long min, unsigned long long max, unsigned long long* value)
{
    char* end = nullptr;
    errno = 0;
    if (!*text || *text == '-')
        return false;
    *value = strtoull(text, &end, 10);
    return errno == 0 && *end == '\0' && *value >= min && *value <= max;
}

int Compress(const std::string& in, const std::string& out)
{
    std::vector<uint8_t> data;
    if (!ReadFile(in, &data))
        return Fail("cannot read " + in);
    if (!WriteFile(out, LzssCompress(data.data(), data.size())))
        return Fail("cannot write " + out);
    return 0;
}

int Decompress(const std::string& in, const std::string& out, size_t size, size_t chunk)
{
    std::vector<uint8_t> stream;
    if (!ReadFile(in, &stream))
        return Fail("cannot read " + in);
    std::vector<uint8_t> data(size);
    LzssStream decoder;
    LzssBeginBounded(&decoder, data.data(), data.size());
    for (size_t at = 0; at < stream.size() && decoder.error == LzssError::None; at += chunk) {
        decoder.input = stream.data() + at;
        decoder.inputLeft = uint32_t(std::min(chunk, stream.size() - at));
        LzssDecodeStream(&decoder);
    }
    const size_t made = size_t(decoder.output - data.data());
    if (decoder.error == LzssError::BeforeStart)
        return Fail(in + ": a reference reaches before the start of the data (after " + std::to_string(made) +
                    " bytes): the stream is damaged");
    if (decoder.error == LzssError::PastEnd)
        return Fail(in + ": the stream decodes to more than " + std::to_string(size) + " bytes");
    if (made != size)
        return Fail(in + ": the stream decodes to " + std::to_string(made) + " bytes, not " + std::to_string(size));
    if (!WriteFile(out, data))
        return Fail("cannot write " + out);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--help") == 0)
        return Usage(true);
    if (argc == 4 && strcmp(argv[1], "compress") == 0)
        return Compress(argv[2], argv[3]);
    if (argc < 4 || strcmp(argv[1], "decompress") != 0)
        return Usage();

    unsigned long long size = 0, chunk = 0;
    bool haveSize = false;
    for (int i = 4; i < argc; i += 2) {
        if (i + 1 >= argc)
            return Usage();
        if (strcmp(argv[i], "--size") == 0) {
            if (!ParseCount(argv[i + 1], 0, 1ull << 32, &size))
                return Fail(std::string("--size wants a byte count, not ") + argv[i + 1]);
            haveSize = true;
        } else if (strcmp(argv[i], "--chunk") == 0) {
            if (!ParseCount(argv[i + 1], 1, 1ull << 31, &chunk))
                return Fail(std::string("--chunk wants a count of at least 1, not ") + argv[i + 1]);
        } else {
            return Usage();
        }
    }
    if (!haveSize)
        return Fail("decompress needs --size N: the stream does not record its length");
    return Decompress(argv[2], argv[3], size_t(size), chunk ? size_t(chunk) : size_t(1) << 31);
}
