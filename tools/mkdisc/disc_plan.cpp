#include "disc_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

struct Scan {
    std::string* error;
    DiscPlan* plan;

    bool Read(const fs::path& dir, DiscEntry* into, int jolietBytes, int level)
    {
        std::error_code failure;
        std::vector<fs::path> children;
        for (fs::directory_iterator it(dir, failure), end; !failure && it != end; it.increment(failure))
            children.push_back(it->path());
        if (failure)
            return Refuse(error, "cannot read " + dir.string() + ": " + failure.message());
        std::sort(children.begin(), children.end());
        for (const fs::path& child : children)
            if (!Add(child, into, jolietBytes, level))
                return false;
        return NoCaseTwins(dir, *into);
    }

    bool Add(const fs::path& path, DiscEntry* parent, int parentJolietBytes, int parentLevel)
    {
        DiscEntry entry;
        entry.name = path.filename().string();
        entry.onDisc = parent->onDisc.empty() ? entry.name : parent->onDisc + "/" + entry.name;
        entry.path = fs::absolute(path).string();  // libisofs reads by absolute paths
        const std::string problem = NameProblem(entry.name);
        if (!problem.empty())
            return Refuse(error, "the name " + path.string() + " " + problem);
        const int jolietBytes = JolietPathBytes(parentJolietBytes, entry.name);
        if (jolietBytes > kLongestJolietPath)
            return Refuse(error,
                          path.string() + ": its path takes " + std::to_string(jolietBytes) +
                              " bytes in the Joliet tree, more than the 240 it holds, so Windows would not see it");
        struct stat info;
        if (stat(entry.path.c_str(), &info) != 0)
            return Refuse(error, WithReason("cannot read " + path.string()));
        if (info.st_mtime > plan->newest) {
            plan->newest = info.st_mtime;
            plan->newestPath = path.string();
        }
        entry.modified = info.st_mtim;
        if (S_ISDIR(info.st_mode)) {
            entry.directory = true;
            if (parentLevel + 1 > kDeepestLevel)
                return Refuse(error,
                              path.string() +
                                  " is a folder too deep for ISO 9660, which keeps eight levels, "
                                  "the root's among them");
            if (!Read(path, &entry, jolietBytes, parentLevel + 1))
                return false;
        } else if (S_ISREG(info.st_mode)) {
            entry.size = uint64_t(info.st_size);
            if (entry.size > kLargestFile)
                return Refuse(error,
                              path.string() + " is " + std::to_string(entry.size) +
                                  " bytes: a file on an ISO 9660 disc holds at most 4,294,967,295");
        } else {
            return Refuse(error, path.string() + " is neither a file nor a folder");
        }
        parent->entries.push_back(std::move(entry));
        return true;
    }

    bool NoCaseTwins(const fs::path& dir, const DiscEntry& folder)
    {
        std::map<std::wstring, const DiscEntry*> seen;
        for (const DiscEntry& entry : folder.entries) {
            const auto [first, fresh] = seen.emplace(CaseFolded(entry.name), &entry);
            if (!fresh)
                return Refuse(error,
                              (dir / first->second->name).string() + " and " + entry.name +
                                  " differ only in case: Windows would open only one of them");
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

bool AddAutorun(const std::string& dir, DiscPlan* plan, std::string* error)
{
    const DiscEntry* own = FindRootEntry(*plan, "AUTORUN.INF");
    if (own && own->directory)
        return Refuse(error,
                      (fs::path(dir) / own->name).string() +
                          " is a folder, and the AUTORUN.INF made to start the launcher would take its name "
                          "(case aside): Windows would open only one of them");
    if (own)
        return true;
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

bool PlanDisc(const std::string& dir, const DiscAllowances& allowances, DiscPlan* plan, std::string* error)
{
    *plan = DiscPlan();
    std::error_code failure;
    if (!fs::is_directory(dir, failure))
        return Refuse(error, dir + " is not a folder");
    Scan scan{error, plan};
    if (!scan.Read(dir, &plan->root, 1, 1))
        return false;
    const DiscEntry* launcher;
    const Product* product;
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
