// What the disc maker's tools share on the command line: options before or
// after the operands, --name=VALUE as well as --name VALUE, "--" ending the
// options, --help and --version; exit status 2 for a wrong command line and
// 1 for a failure; every message starts with the tool's name.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct Tool {
    const char* name;
    const char* synopsis;             // the usage lines, each starting "usage: NAME" or spaces
    const char* help;                 // what --help adds after them
    std::vector<std::string> flags;   // options without a value, such as --dry-run
    std::vector<std::string> valued;  // options that take one, such as --date
};

struct CommandLine {
    std::vector<std::string> operands;
    std::map<std::string, std::string> options;  // those given, with their last values ("" for a flag)
    std::map<std::string, std::vector<std::string>> values;  // every value of each, in order

    bool Has(const std::string& option) const { return options.count(option) != 0; }
};

// Parses the command line and runs the tool on it; returns the exit status.
// --help and --version are answered here, and running out of memory, or a
// report on standard output that cannot be written, is reported like any
// other failure.
int RunTool(const Tool& tool, int argc, char** argv, int (*run)(const CommandLine&));

// Says what was wrong with the command line, then the usage; returns 2.
int UsageError(const std::string& what);

// Says why the tool failed; returns 1.
int Fail(const std::string& why);

// A warning that does not stop the tool.
void Warn(const std::string& what);

// `what` with the system's reason for the last call that set errno.
std::string WithReason(const std::string& what);

// 1234567 as "1,234,567".
std::string Grouped(uint64_t number);

// A whole decimal number from `min` to `max`, or false.
bool ParseCount(const std::string& text, uint64_t min, uint64_t max, uint64_t* value);
