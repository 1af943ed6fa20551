// mkdisc: presses a folder into the ISO 9660 image of a game CD, for the
// people who make the discs.
//
//   mkdisc [options] DIR OUT.iso
//   mkdisc --dry-run [options] DIR
//
// DIR is the disc's root: the launcher (Q3.EXE or KRN.EXE), VGX.EXE and the
// game's data. The image carries Joliet names, so that Windows lists them
// under code page 932 as the folder spells them, and an AUTORUN.INF that
// starts the launcher, unless DIR has its own. Every time stamp on the disc
// is --date, else SOURCE_DATE_EPOCH, else the newest modification time in
// DIR: the same folder always presses to the same bytes. Either the disc
// holds every file under the name Windows shows for it, or there is no new
// image and the message says why.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "cli.h"
#include "disc_image.h"
#include "disc_names.h"
#include "disc_plan.h"

namespace fs = std::filesystem;

namespace {

const Tool kMkdisc{
    "mkdisc",
    "usage: mkdisc [--volume LABEL] [--date YYYY-MM-DD] [--exclude GLOB]... [--follow-links]\n"
    "              [--allow-any-machine] [--allow-no-engine] DIR OUT.iso\n"
    "       mkdisc --dry-run [options] DIR\n",
    "  presses DIR, the root of a game CD holding its launcher (Q3.EXE or KRN.EXE)\n"
    "  and VGX.EXE, into an ISO 9660 image with Joliet names and an AUTORUN.INF\n"
    "  --volume LABEL       the volume label: up to 16 of A-Z, 0-9 and _ (default\n"
    "                       VARNO_Q3 or VARNO_KRN)\n"
    "  --date DATE          every time stamp on the disc, from 1970-01-01 to\n"
    "                       2155-12-31 (default SOURCE_DATE_EPOCH, else the newest\n"
    "                       modification time in DIR)\n"
    "  --exclude GLOB       leaves out every entry, in any folder, whose name matches\n"
    "                       GLOB in any case (such as .git or '._*'); may be given\n"
    "                       again; one that leaves nothing out is warned of\n"
    "  --follow-links       presses what a symbolic link points to (else a link is\n"
    "                       refused); one that leads back into a folder holding it,\n"
    "                       a pseudo-file whose size is not what it reads, and OUT\n"
    "                       are still refused\n"
    "  --dry-run            lists each file as Windows shows it, its ISO 9660 name\n"
    "                       and its size, what --exclude left out, and the image's\n"
    "                       sectors against a 650 MB, a 700 MB and an 80-minute\n"
    "                       disc; writes nothing\n"
    "  --allow-any-machine  presses a launcher or VGX.EXE that is not a 32-bit\n"
    "                       Windows program (a 64-bit test build)\n"
    "  --allow-no-engine    presses a disc without VGX.EXE\n"
    "  Refused with the reason, and no image written: a name Windows would not\n"
    "  show or open as spelled (one that is not UTF-8, one code page 932 cannot\n"
    "  spell or spells as another, longer than Joliet's 64 characters, with\n"
    "  < > : \" \\ | ? * ; or a control character, ending in a dot or a space, a\n"
    "  device such as CON, NUL.DAT, \"NUL .DAT\" or CLOCK$, twins that differ only\n"
    "  in case or are one name once composed), a symbolic link, a path\n"
    "  beyond the Joliet tree's 240 bytes, a folder deeper than ISO 9660's eight\n"
    "  levels, a file of 4 GiB or more, an image larger than an 80-minute CD, a\n"
    "  file that changes while it is pressed, a launcher or VGX.EXE that is not a\n"
    "  32-bit Windows program, no VGX.EXE, and a root file whose path in the\n"
    "  install directory would take 128 bytes or more (every install copies it\n"
    "  there; the default directory, C: and the launcher's string 2, is\n"
    "  assumed), a folder's newest time stamp outside 1970-01-01 to 2155-12-31\n"
    "  unless --date is given. OUT is written beside itself and renamed into\n"
    "  place when whole; an OUT inside DIR, or one that exists and is not a\n"
    "  regular file, is refused.\n"
    "  Warned of: what a desktop or version control leaves (.DS_Store, ._*,\n"
    "  Thumbs.db, .git, .svn, __MACOSX, ...), a folder's own AUTORUN.INF that does\n"
    "  not start the launcher, a launcher whose title is not its product's.\n"
    "  Names a Mac writes decomposed (カ and U+3099) go on the disc composed (ガ),\n"
    "  as Windows spells them.\n"
    "  Exit status: 0 pressed, 1 refused or failed, 2 wrong command line.\n"
    "  --help, --version\n",
    {"--dry-run", "--follow-links", "--allow-any-machine", "--allow-no-engine"},
    {"--volume", "--date", "--exclude"}};

// ISO 9660 keeps years up to 2155: 2155-12-31 23:59:59 UTC.
constexpr time_t kLatestStamp = 5869583999;

struct Disc {
    const char* name;
    uint64_t sectors;
};

// Blank CDs by their nominal sizes (650 and 700 MiB), and the 80-minute
// CD's full 360,000 sectors, the most mkdisc presses.
const Disc kDiscs[] = {{"650 MB", 332800}, {"700 MB", 358400}, {"80-minute", kCdBytes / kSectorBytes}};

bool ValidLabel(const std::string& label)
{
    if (label.empty() || label.size() > 16)
        return false;
    for (char c : label)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

bool Holdable(time_t stamp) { return stamp >= 0 && stamp <= kLatestStamp; }

// Midnight UTC of a YYYY-MM-DD day that exists and that a disc can hold.
bool ParseDate(const std::string& text, time_t* stamp)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        text.find_first_not_of("0123456789-") != std::string::npos)
        return false;
    struct tm date = {};
    date.tm_year = atoi(text.c_str()) - 1900;
    date.tm_mon = atoi(text.c_str() + 5) - 1;
    date.tm_mday = atoi(text.c_str() + 8);
    const struct tm given = date;
    *stamp = timegm(&date);  // which moves a day that does not exist, such as 02-30
    return date.tm_year == given.tm_year && date.tm_mon == given.tm_mon && date.tm_mday == given.tm_mday &&
        Holdable(*stamp);
}

