// The schema table and the creation routines of the sixteen tables.
#include "storage/DatabaseSchema.h"

#include "storage/TXbaseDataSet.h"

#include <QDir>
#include <QFileInfo>

#include <stdexcept>

namespace {

struct FieldDef {
    const char *name;
    char type;
    int width;
};

// The fields of each table in record order, by schema position - 1. Every
// field has 0 decimals.
const std::vector<std::vector<FieldDef>> &fieldLists()
{
    static const std::vector<std::vector<FieldDef>> lists = {
        // ADRESS
        {{"FAMNAME", 'C', 37}, {"VORNAME", 'C', 37}, {"STRASSE", 'C', 37}, {"STAAT", 'C', 3}, {"PLZ", 'C', 6},
         {"ORT", 'C', 25}, {"TELNU", 'C', 24}, {"TELNU2", 'C', 24}, {"TELMOBIL", 'C', 24}, {"TELFAX", 'C', 24},
         {"BEMERKUNG", 'C', 100}, {"CONTACT1", 'D', 8}, {"CONTACTX", 'D', 8}, {"GEB_DAT", 'D', 8},
         {"BABY", 'C', 15}, {"SEX", 'C', 1}, {"TITEL", 'C', 18}, {"ANREDE", 'C', 30}, {"WWW", 'C', 50},
         {"EMAIL", 'C', 25}, {"FIDO", 'C', 15}, {"CIS", 'C', 11}, {"INR", 'C', 15}, {"SELECTED", 'C', 1},
         {"WICHTIG", 'C', 1}, {"L_UPDATE", 'D', 8}},
        // CASSETTE
        {{"TRACK", 'N', 3}, {"LIEDERL", 'C', 35}, {"INTERPRET", 'C', 35}, {"CASS_NO", 'N', 3},
         {"SPARTE", 'C', 20}, {"ART", 'C', 2}, {"LAUFZEIT", 'C', 8}, {"DESCRIBE", 'C', 20},
         {"VERL_DAT", 'D', 8}, {"VERL_NAM", 'C', 20}, {"VERL_VON", 'C', 20}, {"STEREO", 'C', 1},
         {"WERTUNG", 'C', 1}, {"PREIS", 'N', 6}, {"WERT", 'N', 6}, {"L_UPDATE", 'D', 8}, {"INR", 'C', 15},
         {"CDDB_ID", 'C', 8}, {"SELECTED", 'C', 1}},
        // TERMIN
        {{"DATUM", 'D', 8}, {"ZEIT", 'C', 5}, {"EZEIT", 'C', 5}, {"TERMIN", 'C', 30}, {"NOTIZ", 'C', 60},
         {"TELNU", 'C', 20}, {"WTERMIN", 'N', 9}, {"INR", 'C', 15}, {"L_UPDATE", 'D', 8}, {"SELECTED", 'C', 1}},
        // STAATEN
        {{"STAAT", 'C', 3}, {"NAME", 'C', 25}},
        // PLZ
        {{"GEMEINDE", 'C', 30}, {"BUNDESLAND", 'C', 2}, {"STAAT", 'C', 3}, {"PLZ", 'C', 6}, {"VORWAHL", 'N', 6}},
        // TITEL
        {{"TITEL", 'C', 18}, {"ANREDE", 'C', 30}},
        // SEX
        {{"NAME", 'C', 37}, {"SEX", 'C', 1}},
        // INTERPRE
        {{"INTERPRET", 'C', 35}},
        // MSPARTEN
        {{"SPARTE", 'C', 20}},
        // VSPARTEN
        {{"SPARTE", 'C', 20}},
        // VIDEO
        {{"TITEL", 'C', 35}, {"DESCRIBE", 'C', 60}, {"SPARTE", 'C', 20}, {"LAENGE", 'C', 5}, {"REGIE", 'C', 20},
         {"DARSTELLER", 'C', 40}, {"POS_VON", 'N', 6}, {"POS_BIS", 'N', 6}, {"CASS_NO", 'N', 6},
         {"CASS_LEN", 'N', 6}, {"VERL_DAT", 'D', 8}, {"VERL_NAM", 'C', 20}, {"VERL_VON", 'C', 20},
         {"STEREO", 'C', 1}, {"PREIS", 'N', 6}, {"WERT", 'N', 6}, {"WERTUNG", 'C', 1}, {"L_UPDATE", 'D', 8},
         {"INR", 'C', 15}, {"SELECTED", 'C', 1}},
        // NOTIZEN
        {{"INR", 'C', 15}, {"NOTIZ", 'M', 10}},
        // BOOKS
        {{"TITEL", 'C', 35}, {"AUTOR", 'C', 40}, {"DESCRIBE", 'C', 60}, {"SPARTE", 'C', 20}, {"SEITEN", 'N', 5},
         {"VERLAG", 'C', 40}, {"BUCH_NO", 'N', 6}, {"BUCH_ART", 'C', 11}, {"BAENDE", 'N', 3},
         {"VERL_DAT", 'D', 8}, {"VERL_NAM", 'C', 20}, {"VERL_VON", 'C', 20}, {"PREIS", 'N', 6},
         {"WERT", 'N', 6}, {"WERTUNG", 'C', 1}, {"L_UPDATE", 'D', 8}, {"INR", 'C', 15}, {"SELECTED", 'C', 1}},
        // BSPARTEN
        {{"SPARTE", 'C', 20}},
        // AUTOREN
        {{"AUTOR", 'C', 35}},
        // CDDBprep
        {{"TRACK", 'N', 3}, {"LIEDERL", 'C', 35}, {"INTERPRET", 'C', 35}, {"SPARTE", 'C', 20},
         {"LAUFZEIT", 'C', 8}, {"DESCRIBE", 'C', 20}, {"CDDB_ID", 'C', 8}},
    };
    return lists;
}

SchemaTable entry(int position, const char *stem, const QString &description, bool encrypted,
                  std::initializer_list<const char *> keys)
{
    SchemaTable t;
    t.position = position;
    t.stem = QString::fromLatin1(stem);
    t.description = description;
    t.encrypted = encrypted;
    int n = 0;
    for (const char *key : keys)
        t.tags.push_back({QString::number(++n), QString::fromLatin1(key), QStringLiteral("0")});
    return t;
}

std::vector<SchemaTable> buildTables()
{
    return {
        entry(1, "ADRESS", QStringLiteral("Adreßdaten"), false,
              {"UPPER(FAMNAME+VORNAME)", "UPPER(VORNAME+FAMNAME)", "UPPER(PLZ+ORT+FAMNAME)", "UPPER(ORT+FAMNAME)",
               "UPPER(STRASSE+FAMNAME)", "TELNU", "GEB_DAT"}),
        entry(2, "CASSETTE", QStringLiteral("MC/LP/CD-Daten"), false,
              {"UPPER(LIEDERL+INTERPRET)", "UPPER(INTERPRET+LIEDERL)", "UPPER(SPARTE+LIEDERL)", "CASS_NO",
               "UPPER(ART+INTERPRET)"}),
        entry(3, "TERMIN", QStringLiteral("Termindaten"), false, {"DATUM", "UPPER(TERMIN)", "NOTIZ"}),
        entry(4, "STAATEN", QStringLiteral("Staaten"), true, {"UPPER(STAAT)"}),
        entry(5, "PLZ", QStringLiteral("Orte und Plz."), true, {"PLZ"}),
        entry(6, "TITEL", QStringLiteral("Titel und Anreden"), true, {"UPPER(TITEL)"}),
        entry(7, "SEX", QStringLiteral("Geschlechter"), true, {"UPPER(NAME)"}),
        entry(8, "INTERPRE", QStringLiteral("Interpreten"), false, {"UPPER(INTERPRET)"}),
        entry(9, "MSPARTEN", QStringLiteral("Musiksparten"), false, {"UPPER(SPARTE)"}),
        entry(10, "VSPARTEN", QStringLiteral("Filmsparten"), false, {"UPPER(SPARTE)"}),
        entry(11, "VIDEO", QStringLiteral("Videofilme"), false,
              {"UPPER(TITEL+DESCRIBE)", "UPPER(DESCRIBE+TITEL)", "UPPER(SPARTE+TITEL)", "LAENGE", "CASS_LEN",
               "CASS_NO"}),
        entry(12, "NOTIZEN", QStringLiteral("Notizen"), false, {"INR"}),
        entry(13, "BOOKS", QStringLiteral("Bibliotheksdaten"), false,
              {"UPPER(TITEL)+STR(BAENDE)", "UPPER(AUTOR+TITEL)", "UPPER(VERLAG+AUTOR)", "UPPER(SPARTE+TITEL)",
               "SEITEN", "BUCH_NO"}),
        entry(14, "BSPARTEN", QStringLiteral("Buchsparten"), false, {"UPPER(SPARTE)"}),
        entry(15, "AUTOREN", QStringLiteral("Buchautoren"), false, {"UPPER(AUTOR)"}),
        entry(16, "CDDBprep", QStringLiteral("CDDB vorbereitete CD"), false, {"CDDB_ID"}),
    };
}

} // namespace

