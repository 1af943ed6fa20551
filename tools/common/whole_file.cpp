#include "whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "cli.h"

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The partial file being written, which a stop signal removes.
std::atomic<const char*> beingWritten{nullptr};

// Removes the partial file; the signal, reset to its default when caught,
// then ends the tool as it would have.
void RemovePartial(int signal)
{
    if (const char* partial = beingWritten.load())
        unlink(partial);
    raise(signal);
}

// Catches the stop signals, but those ignored (under nohup, or INT in a
// background job) stay ignored; `signals` are those three.
void CatchStopSignals(sigset_t* signals)
{
    struct sigaction catching = {}, before;
    catching.sa_handler = RemovePartial;
    catching.sa_flags = SA_RESETHAND;
    sigemptyset(signals);
    for (int stop : kStopSignals) {
        sigaddset(signals, stop);
        if (sigaction(stop, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(stop, &catching, nullptr);
    }
}

// Refuses what cannot be read whole: folders, and devices, whose bytes
// need not end. `size` is a file's own, 0 for a pipe.
bool Readable(int fd, const std::string& path, uint64_t limit, uint64_t* size, std::string* error)
{
    struct stat info;
    if (fstat(fd, &info) != 0)
        *error = WithReason("cannot read " + Shown(path));
    else if (S_ISDIR(info.st_mode))
        *error = Shown(path) + " is a folder, not a file";
    else if (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode))
        *error = Shown(path) + " is a device, not a file";
    else if (S_ISREG(info.st_mode) && uint64_t(info.st_size) > limit)
        *error = Shown(path) + " holds more than the " + Grouped(limit) + " bytes it may have";
    else {
        *size = S_ISREG(info.st_mode) ? uint64_t(info.st_size) : 0;
        return true;
    }
    return false;
}

// Reads to the end, or to one byte past `limit`: the bytes a file says it
// has and one more, which finds its end, or for a pipe a buffer that
// doubles as it fills but never past that byte, so that an endless input
// takes no more memory than the limit.
bool ReadUpTo(int fd, const std::string& path, uint64_t limit, uint64_t size, std::vector<uint8_t>* bytes,
              std::string* error)
{
    constexpr size_t kStep = 1 << 16;
    const size_t most = size_t(limit) + 1;
    bytes->clear();
    bytes->reserve(std::min<size_t>(size + 1, most));
    for (;;) {
        const size_t had = bytes->size();
        const size_t doubled = std::max(2 * had, kStep);
        if (had == bytes->capacity())
            bytes->reserve(doubled < limit ? doubled : most);
        const size_t room = std::min(kStep, bytes->capacity() - had);
        bytes->resize(had + room);
        const ssize_t got = read(fd, bytes->data() + had, room);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            *error = WithReason("cannot read " + Shown(path));
            return false;
        }
        bytes->resize(had + size_t(got));
        if (bytes->size() > limit) {
            *error = Shown(path) + " holds more than the " + Grouped(limit) + " bytes it may have";
            return false;
        }
        if (got == 0)
            return true;
    }
}

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t wrote = write(fd, data, size);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0)
            return false;
        data += wrote;
        size -= size_t(wrote);
    }
    return true;
}

mode_t CreationMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool ReadInput(const std::string& path, uint64_t limit, std::vector<uint8_t>* bytes, std::string* error)
{
    const bool standard = path == "-";
    const int fd = standard ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = WithReason("cannot read " + path);
        return false;
    }
    uint64_t size = 0;
    const bool read = Readable(fd, path, limit, &size, error) && ReadUpTo(fd, path, limit, size, bytes, error);
    if (!standard)
        close(fd);
    return read;
}

std::string Shown(const std::string& path) { return path == "-" ? "standard input" : path; }

OutputFile::~OutputFile()
{
    if (fd_ >= 0)
        close(fd_);
    if (!partial_.empty()) {
        unlink(partial_.c_str());
        beingWritten = nullptr;
    }
}

bool OutputFile::Open(const std::string& path, std::string* error)
{
    path_ = path;
    struct stat info;
    if (lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        *error = path + " exists and is not a regular file: it is left as it is";
        return false;
    }
    // Over a file-size limit, a write then fails with a reason instead of
    // killing the tool with its partial file left behind.
    signal(SIGXFSZ, SIG_IGN);
    // A short name in OUT's folder, which fits wherever OUT's name fits.
    std::string partial = path.substr(0, path.rfind('/') + 1) + ".part-XXXXXX";
    // A stop signal waits while the file is made and recorded, so that it
    // finds the file recorded whenever it exists.
    sigset_t stops, before;
    CatchStopSignals(&stops);
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    fd_ = mkostemp(&partial[0], O_CLOEXEC);
    if (fd_ >= 0) {
        partial_ = partial;
        beingWritten = partial_.c_str();
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (fd_ < 0 || fchmod(fd_, CreationMode()) != 0) {
        *error = WithReason("cannot write " + path);
        return false;
    }
    return true;
}

bool OutputFile::Write(const void* data, size_t size, std::string* error)
{
    if (WriteAll(fd_, static_cast<const uint8_t*>(data), size))
        return true;
    *error = WithReason("cannot write " + path_);
    return false;
}

bool OutputFile::Commit(std::string* error)
{
    const bool stored = fsync(fd_) == 0;
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    if (!stored || !closed || rename(partial_.c_str(), path_.c_str()) != 0) {
        *error = WithReason("cannot write " + path_);
        return false;
    }
    beingWritten = nullptr;
    partial_.clear();
    return true;
}

bool WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    if (path == "-") {
        if (WriteAll(STDOUT_FILENO, bytes.data(), bytes.size()))
            return true;
        *error = WithReason("cannot write to standard output");
        return false;
    }
    OutputFile out;
    return out.Open(path, error) && out.Write(bytes.data(), bytes.size(), error) && out.Commit(error);
}
