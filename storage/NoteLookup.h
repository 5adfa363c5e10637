// The engine's NOTE(key) function: the note text of a record key, read from
// NOTIZEN in the data directory. Filters search an address's notes with it
// and stay one engine query.
#pragma once

#include <QString>

// Makes NOTE(key) read the notes of `dataDirectory` (the notes table is
// opened at the first use and kept open). Calling it again switches the
// directory; an empty directory removes the function's provider.
void installNoteLookup(const QString &dataDirectory);
// Closes the notes table the lookup keeps open (the next NOTE() opens it
// again), so that maintenance can hold it exclusively.
void releaseNoteLookup();
