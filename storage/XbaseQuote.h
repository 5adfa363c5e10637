// Writing a text into an xBase expression as a string constant.
#pragma once

#include <QString>

// The text as a string constant the engine reads back unchanged: between
// double quotes, else single quotes, else square brackets, whichever the
// text does not contain; a text holding all three becomes quoted pieces
// joined with "+". The empty text gives "".
QString xbQuote(const QString &text);
