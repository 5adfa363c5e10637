#include "storage/NoteLookup.h"

#include "storage/RecordKey.h"
#include "storage/TXbaseDataSet.h"
#include "util/Ansi.h"
#include "xbase/expr/Expression.h"
#include "xbase/api/XbApi.h"

#include <memory>

namespace {

struct NoteTable {
    QString directory;
    std::unique_ptr<TXbaseDataSet> table;
};

NoteTable &notes()
{
    static NoteTable n;
    return n;
}

void lookUp(const std::string &key, std::string &out)
{
    NoteTable &n = notes();
    // The query that calls us runs on another work area: leave its
    // selection as it was.
    const int selected = xb_Select(0);
    xb_Select(selected);
    try {
        if (!n.table) {
            n.table = std::make_unique<TXbaseDataSet>();
            n.table->DatabaseName = n.directory;
            n.table->SetTableName(QStringLiteral("NOTIZEN.DBF"));
            n.table->SetIndexName(QStringLiteral("1"));
            n.table->SetReadOnly(true);
            n.table->Open();
        }
        const QString inr = fromAnsi(key).leftJustified(recordkey::kLength, QLatin1Char(' '));
        if (n.table->Seek(inr))
            out = toAnsi(n.table->FieldByName(QStringLiteral("NOTIZ"))->AsString());
    } catch (...) {
        // No notes table or an unreadable note: the note counts as empty.
        n.table.reset();
    }
    xb_Select(selected);
}

} // namespace

void releaseNoteLookup()
{
    notes().table.reset();
}

void installNoteLookup(const QString &dataDirectory)
{
    NoteTable &n = notes();
    n.table.reset();
    n.directory = dataDirectory;
    if (dataDirectory.isEmpty())
        xb::setNoteProvider(nullptr);
    else
        xb::setNoteProvider(&lookUp);
}
