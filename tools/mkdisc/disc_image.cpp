#include "disc_image.h"

// The burn_source interface comes with libisofs itself; we do not use libburn.
#define LIBISOFS_WITHOUT_LIBBURN
#include <libisofs/libisofs.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "cli.h"
#include "iso_tree.h"
#include "whole_file.h"

namespace {

std::string IsoError(int code) { return iso_error_to_msg(code); }

// libisofs from iso_init to iso_finish, its messages queued for Complained.
struct Library {
    const int started = iso_init();

    Library()
    {
        iso_set_msgs_severities(const_cast<char*>("WARNING"), const_cast<char*>("NEVER"), const_cast<char*>(""));
        // Names come in as the folder spells them, UTF-8; Joliet stores them
        // as UCS-2, which Windows hands the program in code page 932.
        iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
    }
    ~Library() { iso_finish(); }

    bool Ready(std::string* error) const
    {
        if (started < 0)
            *error = IsoError(started);
        return started >= 0;
    }
};

// Shows what libisofs has said of warning or worse; true if it said
// anything, for none of it may pass silently.
bool Complained()
{
    char text[ISO_MSGS_MESSAGE_LEN], severity[80];
    int code, image;
    bool any = false;
    while (iso_obtain_msgs(const_cast<char*>("WARNING"), &code, &image, text, severity) == 1) {
        Warn(std::string("libisofs ") + severity + ": " + text);
        any = true;
    }
    return any;
}

// `done`, unless libisofs complained meanwhile.
bool Quietly(bool done, std::string* error)
{
    if (Complained() && done) {
        *error = "libisofs warned of the above";
        return false;
    }
    return done;
}

struct ImageUnref {
    void operator()(IsoImage* image) const { iso_image_unref(image); }
};
using Image = std::unique_ptr<IsoImage, ImageUnref>;

// A file made here; libisofs frees the copy with the image.
int AddMemoryFile(IsoDir* parent, const std::string& name, const std::string& bytes)
{
    unsigned char* copy = static_cast<unsigned char*>(malloc(bytes.size()));
    memcpy(copy, bytes.data(), bytes.size());
    IsoStream* stream = nullptr;
    const int result = iso_memory_stream_new(copy, bytes.size(), &stream);
    if (result < 0) {
        free(copy);
        return result;
    }
    return iso_tree_add_new_file(parent, name.c_str(), stream, nullptr);
}

// struct iso_stream, which libisofs.h hides from C++ (a member is named
// "class"), laid out the same, as libisofs.h advises.
struct StreamObject {
    IsoStreamIface* interface;
    int refcount;
    void* data;
};

// libisofs reads a file of the folder 2 KiB at a time: a system call each,
// and a wake of the thread that drains the image, which was most of a large
// press's time. The stream it makes for the file is read through this one
// instead, a large block at a time.
struct BlockReads {
    static constexpr size_t kBlockBytes = 256 * 1024;
    explicit BlockReads(IsoStream* made) : file(made) { }
    IsoStream* file;                // the stream libisofs made, one reference
    std::unique_ptr<char[]> block;  // while open
    size_t at = 0, end = 0;         // what is left of the block
};

BlockReads& Reads(IsoStream* stream)
{
    return *static_cast<BlockReads*>(reinterpret_cast<StreamObject*>(stream)->data);
}

// As a stream's read must: `count` bytes, fewer only where the file ends or
// fails, which the next read then reports.
int ReadBlocks(IsoStream* stream, void* buffer, size_t count)
{
    BlockReads& reads = Reads(stream);
    size_t done = 0;
    while (done < count) {
        if (reads.at == reads.end) {
            const int got = iso_stream_read(reads.file, reads.block.get(), BlockReads::kBlockBytes);
            if (got <= 0)
                return done > 0 ? int(done) : got;
            reads.at = 0;
            reads.end = size_t(got);
        }
        const size_t part = std::min(count - done, reads.end - reads.at);
        memcpy(static_cast<char*>(buffer) + done, reads.block.get() + reads.at, part);
        reads.at += part;
        done += part;
    }
    return int(done);
}

// Everything but the reads is the file's stream's: its size, and its
// identity, which orders the files on the disc and keeps one copy of a
// hard-linked one. Version 2, whose input stream libisofs follows to the
// file's path for its messages.
IsoStreamIface kBlockReads = {
    2,
    {'u', 's', 'e', 'r'},
    [](IsoStream* stream) {
        BlockReads& reads = Reads(stream);
        const int opened = iso_stream_open(reads.file);
        if (opened >= 0)
            reads.block.reset(new char[BlockReads::kBlockBytes]);
        reads.at = reads.end = 0;
        return opened;
    },
    [](IsoStream* stream) {
        Reads(stream).block.reset();
        return iso_stream_close(Reads(stream).file);
    },
    [](IsoStream* stream) { return iso_stream_get_size(Reads(stream).file); },
    ReadBlocks,
    [](IsoStream* stream) { return iso_stream_is_repeatable(Reads(stream).file); },
    [](IsoStream* stream, unsigned int* fs, dev_t* dev, ino_t* ino) {
        iso_stream_get_id(Reads(stream).file, fs, dev, ino);
    },
    [](IsoStream* stream) {
        iso_stream_unref(Reads(stream).file);
        delete &Reads(stream);
    },
    [](IsoStream* stream) { return iso_stream_update_size(Reads(stream).file); },
    [](IsoStream* stream, int) { return Reads(stream).file; },
    nullptr,
    nullptr,
};

// Adds the folder's file at `path` as libisofs does, its stream then read in
// blocks: the node keeps its stream object, which takes the file's stream in.
// (Taking the node out and adding another would walk its folder's list twice
// more, in a folder of thousands of files.) What is no longer a file since
// it was planned stays as libisofs made it, for the check after the press.
int AddFolderFile(IsoImage* image, IsoDir* parent, const std::string& name, const std::string& path)
{
    IsoNode* node = nullptr;
    const int result = iso_tree_add_new_node(image, parent, name.c_str(), path.c_str(), &node);
    if (result < 0 || iso_node_get_type(node) != LIBISO_FILE)
        return result;
    StreamObject* stream = reinterpret_cast<StreamObject*>(iso_file_get_stream(reinterpret_cast<IsoFile*>(node)));
    StreamObject* file = static_cast<StreamObject*>(malloc(sizeof(StreamObject)));  // libisofs frees it
    if (!file)
        return ISO_OUT_OF_MEM;
    *file = {stream->interface, 1, stream->data};
    *stream = {&kBlockReads, stream->refcount, new BlockReads(reinterpret_cast<IsoStream*>(file))};
    return result;
}

// A stand-in file is its number in the plan's order, 4 bytes, little-endian.
std::string StandIn(uint32_t number)
{
    const char bytes[4] = {char(number), char(number >> 8), char(number >> 16), char(number >> 24)};
    return std::string(bytes, 4);
}

// Builds the image's tree from the plan, with the folder's files or their
// stand-ins, listing the files in the plan's order.
struct TreeBuilder {
    IsoImage* image;
    bool standIns;
    std::vector<const DiscEntry*>* files;
    std::string* error;

