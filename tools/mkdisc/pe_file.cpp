#include "pe_file.h"

namespace {

// A bounds-checked little-endian view of the file.
struct Bytes {
    const std::vector<uint8_t>& file;
    bool Has(uint64_t offset, uint64_t size) const { return offset <= file.size() && size <= file.size() - offset; }
    uint32_t U16(uint64_t at) const { return file[at] | file[at + 1] << 8; }
    uint32_t U32(uint64_t at) const { return U16(at) | U16(at + 2) << 16; }
};

constexpr uint32_t kResourceTable = 2;  // data directory entry
constexpr uint32_t kStringType = 6;     // RT_STRING
constexpr uint32_t kSubdirectory = 0x80000000u;

// Where the resource section starts in the file, and the RVA it starts at.
struct ResourceSection {
    uint64_t fileOffset;
    uint32_t rva, size;
};

// Where the "PE\0\0" signature and the file header after it start.
bool FindNtHeaders(const Bytes& pe, uint64_t* nt)
{
    if (!pe.Has(0, 64) || pe.U16(0) != 0x5A4D)  // "MZ"
        return false;
    *nt = pe.U32(0x3C);
    return pe.Has(*nt, 24) && pe.U32(*nt) == 0x00004550;  // "PE\0\0"
}

bool FindResources(const Bytes& pe, ResourceSection* found)
{
    uint64_t nt;
    if (!FindNtHeaders(pe, &nt))
        return false;
    const uint32_t sections = pe.U16(nt + 6), optionalSize = pe.U16(nt + 20);
    const uint64_t optional = nt + 24;
    if (!pe.Has(optional, 2))
        return false;
    // PE32 and PE32+ keep their data directories at different offsets.
    const uint32_t magic = pe.U16(optional);
    const uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
    const uint64_t entry = directories + 8 * kResourceTable;
    if (magic != 0x10B && magic != 0x20B)
        return false;
    if (entry + 8 > optional + optionalSize || !pe.Has(entry, 8))
        return false;
    const uint32_t rva = pe.U32(entry), size = pe.U32(entry + 4);
    for (uint32_t i = 0; i < sections; ++i) {
        const uint64_t header = optional + optionalSize + 40 * uint64_t(i);
        if (!pe.Has(header, 40))
            return false;
        const uint32_t start = pe.U32(header + 12), length = pe.U32(header + 16), raw = pe.U32(header + 20);
        if (rva >= start && rva - start < length) {
            *found = {raw + uint64_t(rva - start), rva, size};
            return true;
        }
    }
    return false;
}

// The entry of a resource directory that matches `id`, or the first one
// when `id` is 0; its offset (within the section) and its subdirectory bit.
bool FindEntry(const Bytes& pe, const ResourceSection& section, uint32_t directory, uint32_t id, uint32_t* target)
{
    const uint64_t at = section.fileOffset + directory;
    if (!pe.Has(at, 16) || directory > section.size)
        return false;
    const uint32_t count = pe.U16(at + 12) + pe.U16(at + 14);
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = at + 16 + 8 * uint64_t(i);
        if (!pe.Has(entry, 8))
            return false;
        if (id == 0 || pe.U32(entry) == id) {
            *target = pe.U32(entry + 4);
            return true;
        }
    }
    return false;
}

}  // namespace

bool ReadMachine(const std::vector<uint8_t>& program, uint16_t* machine)
{
    const Bytes pe{program};
    uint64_t nt;
    if (!FindNtHeaders(pe, &nt))
        return false;
    *machine = uint16_t(pe.U16(nt + 4));
    return true;
}

bool ReadStringResource(const std::vector<uint8_t>& program, uint16_t id, std::u16string* text)
{
    const Bytes pe{program};
    ResourceSection section;
    if (!FindResources(pe, &section))
        return false;
    // Type, then the block of 16 strings that holds `id`, then its first language.
    uint32_t types, block, language;
    if (!FindEntry(pe, section, 0, kStringType, &types) || !(types & kSubdirectory) ||
        !FindEntry(pe, section, types & ~kSubdirectory, id / 16u + 1, &block) || !(block & kSubdirectory) ||
        !FindEntry(pe, section, block & ~kSubdirectory, 0, &language) || (language & kSubdirectory))
        return false;
    const uint64_t dataEntry = section.fileOffset + language;
    if (language > section.size || !pe.Has(dataEntry, 8))
        return false;
    const uint32_t dataRva = pe.U32(dataEntry), dataSize = pe.U32(dataEntry + 4);
    if (dataRva < section.rva)
        return false;
    const uint64_t data = section.fileOffset + (dataRva - section.rva);
    if (!pe.Has(data, dataSize))
        return false;
    // 16 strings, each a length and that many UTF-16 units.
    uint64_t at = data;
    const uint64_t end = data + dataSize;
    for (uint32_t index = 0; index <= id % 16u; ++index) {
        if (at + 2 > end)
            return false;
        const uint32_t length = pe.U16(at);
        at += 2;
        if (2 * uint64_t(length) > end - at)
            return false;
        if (index == id % 16u) {
            text->clear();
            for (uint32_t i = 0; i < length; ++i)
                text->push_back(char16_t(pe.U16(at + 2 * uint64_t(i))));
            return length > 0;
        }
        at += 2 * uint64_t(length);
    }
    return false;
}
