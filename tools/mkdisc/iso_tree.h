// Reads the directory trees of an ISO 9660 image held in memory, as a
// reader of the disc lists them: the primary tree, and the Joliet tree that
// Windows reads. The disc tool reads a small stand-in of each disc with it,
// to see where every file lands before the real image is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class IsoTree { Primary, Joliet };

struct IsoTreeFile {
    std::string path;  // names from the root, '/' between them: primary ones without their ";1", Joliet ones in UTF-8
    uint32_t extent;   // its first sector
    uint32_t size;
};

// The files of one tree of `image`; false when the image is not laid out
// as ISO 9660 says.
bool ReadIsoTree(const std::vector<uint8_t>& image, IsoTree tree, std::vector<IsoTreeFile>* files);