namespace schema {

const std::vector<SchemaTable> &tables()
{
    static const std::vector<SchemaTable> all = buildTables();
    return all;
}

const SchemaTable &table(int position)
{
    if (position < 1 || position > kTableCount)
        throw std::out_of_range("schema position " + std::to_string(position));
    return tables()[static_cast<std::size_t>(position - 1)];
}

const SchemaTable *findTable(const QString &stem)
{
    for (const SchemaTable &t : tables()) {
        if (t.stem.compare(stem, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

QString tableFile(const QString &stem, const QString &extension)
{
    return stem.toUpper() + QLatin1Char('.') + extension.toUpper();
}

QString tablePath(const QString &directory, const QString &stem, const QString &extension)
{
    return directory + QLatin1Char('/') + tableFile(stem, extension);
}

QString existingFile(const QString &directory, const QString &name)
{
    const QString exact = directory + QLatin1Char('/') + name;
    if (QFileInfo(exact).isFile())
        return exact;
    const QDir dir(directory);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &entryName : entries) {
        if (entryName.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entryName);
    }
    return QString();
}

bool createTable(int position, const QString &path, TXbaseDataSet &dataSet)
{
    (void)table(position); // checks the position
    const std::vector<FieldDef> &fields = fieldLists()[static_cast<std::size_t>(position - 1)];
    if (!dataSet.CreateNew(path, 2, static_cast<int>(fields.size())))
        return false;
    for (const FieldDef &f : fields)
        dataSet.CreateField(QString::fromLatin1(f.name), QString(QLatin1Char(f.type)), f.width, 0);
    return dataSet.CreateExec();
}

bool createTable(int position, const QString &path)
{
    TXbaseDataSet dataSet;
    return createTable(position, path, dataSet);
}

bool applyPassword(TXbaseDataSet &dataSet, int position)
{
    if (!table(position).encrypted) {
        dataSet.SetPassword(QString());
        return true;
    }
    dataSet.SetPassword(QString::fromLatin1(kReferencePassword));
    return dataSet.IsEncrypted(0) || dataSet.Encrypt() != 0;
}

} // namespace schema
