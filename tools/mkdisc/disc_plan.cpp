#include "disc_plan.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "cli.h"
#include "disc_names.h"
#include "pe_file.h"
#include "whole_file.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kLargestFile = 0xFFFFFFFFu;  // ISO 9660 levels 1 and 2: one extent
constexpr uint64_t kLargestProgram = 64 << 20;  // far more than any launcher or engine
// libisofs leaves out of the Joliet tree whatever lies further down than
// this, counting a byte for the root, and a byte and two per character for
// each name along the path.
constexpr int kLongestJolietPath = 240;
constexpr int kDeepestLevel = 8;          // ISO 9660 keeps eight levels of folders, the root's among them
constexpr size_t kLongestOpenPath = 127;  // bytes: OpenFile takes no longer path, nor does Wine

struct Product {
    const char* launcher;
    const char16_t* title;  // its string 1
};

const Product kProducts[] = {
    {"Q3.EXE", u"ＶＡＲＮＯ－Ｑ３の起動とインストール"},
    {"KRN.EXE", u"ＶＡＲＮＯ－ＫＲＮの起動とインストール"},
};

bool Refuse(std::string* error, const std::string& message)
{
    *error = message;
    return false;
}

bool SameName(const std::string& a, const char* b)
{
    return a.size() == strlen(b) &&
        std::equal(a.begin(), a.end(), b, [](char x, char y) { return toupper((unsigned char)x) == toupper(y); });
}

int JolietPathBytes(int parent, const std::string& name) { return parent + 1 + 2 * int(Utf16Length(name)); }

// What a desktop or version control leaves in a folder, not a game's data:
// matched in any case, as Windows matches names.
const char* const kLeftovers[] = {
    ".DS_Store", "._*", ".AppleDouble", ".Spotlight-V100", ".Trashes", ".fseventsd", ".TemporaryItems", "__MACOSX",
    "Thumbs.db", "ehthumbs.db", "desktop.ini", ".directory", ".git", ".gitignore", ".gitattributes", ".gitmodules",
    ".svn", ".hg", ".hgignore", ".bzr", "CVS", ".cvsignore", "*~", ".*.swp",
};

// The pattern of kLeftovers that `name` matches, or null.
const char* Leftover(const std::string& name)
{
    for (const char* pattern : kLeftovers)
        if (fnmatch(pattern, name.c_str(), FNM_CASEFOLD) == 0)
            return pattern;
    return nullptr;
}

std::string LinkTarget(const std::string& path)
{
    std::error_code failure;
    return fs::read_symlink(path, failure).string();
}

// A pseudo-file (of /proc or /sys) is made as it is read: its size, 0 or
// 4,096, is not what it reads, and libisofs would press zeros or nothing
// of it. Reading a byte past its size (at most 64 KiB) tells.
bool ReadsItsSize(const std::string& path, uint64_t size, const std::string& shown, std::string* error)
{
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return Refuse(error, WithReason("cannot read " + shown));
    std::vector<char> block(size_t(std::min<uint64_t>(size + 1, 64 << 10)));
    size_t got = 0;
    ssize_t read = 1;
    while (got < block.size() && (read = ::read(file, block.data() + got, block.size() - got)) > 0)
        got += size_t(read);
    if (read < 0) {
        const std::string failed = WithReason("cannot read " + shown);
        close(file);
        return Refuse(error, failed);
    }
    close(file);
    if (got == std::min<uint64_t>(size, block.size()))
        return true;
    return Refuse(error,
                  shown + ", reached through a link, reads " + (got > size ? "more" : std::to_string(got) + " bytes") +
                      " where its size says " + std::to_string(size) +
                      ": a pseudo-file (such as those of /proc and /sys) is made as it is read, and the disc "
                      "would hold zeros or nothing of it");
}

// Where a scan stands on its way down.
struct Place {
    int jolietBytes;          // of the folder's path in the Joliet tree
    int level;                // the folder's, the root's being 1
    bool throughLink = false;  // reached through a followed link
    bool warned = false;       // inside a leftover already warned of
};