    bool AddEntries(IsoDir* parent, const DiscEntry& folder)
    {
        for (const DiscEntry& entry : folder.entries) {
            IsoDir* dir = nullptr;
            const int result =
                entry.directory ? iso_tree_add_new_dir(parent, entry.name.c_str(), &dir) : AddFile(parent, entry);
            if (result < 0) {
                *error = "cannot add " + (entry.path.empty() ? entry.name : entry.path) + ": " + IsoError(result);
                return false;
            }
            if (entry.directory && !AddEntries(dir, entry))
                return false;
        }
        return true;
    }

    int AddFile(IsoDir* parent, const DiscEntry& entry)
    {
        files->push_back(&entry);
        if (standIns)
            return AddMemoryFile(parent, entry.name, StandIn(uint32_t(files->size() - 1)));
        if (entry.path.empty())
            return AddMemoryFile(parent, entry.name, entry.content);
        return AddFolderFile(image, parent, entry.name, entry.path);
    }
};

Image BuildImage(const DiscPlan& plan, const std::string& volume, bool standIns, std::vector<const DiscEntry*>* files,
                 std::string* error)
{
    IsoImage* made = nullptr;
    if (iso_image_new(volume.c_str(), &made) < 0) {
        *error = "libisofs cannot make an image";
        return nullptr;
    }
    Image image(made);
    iso_tree_set_follow_symlinks(made, 1);
    TreeBuilder builder{made, standIns, files, error};
    return builder.AddEntries(iso_image_get_root(made), plan.root) ? std::move(image) : nullptr;
}

// The image's bytes as libisofs produces them; freed, and cancelled if
// not read to the end, when it goes.
struct Source {
    burn_source* source = nullptr;

