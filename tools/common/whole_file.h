// Inputs read whole and outputs put in place whole, for the tools. "-" is
// standard input or output. An input must be a file or a pipe (not a folder,
// not a device such as /dev/zero) and is read only up to a limit. An output
// is written beside its path, as .part-XXXXXX in its folder, and renamed
// into place once it is whole and on the disk, so that a failure leaves
// whatever stood there as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The most backcg and lzss read of one input: more than a CD holds, so
// nothing made for a disc comes near it, and little enough that an endless
// pipe is refused before memory runs out.
constexpr uint64_t kLargestInput = 1ull << 30;

// The bytes of `path`; false with a message (and the system's reason) when
// it cannot be read or holds more than `limit` bytes.
bool ReadInput(const std::string& path, uint64_t limit, std::vector<uint8_t>* bytes, std::string* error);

// How messages name a path: "-" is standard input or output.
std::string Shown(const std::string& path);

// A file that becomes `path` only when committed; dropped otherwise, and
// when SIGINT, SIGTERM or SIGHUP stops the tool before (which then dies of
// the signal as usual). One at a time.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Starts the file beside `path`. Refuses a `path` that exists and is
    // not a regular file (a device, a symbolic link, a folder): renaming
    // onto it would replace it.
    bool Open(const std::string& path, std::string* error);
    bool Write(const void* data, size_t size, std::string* error);
    // Puts it on the disk and renames it into place.
    bool Commit(std::string* error);

private:
    std::string path_;
    std::string partial_;  // the file being written; empty once renamed
    int fd_ = -1;
};

// The whole of `bytes` to `path`, or to standard output for "-".
bool WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