struct Scan {
    const FolderOptions& options;
    std::string* error;
    DiscPlan* plan;
    struct Folder {
        dev_t device;
        ino_t inode;
        std::string path;
    };
    std::vector<Folder> folders;  // those being read, from the root down
    std::vector<bool> used;       // by --exclude: whether each glob left anything out
    struct stat out;              // OUT as it is, if it exists
    bool outExists = false;

    // Names are matched in any case, as Windows matches them.
    bool Excluded(const std::string& name, const std::string& composed)
    {
        bool excluded = false;
        for (size_t i = 0; i < options.excludes.size(); ++i) {
            const char* glob = options.excludes[i].c_str();
            if (fnmatch(glob, name.c_str(), FNM_CASEFOLD) == 0 || fnmatch(glob, composed.c_str(), FNM_CASEFOLD) == 0)
                excluded = used[i] = true;
        }
        return excluded;
    }

    bool Read(const fs::path& dir, DiscEntry* into, const Place& place)
    {
        std::error_code failure;
        std::vector<fs::path> children;
        for (fs::directory_iterator it(dir, failure), end; !failure && it != end; it.increment(failure))
            children.push_back(it->path());
        if (failure)
            return Refuse(error, "cannot read " + Printable(dir.string()) + ": " + failure.message());
        std::sort(children.begin(), children.end());
        for (const fs::path& child : children) {
            const std::string name = child.filename().string(), composed = Composed(name);
            if (Excluded(name, composed))
                plan->leftOut.push_back(Printable(child.string()));
            else if (!Add(child, composed, into, place))
                return false;
        }
        return NoTwins(dir, *into);
    }

    // Adds `path`, whose name goes on the disc `composed`.
    bool Add(const fs::path& path, const std::string& composed, DiscEntry* parent, const Place& place)
    {
        DiscEntry entry;
        const std::string shown = Printable(path.string());
        entry.name = composed;
        entry.onDisc = parent->onDisc.empty() ? entry.name : parent->onDisc + "/" + entry.name;
        entry.path = fs::absolute(path).string();  // libisofs reads by absolute paths
        const std::string problem = NameProblem(entry.name);
        if (!problem.empty())
            return Refuse(error, "the name " + shown + " " + problem);
        Place here = place;
        here.jolietBytes = JolietPathBytes(place.jolietBytes, entry.name);
        if (here.jolietBytes > kLongestJolietPath)
            return Refuse(error,
                          shown + ": its path takes " + std::to_string(here.jolietBytes) +
                              " bytes in the Joliet tree, more than the 240 it holds, so Windows would not see it");
        struct stat info;
        if (lstat(entry.path.c_str(), &info) != 0)
            return Refuse(error, WithReason("cannot read " + shown));
        if (S_ISLNK(info.st_mode)) {
            const std::string target = Printable(LinkTarget(entry.path));
            if (!options.followLinks)
                return Refuse(error,
                              shown + " is a symbolic link to " + target +
                                  ": a disc holds no links, and what one points to may lie outside the folder; "
                                  "give --follow-links to press what it points to");
            if (stat(entry.path.c_str(), &info) != 0)
                return Refuse(error, WithReason("cannot read " + shown + ", a link to " + target));
            here.throughLink = true;
        }
        const char* leftover = here.warned ? nullptr : Leftover(entry.name);
        if (leftover) {
            plan->warnings.push_back(shown +
                                     " is what a desktop or version control leaves, not the game's: it goes on the "
                                     "disc, and every install copies the root's files; leave it out with --exclude '" +
                                     leftover + "'");
            here.warned = true;
        }
        if (plan->newestPath.empty() || info.st_mtime > plan->newest) {
            plan->newest = info.st_mtime;
            plan->newestPath = shown;
        }
        entry.modified = info.st_mtim;
        if (S_ISDIR(info.st_mode)) {
            entry.directory = true;
            here.level = place.level + 1;
            if (here.level > kDeepestLevel)
                return Refuse(error,
                              shown +
                                  " is a folder too deep for ISO 9660, which keeps eight levels, "
                                  "the root's among them");
            for (const Folder& folder : folders)
                if (folder.device == info.st_dev && folder.inode == info.st_ino)
                    return Refuse(error,
                                  shown + " leads back to " + folder.path +
                                      ", a folder that holds it: following it would never end");
            folders.push_back({info.st_dev, info.st_ino, shown});
            const bool read = Read(path, &entry, here);
            folders.pop_back();
            if (!read)
                return false;
        } else if (S_ISREG(info.st_mode)) {
            entry.size = uint64_t(info.st_size);
            if (entry.size > kLargestFile)
                return Refuse(error,
                              shown + " is " + std::to_string(entry.size) +
                                  " bytes: a file on an ISO 9660 disc holds at most 4,294,967,295");
            if (outExists && info.st_dev == out.st_dev && info.st_ino == out.st_ino)
                return Refuse(error, shown + " is " + options.out + ", the image being made: it would be pressed onto its own disc");
            if (here.throughLink && !ReadsItsSize(entry.path, entry.size, shown, error))
                return false;
        } else {
            return Refuse(error, shown + " is neither a file nor a folder");
        }
        parent->entries.push_back(std::move(entry));
        return true;
    }