    ~Source()
    {
        if (!source)
            return;
        source->cancel(source);
        source->free_data(source);
        free(source);
    }
};

bool StartImage(IsoImage* image, const DiscSettings& settings, bool sizeOnly, Source* out, std::string* error)
{
    IsoWriteOpts* options = nullptr;
    int result = iso_write_opts_new(&options, 0);
    if (result < 0) {
        *error = IsoError(result);
        return false;
    }
    iso_write_opts_set_will_cancel(options, sizeOnly);
    iso_write_opts_set_iso_level(options, 2);
    iso_write_opts_set_joliet(options, 1);
    iso_write_opts_set_rockridge(options, 0);
    iso_write_opts_set_omit_version_numbers(options, 2);  // Joliet names without ";1"
    iso_write_opts_set_no_force_dots(options, 2);         // and without a dot the folder's name lacks
    // Every time stamp is `stamp`, in GMT, not the time of pressing.
    iso_write_opts_set_dir_rec_mtime(options, 2);
    iso_write_opts_set_replace_timestamps(options, 2);
    iso_write_opts_set_default_timestamp(options, settings.stamp);
    iso_write_opts_set_always_gmt(options, 1);
    // "YYYYMMDDhhmmss00", the volume's fixed time stamps and serial.
    std::string serial = UtcText(settings.stamp, "%Y%m%d%H%M%S00");
    iso_write_opts_set_pvd_times(options, settings.stamp, settings.stamp, 0, settings.stamp, &serial[0]);
    result = iso_image_create_burn_source(image, options, &out->source);
    iso_write_opts_free(options);
    if (result < 0)
        *error = IsoError(result);
    return result >= 0;
}

// Hands every byte of the image to `sink`, which may stop it. libisofs
// hands out whole reads only, so none may reach past the image's end.
bool Drain(const Source& image, const std::function<bool(const unsigned char*, size_t)>& sink, std::string* error)
{
    std::vector<unsigned char> chunk(32 * kSectorBytes);
    const uint64_t size = uint64_t(image.source->get_size(image.source));
    for (uint64_t done = 0; done < size;) {
        const int wanted = int(std::min<uint64_t>(chunk.size(), size - done));
        if (image.source->read_xt(image.source, chunk.data(), wanted) != wanted) {
            *error = "libisofs could not read every file";
            return false;
        }
        if (!sink(chunk.data(), size_t(wanted)))
            return false;
        done += uint64_t(wanted);
    }
    return true;
}

// The stand-in's files, each under its path in one tree, by plan number.
std::vector<std::string> PathsByNumber(const std::vector<uint8_t>& bytes, IsoTree tree, size_t count)
{
    std::vector<std::string> paths(count);
    std::vector<IsoTreeFile> files;
    ReadIsoTree(bytes, tree, &files);
    for (const IsoTreeFile& file : files) {
        const uint64_t at = file.extent * kSectorBytes;
        if (file.size != 4 || at + 4 > bytes.size())
            continue;
        const uint32_t number = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
        if (number < count)
            paths[number] = file.path;
    }
    return paths;
}

// Presses the stand-in into memory, listing the files in the plan's order.
bool PressStandIn(const DiscPlan& plan, const DiscSettings& settings, std::vector<const DiscEntry*>* files,
                  std::vector<uint8_t>* bytes, std::string* error)
{
    Image image = BuildImage(plan, settings.volume, true, files, error);
    Source source;
    auto keep = [bytes](const unsigned char* data, size_t size) {
        bytes->insert(bytes->end(), data, data + size);
        return true;
    };
    return image && StartImage(image.get(), settings, false, &source, error) && Drain(source, keep, error);
}

// Every file must be in both trees of the stand-in, in the Joliet one
// under its own path.
bool PlaceFiles(const std::vector<uint8_t>& bytes, const std::vector<const DiscEntry*>& files, DiscLayout* layout,
                std::string* error)
{
    const std::vector<std::string> primary = PathsByNumber(bytes, IsoTree::Primary, files.size());
    const std::vector<std::string> joliet = PathsByNumber(bytes, IsoTree::Joliet, files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i]->onDisc;
        if (joliet[i] != path) {
            *error = path + (joliet[i].empty() ? " would be left out of" : " would be " + joliet[i] + " in") +
                " the Joliet tree, which Windows reads";
            return false;
        }
        if (primary[i].empty()) {
            *error = path + " would be left out of the ISO 9660 tree";
            return false;
        }
        layout->files.push_back({files[i], primary[i]});
    }
    return true;
}

