#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// The launchers' version block says 1.00; the tools ship with them.
constexpr const char* kVersion = "1.00";

const Tool* running = nullptr;

bool Listed(const std::vector<std::string>& options, const std::string& name)
{
    return std::find(options.begin(), options.end(), name) != options.end();
}

// Fills `line` from argv; false with a message when something is wrong.
bool Parse(const Tool& tool, int argc, char** argv, CommandLine* line, std::string* wrong)
{
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnded || argument == "-" || argument[0] != '-') {
            line->operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (Listed(tool.flags, name) && equals == std::string::npos) {
            line->options[name] = "";
        } else if (Listed(tool.valued, name) && (equals != std::string::npos || i + 1 < argc)) {
            const std::string value = equals != std::string::npos ? argument.substr(equals + 1) : argv[++i];
            line->options[name] = value;
            line->values[name].push_back(value);
        } else if (Listed(tool.valued, name)) {
            *wrong = name + " wants a value";
            return false;
        } else if (Listed(tool.flags, name)) {
            *wrong = name + " takes no value";
            return false;
        } else {
            *wrong = "unknown option " + name;
            return false;
        }
    }
    return true;
}

// --help and --version, wherever they stand, answer alone.
bool Answered(const Tool& tool, int argc, char** argv)
{
    for (int i = 1; i < argc && strcmp(argv[i], "--") != 0; ++i) {
        if (strcmp(argv[i], "--help") == 0) {
            printf("%s%s", tool.synopsis, tool.help);
            return true;
        }
        if (strcmp(argv[i], "--version") == 0) {
            printf("%s %s\n", tool.name, kVersion);
            return true;
        }
    }
    return false;
}

// What a tool prints on standard output is its report: one that did not
// all get there is a failure, as an output file that could not be written.
int Reported(int status)
{
    if (status == 0 && (fflush(stdout) != 0 || ferror(stdout)))
        return Fail(WithReason("cannot write to standard output"));
    return status;
}

}  // namespace

int RunTool(const Tool& tool, int argc, char** argv, int (*run)(const CommandLine&))
{
    running = &tool;
    if (Answered(tool, argc, argv))
        return Reported(0);
    CommandLine line;
    std::string wrong;
    if (!Parse(tool, argc, argv, &line, &wrong))
        return UsageError(wrong);
    try {
        return Reported(run(line));
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}

int UsageError(const std::string& what)
{
    fprintf(stderr, "%s: %s\n%s(%s --help says more)\n", running->name, what.c_str(), running->synopsis, running->name);
    return 2;
}

int Fail(const std::string& why)
{
    fprintf(stderr, "%s: %s\n", running->name, why.c_str());
    return 1;
}

void Warn(const std::string& what) { fprintf(stderr, "%s: warning: %s\n", running->name, what.c_str()); }

std::string WithReason(const std::string& what) { return what + ": " + strerror(errno); }

std::string Grouped(uint64_t number)
{
    std::string digits = std::to_string(number);
    for (size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

bool ParseCount(const std::string& text, uint64_t min, uint64_t max, uint64_t* value)
{
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    *value = strtoull(text.c_str(), nullptr, 10);
    return errno == 0 && *value >= min && *value <= max;
}