    // Windows opens one of two names that differ only in case, and a Mac's
    // decomposed name is composed on the disc like its twin.
    bool NoTwins(const fs::path& dir, const DiscEntry& folder)
    {
        std::map<std::wstring, const DiscEntry*> seen;
        for (const DiscEntry& entry : folder.entries) {
            const auto [first, fresh] = seen.emplace(CaseFolded(entry.name), &entry);
            if (fresh)
                continue;
            const std::string a = Printable((dir / fs::path(first->second->path).filename()).string());
            const std::string b = Printable(fs::path(entry.path).filename().string());
            return Refuse(error,
                          a + " and " + b +
                              (first->second->name == entry.name
                                   ? " are one name once composed (one is written decomposed, as a Mac writes "
                                     "names): Windows would open only one of them"
                                   : " differ only in case: Windows would open only one of them"));
        }
        return true;
    }
};

// The root's entry of that name in any case: one at most, since case twins
// are refused.
const DiscEntry* FindRootEntry(const DiscPlan& plan, const char* name)
{
    for (const DiscEntry& entry : plan.root.entries)
        if (SameName(entry.name, name))
            return &entry;
    return nullptr;
}

const DiscEntry* FindRootFile(const DiscPlan& plan, const char* name)
{
    const DiscEntry* entry = FindRootEntry(plan, name);
    return entry && !entry->directory ? entry : nullptr;
}

bool FindLauncher(const std::string& dir, const DiscPlan& plan, const DiscEntry** launcher, const Product** product,
                  std::string* error)
{
    *launcher = nullptr;
    for (const Product& candidate : kProducts) {
        const DiscEntry* found = FindRootFile(plan, candidate.launcher);
        if (found && *launcher)
            return Refuse(error, dir + " holds two launchers, " + (*launcher)->name + " and " + found->name);
        if (found) {
            *launcher = found;
            *product = &candidate;
        }
    }
    return *launcher || Refuse(error, dir + " holds no launcher (Q3.EXE or KRN.EXE) in its root");
}

std::string MachineText(uint16_t machine)
{
    char text[8];
    snprintf(text, sizeof text, "0x%X", machine);
    return text;
}

// A player's Windows starts the launcher and the engine only if they are
// built for i386.
bool Starts(const DiscEntry& file, const std::vector<uint8_t>& program, const DiscAllowances& allowances,
            std::string* error)
{
    uint16_t machine = 0;
    ReadMachine(program, &machine);
    return machine == kMachineI386 || allowances.anyMachine ||
        Refuse(error,
               file.path + " is not a 32-bit Windows program (its machine is " + MachineText(machine) +
                   ", not i386's 0x14C): no player's Windows would start it");
}

