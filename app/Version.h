// The program's version text, shown by the splash window and the status bar,
// compared with the language file's version and stored by the update.
#pragma once

inline constexpr char kProgramVersion[] = "1.5d";
inline constexpr char kProgramName[] = "Tessaron";
