// The records a report prints: a forward cursor over rows whose fields are
// read as display texts.
//
// The report engine knows nothing about tables. A report runs through its
// source exactly once per layout pass (Report::prepare), from first() to
// eof(), and copies the display texts its bands need as it goes; after that
// the source is not touched again, so paging in a preview never moves the
// cursor of a table a window may still be showing.
//
// Adapter over the table dataset: `tk::DataSetReportSource`
// (toolkit/DataSetReportSource.h, written with the dataset layer) wraps a
// tk::DataSet (toolkit/data/DataSet.h) that the caller owns and forwards:
//   first()          -> DataSet::First(); returns !Eof() afterwards
//   next()           -> DataSet::Next();  returns !Eof() afterwards
//   eof()            -> DataSet::Eof()
//   recordCount()    -> DataSet::RecordCount(), or -1 when it cannot tell
//                       cheaply (a filtered table)
//   displayText(f)   -> FindField(f)->DisplayText() of the current record,
//                       exactly as a data-bound control shows it (dates in
//                       the window's date format, numbers formatted); an
//                       empty string when FindField gives none
// Records the dataset hides (deleted ones, those outside its filter) are
// never visited. Errors of the dataset propagate as its exceptions; the
// report then has no pages. The adapter must not outlive its dataset.
#pragma once

#include <QString>

namespace tk {

class ReportSource {
public:
    ReportSource() = default;
    virtual ~ReportSource() = default;
    ReportSource(const ReportSource &) = delete;
    ReportSource &operator=(const ReportSource &) = delete;

    // Moves to the first record. Returns false when there is none (the source
    // is then at eof()).
    virtual bool first() = 0;

    // Moves to the following record. Returns false when the cursor has moved
    // past the last record (eof() is then true).
    virtual bool next() = 0;

    // True when the cursor stands behind the last record or the source is
    // empty; display texts must not be asked for then.
    virtual bool eof() const = 0;

    // The number of records a full run will visit, or -1 when unknown. Only a
    // hint (for progress display and reserving memory); the run itself ends
    // at eof().
    virtual int recordCount() const = 0;

    // The text of field `field` of the current record as the user sees it on
    // screen. Unknown fields give an empty string.
    virtual QString displayText(const QString &field) const = 0;
};

} // namespace tk
