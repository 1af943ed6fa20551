#include "disc_image.h"

// The burn_source interface comes with libisofs itself; we do not use libburn.
#define LIBISOFS_WITHOUT_LIBBURN
#include <libisofs/libisofs.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string IsoError(int code) { return iso_error_to_msg(code); }

// Adds a planned folder's entries under `parent` in the image.
bool AddEntries(IsoImage* image, IsoDir* parent, const DiscEntry& folder, std::string* error)
{
    for (const DiscEntry& entry : folder.entries) {
        int result;
        if (entry.directory) {
            IsoDir* dir = nullptr;
            result = iso_tree_add_new_dir(parent, entry.name.c_str(), &dir);
            if (result >= 0 && !AddEntries(image, dir, entry, error))
                return false;
        } else if (entry.path.empty()) {
            // Made here: libisofs frees the copy with the image.
            unsigned char* bytes = (unsigned char*)malloc(entry.content.size());
            memcpy(bytes, entry.content.data(), entry.content.size());
            IsoStream* stream = nullptr;
            result = iso_memory_stream_new(bytes, entry.content.size(), &stream);
            if (result < 0)
                free(bytes);
            else
                result = iso_tree_add_new_file(parent, entry.name.c_str(), stream, nullptr);
        } else {
            result = iso_tree_add_new_node(image, parent, entry.name.c_str(), entry.path.c_str(), nullptr);
        }
        if (result < 0) {
            *error = "cannot add " + (entry.path.empty() ? entry.name : entry.path) + ": " + IsoError(result);
            return false;
        }
    }
    return true;
}

// "YYYYMMDDhhmmss00", the volume's fixed time stamps and serial.
std::string VolumeStamp(time_t stamp)
{
    char text[20];
    struct tm utc;
    gmtime_r(&stamp, &utc);
    strftime(text, sizeof text, "%Y%m%d%H%M%S00", &utc);
    return text;
}

bool WriteImage(IsoImage* image, time_t stamp, const std::string& out, std::string* error)
{
    IsoWriteOpts* options = nullptr;
    int result = iso_write_opts_new(&options, 0);
    if (result < 0) {
        *error = IsoError(result);
        return false;
    }
    iso_write_opts_set_iso_level(options, 2);
    iso_write_opts_set_joliet(options, 1);
    iso_write_opts_set_rockridge(options, 0);
    iso_write_opts_set_omit_version_numbers(options, 2);  // Joliet names without ";1"
    // Every time stamp is `stamp`, in GMT, not the time of pressing.
    iso_write_opts_set_dir_rec_mtime(options, 2);
    iso_write_opts_set_replace_timestamps(options, 2);
    iso_write_opts_set_default_timestamp(options, stamp);
    iso_write_opts_set_always_gmt(options, 1);
    std::string serial = VolumeStamp(stamp);
    iso_write_opts_set_pvd_times(options, stamp, stamp, 0, stamp, &serial[0]);

    struct burn_source* source = nullptr;
    result = iso_image_create_burn_source(image, options, &source);
    iso_write_opts_free(options);
    if (result < 0) {
        *error = IsoError(result);
        return false;
    }
    const long long size = source->get_size(source);
    bool written = false;
    if (size > kCdBytes) {
        *error = "the image would be " + std::to_string(size) + " bytes, more than an 80-minute CD holds (" +
            std::to_string(kCdBytes) + ")";
        source->cancel(source);
    } else if (FILE* file = fopen(out.c_str(), "wb")) {
        unsigned char sector[2048];
        int read;
        written = true;
        while ((read = source->read_xt(source, sector, sizeof sector)) > 0)
            written = written && fwrite(sector, 1, size_t(read), file) == size_t(read);
        written = fclose(file) == 0 && written && read == 0;
        if (!written)
            *error = "cannot write " + out + (read < 0 ? ": libisofs could not read every file" : "");
    } else {
        *error = "cannot write " + out + ": " + strerror(errno);
        source->cancel(source);
    }
    source->free_data(source);
    free(source);
    return written;
}

}  // namespace

bool PressDisc(const DiscPlan& plan, const std::string& volume, time_t stamp, const std::string& out,
               std::string* error)
{
    const int started = iso_init();
    if (started < 0) {
        *error = IsoError(started);
        return false;
    }
    // Names come in as the folder spells them, UTF-8; Joliet stores them as
    // UCS-2, which Windows hands the program in code page 932.
    iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
    IsoImage* image = nullptr;
    bool pressed = false;
    const std::string part = out + ".part";
    if (iso_image_new(volume.c_str(), &image) < 0) {
        *error = "libisofs cannot make an image";
    } else {
        iso_tree_set_follow_symlinks(image, 1);
        pressed = AddEntries(image, iso_image_get_root(image), plan.root, error) &&
            WriteImage(image, stamp, part, error);
        iso_image_unref(image);
    }
    iso_finish();
    if (pressed && rename(part.c_str(), out.c_str()) != 0) {
        *error = "cannot write " + out + ": " + strerror(errno);
        pressed = false;
    }
    if (!pressed)
        remove(part.c_str());
    return pressed;
}
