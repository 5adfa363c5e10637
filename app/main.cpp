// Tessaron takes no command-line arguments; everything comes from
// Tessaron.INI beside the program.
#include "app/Startup.h"

int main(int argc, char **argv)
{
    return runTessaron(argc, argv);
}
