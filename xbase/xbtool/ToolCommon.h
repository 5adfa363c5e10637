// Shared pieces of the xbtool commands: parsed arguments, CSV reading and
// writing, and the way a command reports failure (one line on stderr, exit
// status 1).
#pragma once

#include "xbase/table/Status.h"

namespace xb {
class Table;
}

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace xbtool {

struct Args {
    std::string command;
    std::vector<std::string> positional; // after the command
    std::map<std::string, std::string> options; // --name value, or --flag ""

    bool has(const std::string &name) const { return options.count(name) > 0; }
    std::string get(const std::string &name) const
    {
        auto it = options.find(name);
        return it == options.end() ? std::string() : it->second;
    }
};

// Options that take a value; every other --name is a flag.
bool takesValue(const std::string &option);

// One command: returns the exit status.
using CommandFn = int (*)(const Args &);
struct Command {
    const char *name;
    const char *usage;
    CommandFn run;
};
// The table commands (TableCommands.cpp), the index commands
// (IndexCommands.cpp) and repair (RepairCommand.cpp).
const std::vector<Command> &tableCommands();
const std::vector<Command> &indexCommands();
const std::vector<Command> &repairCommands();
// The tag part of "check": prints one line per tag and per finding;
// *damaged receives the number of damaged tags. Returns 1 when there are.
int checkTags(xb::Table &table, int *damaged);

// The --password (UTF-8 on the command line) as table text; empty when none.
xb::Status passwordOf(const Args &args, std::string &out);
// Sets the table's password from --password.
xb::Status applyPassword(const Args &args, xb::Table &table);
// Fails unless the table is plain or the password matches.
xb::Status requireReadable(const Args &args, xb::Table &table);

// Prints "xbtool: <message>" on stderr and returns 1.
int fail(const std::string &message);
int fail(const xb::Status &status);

// CSV after RFC 4180: fields separated by commas, quoted when they hold a
// comma, a quote or a line break.
std::string csvField(const std::string &text);
// Reads one record (which may span lines inside quotes); false at the end.
bool readCsvRecord(std::FILE *in, std::vector<std::string> &fields, std::string *error);

} // namespace xbtool
