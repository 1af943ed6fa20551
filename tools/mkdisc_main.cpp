// mkdisc: presses a folder into the ISO 9660 image of a game CD, for the
// people who make the discs.
//
//   mkdisc [--volume LABEL] [--date YYYY-MM-DD] DIR OUT.iso
//
// DIR is the disc's root: the launcher (Q3.EXE or KRN.EXE), VGX.EXE and the
// game's data. The image carries Joliet names, so that Windows lists them
// under code page 932 as the folder spells them, and an AUTORUN.INF that
// starts the launcher, unless DIR has its own. Every time stamp on the disc
// is --date, else SOURCE_DATE_EPOCH, else the newest modification time in
// DIR: the same folder always presses to the same bytes.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "disc_image.h"
#include "disc_plan.h"

namespace {

int Fail(const std::string& message)
{
    fprintf(stderr, "mkdisc: %s\n", message.c_str());
    return 1;
}

int Usage(bool asked)
{
    fprintf(asked ? stdout : stderr,
            "usage: mkdisc [--volume LABEL] [--date YYYY-MM-DD] DIR OUT.iso\n"
            "  presses DIR, the root of a game CD holding its launcher (Q3.EXE or KRN.EXE),\n"
            "  into an ISO 9660 image with Joliet names and an AUTORUN.INF\n"
            "  --volume LABEL   the volume label: up to 16 of A-Z, 0-9 and _ (default VARNO_Q3\n"
            "                   or VARNO_KRN)\n"
            "  --date DATE      every time stamp on the disc (default SOURCE_DATE_EPOCH, else\n"
            "                   the newest modification time in DIR)\n");
    return asked ? 0 : 2;
}

bool ValidLabel(const std::string& label)
{
    if (label.empty() || label.size() > 16)
        return false;
    for (char c : label)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

// Midnight UTC of a YYYY-MM-DD date.
bool ParseDate(const char* text, time_t* stamp)
{
    struct tm date = {};
    const char* end = strptime(text, "%Y-%m-%d", &date);
    if (!end || *end != '\0' || date.tm_year < 70)
        return false;
    *stamp = timegm(&date);
    return true;
}

bool SourceDateEpoch(time_t* stamp)
{
    const char* text = getenv("SOURCE_DATE_EPOCH");
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    const long long seconds = strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || seconds < 0)
        return false;
    *stamp = time_t(seconds);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string label, dir, out;
    time_t stamp = 0;
    bool haveDate = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help")
            return Usage(true);
        if (argument == "--volume" && i + 1 < argc) {
            label = argv[++i];
            if (!ValidLabel(label))
                return Fail("--volume wants up to 16 of A-Z, 0-9 and _, not " + label);
        } else if (argument == "--date" && i + 1 < argc) {
            if (!ParseDate(argv[++i], &stamp))
                return Fail(std::string("--date wants a date such as 1998-12-08, not ") + argv[i]);
            haveDate = true;
        } else if (argument.rfind("--", 0) == 0 || !out.empty()) {
            return Usage(false);
        } else {
            (dir.empty() ? dir : out) = argument;
        }
    }
    if (out.empty())
        return Usage(false);
    if (!haveDate && getenv("SOURCE_DATE_EPOCH") && !(haveDate = SourceDateEpoch(&stamp)))
        return Fail("SOURCE_DATE_EPOCH wants a count of seconds");

    DiscPlan plan;
    std::string error;
    if (!PlanDisc(dir, &plan, &error))
        return Fail(error);
    if (label.empty())
        label = "VARNO_" + plan.launcher.substr(0, plan.launcher.find('.'));
    for (char& c : label)
        c = char(toupper((unsigned char)c));
    if (!PressDisc(plan, label, haveDate ? stamp : plan.newest, out, &error))
        return Fail(error);
    return 0;
}
