// The program's start-up sequence, from the configuration to the message loop.
#pragma once

// Runs the program: configuration, splash and single instance, language,
// password, main window, message loop. Returns the process exit code.
int runTessaron(int argc, char **argv);