// Reads the launcher's title and default install directory, and checks
// that 32-bit Windows can start it and that it is its product's program.
bool ReadLauncher(const DiscEntry& launcher, const Product& product, const DiscAllowances& allowances, DiscPlan* plan,
                  std::string* error)
{
    std::vector<uint8_t> program;
    if (!ReadInput(launcher.path, kLargestProgram, &program, error) || !Starts(launcher, program, allowances, error))
        return false;
    std::u16string title, installDir;
    if (!ReadStringResource(program, 1, &title) || !Utf16ToCp932(title, &plan->title))
        return Refuse(error, launcher.path + " carries no product title (string 1)");
    if (!ReadStringResource(program, 2, &installDir) || !Utf16ToUtf8(installDir, &plan->installDir))
        return Refuse(error, launcher.path + " carries no default install directory (string 2)");
    if (title != product.title)
        plan->warnings.push_back(launcher.path + " carries a title that is not " + product.launcher +
                                 "'s: the disc is labelled with it; is it the right program?");
    return true;
}

// Play starts VGX.EXE and every install copies it.
bool CheckEngine(const std::string& dir, const DiscPlan& plan, const DiscAllowances& allowances, std::string* error)
{
    const DiscEntry* engine = FindRootFile(plan, "VGX.EXE");
    if (!engine)
        return allowances.noEngine ||
            Refuse(error, dir + " holds no VGX.EXE in its root: play starts it and every install copies it");
    std::vector<uint8_t> program;
    return ReadInput(engine->path, kLargestProgram, &program, error) && Starts(*engine, program, allowances, error);
}

// What an AUTORUN.INF starts as Windows reads it: the program of the first
// open= of its first [autorun] section (names in any case), up to a space
// or its closing quote, from the disc's root. Why that is not `launcher`,
// or "".
std::string AutorunProblem(std::string content, const std::string& launcher)
{
    std::string utf8;  // NT reads one in UTF-16 too, by its mark
    if (MarkedUtf16ToUtf8(content, &utf8))
        content = utf8;
    const auto trimmed = [](std::string text) {
        text.erase(0, text.find_first_not_of(" \t"));
        text.erase(text.find_last_not_of(" \t\r") + 1);
        return text;
    };
    bool inSection = false, sawSection = false;
    size_t at = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a UTF-8 mark
    while (at < content.size()) {
        const size_t end = std::min(content.find_first_of("\r\n", at), content.size());
        const std::string line = trimmed(content.substr(at, end - at));
        at = end + 1;
        if (!line.empty() && line[0] == '[') {
            if (sawSection && inSection)
                break;  // Windows reads the first [autorun] section only
            inSection = SameName(trimmed(line.substr(1, line.find(']') - 1)), "autorun");
            sawSection = sawSection || inSection;
            continue;
        }
        const size_t equals = line.find('=');
        if (!inSection || equals == std::string::npos || !SameName(trimmed(line.substr(0, equals)), "open"))
            continue;
        std::string program = trimmed(line.substr(equals + 1));
        program = program[0] == '"' ? program.substr(1, program.find('"', 1) - 1)
                                    : program.substr(0, program.find_first_of(" \t"));
        if (program.empty())
            break;
        size_t name = 0;  // ".\Q3.EXE" and "\Q3.EXE" name the root's Q3.EXE
        if (program.compare(0, 2, ".\\") == 0)
            name = 2;
        else if (program[0] == '\\')
            name = 1;
        // Windows adds .EXE to a program named without an extension.
        program = program.substr(name);
        if (SameName(program, launcher.c_str()) || SameName(program + ".EXE", launcher.c_str()))
            return "";
        return "opens " + Printable(program) + ", not the launcher " + launcher + ": autorun would not start it";
    }
    return std::string(sawSection ? "has no open= in its [autorun] section" : "has no [autorun] section") +
        ": Windows starts nothing when the disc goes in, not the launcher " + launcher;
}

