#include "iso_tree.h"

#include <cstring>

#include "disc_names.h"

namespace {

constexpr uint64_t kSector = 2048;
constexpr uint32_t kFirstDescriptor = 16;
constexpr uint64_t kRootRecord = 156;      // in a volume descriptor
constexpr uint64_t kEscapeSequences = 88;  // a supplementary descriptor's, which mark Joliet
constexpr uint64_t kShortestRecord = 34;
constexpr int kDeepestWalk = 64;  // far below any loop's end

struct Reader {
    const std::vector<uint8_t>& image;
    IsoTree tree;
    std::vector<IsoTreeFile>* files;

    bool Has(uint64_t at, uint64_t size) const { return at <= image.size() && size <= image.size() - at; }
    uint32_t U32(uint64_t at) const
    {
        return image[at] | image[at + 1] << 8 | image[at + 2] << 16 | uint32_t(image[at + 3]) << 24;
    }

    bool IsJoliet(uint64_t descriptor) const
    {
        const uint8_t* escape = &image[descriptor + kEscapeSequences];
        return escape[0] == '%' && escape[1] == '/' && (escape[2] == '@' || escape[2] == 'C' || escape[2] == 'E');
    }

    // The root directory record of the tree's volume descriptor.
    bool FindRoot(uint64_t* record) const
    {
        const uint8_t wanted = tree == IsoTree::Primary ? 1 : 2;
        for (uint64_t at = kFirstDescriptor * kSector; Has(at, kSector); at += kSector) {
            if (memcmp(&image[at + 1], "CD001", 5) != 0 || image[at] == 255)
                return false;
            if (image[at] == wanted && (tree == IsoTree::Primary || IsJoliet(at))) {
                *record = at + kRootRecord;
                return true;
            }
        }
        return false;
    }

    bool ReadDirectory(uint64_t record, const std::string& path, int depth)
    {
        const uint64_t start = U32(record + 2) * kSector, size = U32(record + 10);
        if (depth > kDeepestWalk || !Has(start, size))
            return false;
        for (uint64_t at = start; at < start + size;) {
            const uint64_t length = image[at];
            if (length == 0) {  // records do not cross sectors
                at = (at / kSector + 1) * kSector;
                continue;
            }
            if (length < kShortestRecord || at + length > start + size)
                return false;
            const uint64_t nameLength = image[at + 32];
            if (33 + nameLength > length)
                return false;
            const std::string recorded(reinterpret_cast<const char*>(&image[at + 33]), nameLength);
            const bool selfOrParent = nameLength == 1 && (recorded[0] == 0 || recorded[0] == 1);
            if (!selfOrParent && !AddRecord(at, path, recorded, depth))
                return false;
            at += length;
        }
        return true;
    }

    bool AddRecord(uint64_t record, const std::string& parent, const std::string& recorded, int depth)
    {
        std::string name = recorded.substr(0, recorded.find(';'));
        if (tree == IsoTree::Joliet && !JolietToUtf8(recorded, &name))
            return false;
        const std::string path = parent.empty() ? name : parent + "/" + name;
        if (image[record + 25] & 2)  // a directory
            return ReadDirectory(record, path, depth + 1);
        files->push_back({path, U32(record + 2), U32(record + 10)});
        return true;
    }
};

}  // namespace

bool ReadIsoTree(const std::vector<uint8_t>& image, IsoTree tree, std::vector<IsoTreeFile>* files)
{
    Reader reader{image, tree, files};
    uint64_t root;
    files->clear();
    return reader.FindRoot(&root) && reader.ReadDirectory(root, "", 0);
}