bool MeasureImage(const DiscPlan& plan, const DiscSettings& settings, DiscLayout* layout, std::string* error)
{
    std::vector<const DiscEntry*> files;
    Image image = BuildImage(plan, settings.volume, false, &files, error);
    Source source;
    if (!image || !StartImage(image.get(), settings, true, &source, error))
        return false;
    layout->bytes = uint64_t(source.source->get_size(source.source));
    return true;
}

bool NothingChanged(const std::vector<const DiscEntry*>& files, std::string* error)
{
    for (const DiscEntry* file : files)
        if (!file->path.empty() && !UnchangedSincePlanned(*file, error))
            return false;
    return true;
}

}  // namespace

std::string UtcText(time_t stamp, const char* format)
{
    char text[32];
    struct tm utc;
    gmtime_r(&stamp, &utc);
    strftime(text, sizeof text, format, &utc);
    return text;
}

bool LayOutDisc(const DiscPlan& plan, const DiscSettings& settings, DiscLayout* layout, std::string* error)
{
    Library library;
    if (!library.Ready(error))
        return false;
    *layout = DiscLayout();
    std::vector<const DiscEntry*> files;
    std::vector<uint8_t> standIn;
    return Quietly(PressStandIn(plan, settings, &files, &standIn, error) && PlaceFiles(standIn, files, layout, error) &&
                       MeasureImage(plan, settings, layout, error),
                   error);
}

bool PressDisc(const DiscPlan& plan, const DiscSettings& settings, const std::string& out, std::string* error)
{
    Library library;
    if (!library.Ready(error))
        return false;
    std::vector<const DiscEntry*> files;
    Image image = BuildImage(plan, settings.volume, false, &files, error);
    Source source;
    OutputFile output;
    auto write = [&output, error](const unsigned char* data, size_t size) { return output.Write(data, size, error); };
    const bool written = image && output.Open(out, error) && StartImage(image.get(), settings, false, &source, error) &&
        Drain(source, write, error);
    return Quietly(written, error) && NothingChanged(files, error) && output.Commit(error);
}
