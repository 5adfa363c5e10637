// The database schema: the sixteen tables of the data directory, their
// fields, index tags and encryption, and the file names they live under.
//
// The schema table is built once, on first use, and never changes. Its
// order matters: tables are created, re-indexed and offered for conversion
// in this order, and the position selects the creation routine.
//
// File names. Every table file is spelled in upper case, stem and extension
// alike (ADRESS.DBF, ADRESS.CDX, NOTIZEN.FPT, BOOKS.DBF, CDDBPREP.DBF), on
// every platform and by every caller; tableFile() gives that spelling. Files
// another tool wrote with other case are still found when a table is opened
// (the engine ignores case), and existingFile() finds them for the
// maintenance code, which tests and deletes files itself.
#pragma once

#include <QString>
#include <vector>

class TXbaseDataSet;

struct SchemaTag {
    QString name;   // "1", "2", ...
    QString key;    // key expression
    QString option; // digit string, "0" for every tag
};

struct SchemaTable {
    int position = 0;      // 1 ... 16
    QString stem;          // at most 8 characters, as the schema spells it
    QString description;   // at most 20 characters, shown while working on it
    bool encrypted = false;
    std::vector<SchemaTag> tags;
};

namespace schema {

inline constexpr int kTableCount = 16;

// Positions of the tables the rest of the program names.
enum Position : int {
    kAdress = 1, kCassette, kTermin, kStaaten, kPlz, kTitel, kSex, kInterpre,
    kMsparten, kVsparten, kVideo, kNotizen, kBooks, kBsparten, kAutoren, kCddbPrep
};

// The key of the encrypted reference tables.
inline constexpr char kReferencePassword[] = "quillon";

// All sixteen entries in schema order. The reference stays valid for the
// whole run.
const std::vector<SchemaTable> &tables();

// The entry at `position` (1 ... 16). Throws std::out_of_range otherwise.
const SchemaTable &table(int position);

// The entry whose stem equals `stem`, ignoring case (file names carry one
// spelling, so "CDDBPREP" and "CDDBprep" are the same table); nullptr when
// there is none.
const SchemaTable *findTable(const QString &stem);

// The file name of a table file: the stem and `extension` in upper case,
// for example tableFile("CDDBprep", "dbf") == "CDDBPREP.DBF".
QString tableFile(const QString &stem, const QString &extension);

// directory + "/" + tableFile(stem, extension).
QString tablePath(const QString &directory, const QString &stem, const QString &extension);

// The path of an existing file `name` in `directory`, found without regard
// to case (the exact spelling wins); empty when there is none.
QString existingFile(const QString &directory, const QString &name);

// Creates the empty table of `position` at `path` (the full file name) with
// its fields in order, engine table type 2, through a dataset of its own.
// Builds no tags and does not encrypt. Returns false when the engine refuses
// (the directory is missing or not writable, for instance); a table already
// at `path` is replaced.
bool createTable(int position, const QString &path);

// The same through `dataSet`, which must be closed and stays closed.
bool createTable(int position, const QString &path, TXbaseDataSet &dataSet);

// The rule for opening a table: after `dataSet` (opened on the table of
// `position`) is open, an encrypted table gets the reference password and,
// when it is not encrypted yet, is encrypted now; any other table gets the
// empty password. Every window and the maintenance code call this right
// after Open. Encrypting needs the table to itself for a moment; when
// another dataset or process has it open, the table stays plain (and
// readable) and the result is false, so the next opening tries again.
// True otherwise.
bool applyPassword(TXbaseDataSet &dataSet, int position);

} // namespace schema
