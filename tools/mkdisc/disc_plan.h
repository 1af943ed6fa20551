// What goes on a disc: the folder that is the disc's root, checked whole
// before anything is written, and the AUTORUN.INF that starts its launcher.
#pragma once

#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

struct DiscEntry {
    std::string name;     // on the disc: the folder's, composed as Windows spells it (UTF-8)
    std::string onDisc;   // its path from the disc's root, '/' between names
    std::string path;     // where its bytes are read from; empty for `content`
    std::string content;  // bytes made here (the AUTORUN.INF)
    uint64_t size = 0;
    timespec modified{};  // the file's, when planned: it must not change while pressed
    bool directory = false;
    std::vector<DiscEntry> entries;  // a directory's, sorted by name
};

struct DiscPlan {
    DiscEntry root;
    std::string launcher;    // the launcher's file name, such as Q3.EXE
    std::string title;       // its string 1, the product title, in code page 932
    std::string installDir;  // its string 2, the default install directory without its drive, in UTF-8
    time_t newest = 0;       // the newest modification time of what is pressed
    std::string newestPath;  // the file or folder that has it
    std::vector<std::string> leftOut;  // what --exclude left out, by path
    std::vector<std::string> warnings;
};

// How the folder is read.
struct FolderOptions {
    bool followLinks = false;           // press what a symbolic link points to, rather than refuse it
    std::vector<std::string> excludes;  // globs: entries of any folder whose names match are left out
    std::string out;                    // the image to be written, which must not be pressed into itself
};

// Discs that are not for players, which the tests press on purpose.
struct DiscAllowances {
    bool anyMachine = false;  // a launcher or engine that is not a 32-bit program, such as the 64-bit build's
    bool noEngine = false;    // a disc without VGX.EXE
};

// Reads `dir` into `plan`: every file and folder under it but those
// excluded, the launcher in its root with its title and default install
// directory, and an AUTORUN.INF unless the folder has its own (CRLF lines:
// open= the launcher, icon= the launcher, label= the title). False with a
// message naming the file when anything cannot go on a disc that Windows
// reads and installs from: a name it would not show or open as spelled (or
// one that is not UTF-8), twins that differ only in case or Unicode form (a
// root folder named AUTORUN.INF among them, as the file made beside it), a
// symbolic link (unless followed; then one that leads back into a folder
// that holds it, a pseudo-file whose size is not what it reads, or OUT), a
// path beyond the Joliet tree's 240 bytes, a folder deeper than ISO 9660's
// eight levels, a file of 4 GiB or more, anything but files and folders, no
// launcher or two, a launcher or VGX.EXE that is not a 32-bit Windows
// program, no VGX.EXE, or a root file whose install path would reach 128
// bytes. Warned of only: a launcher whose title is not its product's, what a
// desktop or version control leaves (.DS_Store, Thumbs.db, .git, ...), and a
// folder's own AUTORUN.INF that does not start its launcher.
bool PlanDisc(const std::string& dir, const FolderOptions& folder, const DiscAllowances& allowances, DiscPlan* plan,
              std::string* error);

// False with a message when a planned file is no longer the size or the
// modification time it had when planned.
bool UnchangedSincePlanned(const DiscEntry& file, std::string* error);
