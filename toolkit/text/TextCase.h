// Upper case as the table engine makes it: Windows-1252 letters map to their
// capitals (ä to Ä, š to Š, ÿ to Ÿ), ß stays ß, and nothing changes length.
// Every upper-case entry and every search key of the program goes through
// here, so what the user sees typed matches the engine's index keys.
#pragma once

#include <QString>

namespace tk {

// `text` in upper case by the engine's rule. Characters outside
// Windows-1252 come back unchanged.
QString upperCase(const QString &text);

} // namespace tk
