#include "disc_plan.h"

#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "pe_strings.h"

namespace fs = std::filesystem;

const char* const kLaunchers[2] = {"Q3.EXE", "KRN.EXE"};

namespace {

constexpr uint64_t kLargestFile = 0xFFFFFFFFu;  // ISO 9660 levels 1 and 2: one extent
constexpr size_t kLongestJolietName = 64;       // UCS-2 characters

bool Convert(const char* from, const char* input, size_t size, std::string* out)
{
    iconv_t converter = iconv_open("CP932", from);
    if (converter == (iconv_t)-1)
        return false;
    std::string result(4 * size + 4, '\0');
    char* in = const_cast<char*>(input);
    char* at = &result[0];
    size_t left = size, room = result.size();
    const bool whole = iconv(converter, &in, &left, &at, &room) != (size_t)-1 &&
        iconv(converter, nullptr, nullptr, &at, &room) != (size_t)-1;
    iconv_close(converter);
    if (!whole)
        return false;
    result.resize(result.size() - room);
    *out = result;
    return true;
}

size_t Utf16Length(const std::string& utf8)
{
    size_t units = 0;
    for (unsigned char c : utf8)
        units += (c & 0xC0) != 0x80 ? 1 + (c >= 0xF0) : 0;  // four-byte sequences take a surrogate pair
    return units;
}

bool SameName(const std::string& a, const char* b)
{
    return a.size() == strlen(b) &&
        std::equal(a.begin(), a.end(), b, [](char x, char y) { return toupper((unsigned char)x) == toupper(y); });
}

struct Scan {
    DiscPlan* plan;
    std::string* error;

    bool Fail(const std::string& message)
    {
        *error = message;
        return false;
    }

    bool Read(const fs::path& dir, DiscEntry* into)
    {
        std::error_code failure;
        std::vector<fs::path> children;
        for (fs::directory_iterator it(dir, failure), end; !failure && it != end; it.increment(failure))
            children.push_back(it->path());
        if (failure)
            return Fail("cannot read " + dir.string() + ": " + failure.message());
        std::sort(children.begin(), children.end());
        for (const fs::path& child : children)
            if (!Add(child, into))
                return false;
        return true;
    }

    bool Add(const fs::path& path, DiscEntry* parent)
    {
        DiscEntry entry;
        entry.name = path.filename().string();
        entry.path = fs::absolute(path).string();  // libisofs reads by absolute paths
        std::string spelled;
        if (!Utf8ToCp932(entry.name, &spelled))
            return Fail("the name " + path.string() + " cannot be written in code page 932, as Windows shows it");
        if (Utf16Length(entry.name) > kLongestJolietName)
            return Fail("the name " + path.string() + " is longer than the 64 characters a Joliet name holds");
        struct stat info;
        if (stat(entry.path.c_str(), &info) != 0)
            return Fail("cannot read " + path.string() + ": " + strerror(errno));
        plan->newest = std::max(plan->newest, info.st_mtime);
        if (S_ISDIR(info.st_mode)) {
            entry.directory = true;
            if (!Read(path, &entry))
                return false;
        } else if (S_ISREG(info.st_mode)) {
            entry.size = uint64_t(info.st_size);
            if (entry.size > kLargestFile)
                return Fail(path.string() + " is " + std::to_string(entry.size) +
                            " bytes: a file on an ISO 9660 disc holds at most 4,294,967,295");
        } else {
            return Fail(path.string() + " is neither a file nor a folder");
        }
        parent->entries.push_back(std::move(entry));
        return true;
    }
};

const DiscEntry* FindRootFile(const DiscPlan& plan, const char* name)
{
    for (const DiscEntry& entry : plan.root.entries)
        if (!entry.directory && SameName(entry.name, name))
            return &entry;
    return nullptr;
}

}  // namespace

bool Utf8ToCp932(const std::string& text, std::string* out) { return Convert("UTF-8", text.data(), text.size(), out); }

bool Utf16ToCp932(const std::u16string& text, std::string* out)
{
    return Convert("UTF-16LE", reinterpret_cast<const char*>(text.data()), 2 * text.size(), out);
}

bool PlanDisc(const std::string& dir, DiscPlan* plan, std::string* error)
{
    auto fail = [error](const std::string& message) {
        *error = message;
        return false;
    };
    *plan = DiscPlan();
    std::error_code failure;
    if (!fs::is_directory(dir, failure))
        return fail(dir + " is not a folder");
    Scan scan{plan, error};
    if (!scan.Read(dir, &plan->root))
        return false;

    const DiscEntry* launcher = nullptr;
    for (const char* name : kLaunchers) {
        const DiscEntry* found = FindRootFile(*plan, name);
        if (found && launcher)
            return fail(dir + " holds two launchers, " + launcher->name + " and " + found->name);
        if (found)
            launcher = found;
    }
    if (!launcher)
        return fail(dir + " holds no launcher (Q3.EXE or KRN.EXE) in its root");
    plan->launcher = launcher->name;

    std::ifstream in(launcher->path, std::ios::binary);
    const std::vector<uint8_t> program((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string title;
    if (!ReadStringResource(program, 1, &title) || !Utf16ToCp932(title, &plan->title))
        return fail(launcher->path + " carries no product title (string 1)");

    if (!FindRootFile(*plan, "AUTORUN.INF")) {
        DiscEntry autorun;
        autorun.name = "AUTORUN.INF";
        autorun.content = "[autorun]\r\nopen=" + plan->launcher + "\r\nicon=" + plan->launcher + "\r\nlabel=" +
            plan->title + "\r\n";
        autorun.size = autorun.content.size();
        auto& entries = plan->root.entries;
        entries.insert(std::lower_bound(entries.begin(), entries.end(), autorun,
                                        [](const DiscEntry& a, const DiscEntry& b) { return a.name < b.name; }),
                       std::move(autorun));
    }
    return true;
}
