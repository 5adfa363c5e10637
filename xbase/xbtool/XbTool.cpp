// xbtool: the command-line tool for xBase tables. Every command prints its
// result on stdout and ends with status 0, or prints one line "xbtool: ..."
// on stderr and ends with status 1.
#include "xbase/xbtool/ToolCommon.h"

#include "app/Version.h"

#include <cstring>
#include <iostream>

namespace {

void usage(const std::vector<xbtool::Command> &commands)
{
    std::cerr << "usage: xbtool COMMAND TABLE [arguments] [--password P]\n"
                 "       xbtool --version\n";
    for (const xbtool::Command &c : commands)
        std::cerr << "  xbtool " << c.usage << "\n";
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<xbtool::Command> commands = xbtool::tableCommands();
    for (const xbtool::Command &c : xbtool::indexCommands())
        commands.push_back(c);
    for (const xbtool::Command &c : xbtool::repairCommands())
        commands.push_back(c);
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        usage(commands);
        return argc < 2 ? 1 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::cout << "xbtool (" << kProgramName << ") " << kProgramVersion << "\n";
        return 0;
    }
    xbtool::Args args;
    args.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            const std::string name = a.substr(2);
            if (xbtool::takesValue(name)) {
                if (i + 1 >= argc)
                    return xbtool::fail("option " + a + " needs a value");
                args.options[name] = argv[++i];
            } else {
                args.options[name] = "";
            }
        } else {
            args.positional.push_back(a);
        }
    }
    for (const xbtool::Command &c : commands)
        if (args.command == c.name)
            return c.run(args);
    return xbtool::fail("unknown command \"" + args.command + "\" (xbtool --help lists them)");
}