bool AddAutorun(const std::string& dir, DiscPlan* plan, std::string* error)
{
    const DiscEntry* own = FindRootEntry(*plan, "AUTORUN.INF");
    if (own && own->directory)
        return Refuse(error,
                      (fs::path(dir) / own->name).string() +
                          " is a folder, and the AUTORUN.INF made to start the launcher would take its name "
                          "(case aside): Windows would open only one of them");
    if (own) {
        // The folder's own is pressed as it is; one that starts something
        // else (another product's, an empty one) silently stops autorun.
        // Its head is enough: an [autorun] section lies near the top.
        std::ifstream file(own->path, std::ios::binary);
        if (!file)
            return Refuse(error, WithReason("cannot read " + Printable(own->path)));
        std::string head(64 << 10, '\0');
        file.read(&head[0], std::streamsize(head.size()));
        head.resize(size_t(file.gcount()));
        const std::string problem = AutorunProblem(head, plan->launcher);
        if (!problem.empty())
            plan->warnings.push_back(Printable((fs::path(dir) / fs::path(own->path).filename()).string()) + " " +
                                     problem + "; it is pressed as it is");
        return true;
    }
    DiscEntry autorun;
    autorun.name = autorun.onDisc = "AUTORUN.INF";
    autorun.content =
        "[autorun]\r\nopen=" + plan->launcher + "\r\nicon=" + plan->launcher + "\r\nlabel=" + plan->title + "\r\n";
    autorun.size = autorun.content.size();
    auto& entries = plan->root.entries;
    entries.insert(std::lower_bound(entries.begin(), entries.end(), autorun,
                                    [](const DiscEntry& a, const DiscEntry& b) { return a.name < b.name; }),
                   std::move(autorun));
    return true;
}

// Every install copies each plain file of the root into the install
// directory through OpenFile, which takes no path of 128 bytes or more. The
// default directory on drive C: is assumed.
bool InstallPathsFit(const DiscPlan& plan, std::string* error)
{
    const std::string directory = "C:" + plan.installDir + "\\";
    std::string spelledDirectory, spelledName;
    if (!Utf8ToCp932(directory, &spelledDirectory))
        return Refuse(error, plan.launcher + "'s default install directory cannot be written in code page 932");
    for (const DiscEntry& entry : plan.root.entries) {
        Utf8ToCp932(entry.name, &spelledName);
        const size_t bytes = spelledDirectory.size() + spelledName.size();
        if (!entry.directory && bytes > kLongestOpenPath)
            return Refuse(error,
                          "every install would fail on " + entry.name + ": copied to " + directory + entry.name +
                              ", its path takes " + std::to_string(bytes) +
                              " bytes in code page 932, and Windows opens no path of 128 bytes or more "
                              "(assuming the default install directory, C: and the launcher's string 2)");
    }
    return true;
}

}  // namespace

bool PlanDisc(const std::string& dir, const FolderOptions& folder, const DiscAllowances& allowances, DiscPlan* plan,
              std::string* error)
{
    *plan = DiscPlan();
    struct stat root;
    if (stat(dir.c_str(), &root) != 0 || !S_ISDIR(root.st_mode))
        return Refuse(error, Printable(dir) + " is not a folder");
    Scan scan{folder, error, plan, {{root.st_dev, root.st_ino, Printable(dir)}}, std::vector<bool>(folder.excludes.size()), {}};
    scan.outExists = !folder.out.empty() && stat(folder.out.c_str(), &scan.out) == 0;
    if (!scan.Read(dir, &plan->root, Place{1, 1}))
        return false;
    for (size_t i = 0; i < folder.excludes.size(); ++i)
        if (!scan.used[i])
            plan->warnings.push_back("--exclude " + Printable(folder.excludes[i]) + " left nothing out");
    const DiscEntry* launcher = nullptr;
    const Product* product = nullptr;
    if (!FindLauncher(dir, *plan, &launcher, &product, error))
        return false;
    plan->launcher = launcher->name;
    if (!ReadLauncher(*launcher, *product, allowances, plan, error) || !CheckEngine(dir, *plan, allowances, error))
        return false;
    return AddAutorun(dir, plan, error) && InstallPathsFit(*plan, error);
}

bool UnchangedSincePlanned(const DiscEntry& file, std::string* error)
{
    struct stat info;
    if (stat(file.path.c_str(), &info) != 0)
        return Refuse(error, WithReason(file.path + " changed while it was pressed"));
    if (uint64_t(info.st_size) != file.size)
        return Refuse(error,
                      file.path + " changed while it was pressed, from " + std::to_string(file.size) + " to " +
                          std::to_string(info.st_size) + " bytes");
    if (info.st_mtim.tv_sec != file.modified.tv_sec || info.st_mtim.tv_nsec != file.modified.tv_nsec)
        return Refuse(error, file.path + " changed while it was pressed (its modification time moved)");
    return true;
}
