// What goes on a disc: the folder that is the disc's root, checked whole
// before anything is written, and the AUTORUN.INF that starts its launcher.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct DiscEntry {
    std::string name;     // on the disc, as in the folder (UTF-8)
    std::string path;     // where its bytes are read from; empty for `content`
    std::string content;  // bytes made here (the AUTORUN.INF)
    uint64_t size = 0;
    bool directory = false;
    std::vector<DiscEntry> entries;  // a directory's, sorted by name
};

struct DiscPlan {
    DiscEntry root;
    std::string launcher;  // the launcher's file name, such as Q3.EXE
    std::string title;     // its string 1, the product title, in code page 932
    time_t newest = 0;     // the newest modification time of what is pressed
};

// The launchers a disc may hold, one per product.
extern const char* const kLaunchers[2];

// Reads `dir` into `plan`: every file and folder under it, the launcher in
// its root and its title, and an AUTORUN.INF unless the folder has its own
// (CRLF lines: open= the launcher, icon= the launcher, label= the title).
// False with a message when anything cannot go on a disc that Windows reads
// under code page 932: a name that code page cannot spell, a name longer
// than Joliet's 64 characters, a file of 4 GiB or more, anything but files
// and folders, no launcher or two.
bool PlanDisc(const std::string& dir, DiscPlan* plan, std::string* error);

// Code page 932 bytes of a UTF-8 or UTF-16LE text; false if it has a
// character that code page lacks (or is not valid in its own encoding).
bool Utf8ToCp932(const std::string& text, std::string* out);
bool Utf16ToCp932(const std::u16string& text, std::string* out);