// Without --date, the disc's one time stamp is SOURCE_DATE_EPOCH, else the
// folder's newest: either only if the disc can hold it.
bool ChooseStamp(const DiscPlan& plan, time_t* stamp, std::string* error)
{
    const char* epoch = getenv("SOURCE_DATE_EPOCH");
    uint64_t seconds = 0;
    if (epoch && *epoch && !ParseCount(epoch, 0, uint64_t(kLatestStamp), &seconds)) {
        *error = std::string("SOURCE_DATE_EPOCH wants a count of seconds up to ") + std::to_string(kLatestStamp) +
            " (2155-12-31, the last day a disc holds), not " + epoch;
        return false;
    }
    *stamp = epoch && *epoch ? time_t(seconds) : plan.newest;
    if (Holdable(*stamp))
        return true;
    *error = "the newest modification time in the folder is " + UtcText(*stamp, "%Y-%m-%d") + ", " + plan.newestPath +
        "'s, which a disc cannot hold (1970-01-01 to 2155-12-31): give --date";
    return false;
}

// An OUT inside DIR would be pressed onto the disc, or over one of its files.
bool OutsideFolder(const std::string& dir, const std::string& out, std::string* error)
{
    std::error_code failure;
    const fs::path folder = fs::weakly_canonical(dir, failure);
    const fs::path where = fs::weakly_canonical(fs::absolute(out).parent_path(), failure);
    auto [inFolder, inWhere] = std::mismatch(folder.begin(), folder.end(), where.begin(), where.end());
    if (inFolder != folder.end())
        return true;
    *error = out + " lies inside " + dir + ": the image would be pressed onto its own disc";
    return false;
}

std::string WindowsPath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

void ShowLayout(const DiscPlan& plan, const DiscLayout& layout)
{
    printf("as Windows shows it (code page 932)\tISO 9660\tbytes\n");
    for (const LaidOutFile& file : layout.files)
        printf("%s\t%s\t%s\n", WindowsPath(file.entry->onDisc).c_str(), file.isoPath.c_str(),
               Grouped(file.entry->size).c_str());
    for (const std::string& path : plan.leftOut)
        printf("left out (--exclude): %s\n", path.c_str());
    const uint64_t sectors = layout.bytes / kSectorBytes;
    printf("image: %s sectors of 2,048 bytes (%s bytes)\n", Grouped(sectors).c_str(), Grouped(layout.bytes).c_str());
    for (const Disc& disc : kDiscs)
        printf("  %s disc, %s sectors: %s\n", disc.name, Grouped(disc.sectors).c_str(),
               sectors <= disc.sectors ? "fits" : "too large");
}

int Run(const CommandLine& line)
{
    const bool dryRun = line.Has("--dry-run");
    if (line.operands.size() != (dryRun ? 1u : 2u))
        return UsageError(dryRun ? "--dry-run wants DIR alone" : "wants DIR and OUT.iso");
    const std::string& dir = line.operands[0];
    const std::string out = dryRun ? "" : line.operands[1];
    std::string label = line.Has("--volume") ? line.options.at("--volume") : "", error;
    if (line.Has("--volume") && !ValidLabel(label))
        return UsageError("--volume wants up to 16 of A-Z, 0-9 and _, not " + label);
    time_t stamp = 0;
    if (line.Has("--date") && !ParseDate(line.options.at("--date"), &stamp))
        return UsageError("--date wants a day from 1970-01-01 to 2155-12-31 such as 1998-12-08, not " +
                          line.options.at("--date"));
    if (out == "-")
        return UsageError("the image goes to a file, not to standard output");
    if (!dryRun && !OutsideFolder(dir, out, &error))
        return Fail(error);

    FolderOptions folder;
    folder.followLinks = line.Has("--follow-links");
    if (line.Has("--exclude"))
        folder.excludes = line.values.at("--exclude");
    for (const std::string& glob : folder.excludes)
        if (glob.find('/') != std::string::npos)
            return UsageError("--exclude wants a pattern of names, matched in every folder, not a path: " +
                              Printable(glob));
    folder.out = out;
    DiscAllowances allowances;
    allowances.anyMachine = line.Has("--allow-any-machine");
    allowances.noEngine = line.Has("--allow-no-engine");
    DiscPlan plan;
    if (!PlanDisc(dir, folder, allowances, &plan, &error) || (!line.Has("--date") && !ChooseStamp(plan, &stamp, &error)))
        return Fail(error);
    for (const std::string& warning : plan.warnings)
        Warn(warning);
    if (label.empty())
        label = "VARNO_" + plan.launcher.substr(0, plan.launcher.find('.'));
    for (char& c : label)
        c = char(toupper((unsigned char)c));

    const DiscSettings settings{label, stamp};
    DiscLayout layout;
    if (!LayOutDisc(plan, settings, &layout, &error))
        return Fail(error);
    if (dryRun)
        ShowLayout(plan, layout);
    if (layout.bytes > kCdBytes)
        return Fail("the image would be " + Grouped(layout.bytes) + " bytes, more than an 80-minute CD holds (" +
                    Grouped(kCdBytes) + ")");
    if (!dryRun && !PressDisc(plan, settings, out, &error))
        return Fail(error);
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return RunTool(kMkdisc, argc, argv, Run); }
