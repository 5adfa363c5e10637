// The printed lists: each layout holds its own copy of the module's table,
// ordered and filtered like the module, and one banded report over it.
//
// All layouts share one frame: A4 portrait, 10 mm margins, Arial; a title
// band with the heading, the program line, a rule and the column headings; a
// detail band per record; a page footer with the time of printing and the
// page number. The eight layouts differ only in the data this file's table
// describes.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

class QWidget;
class TXbaseDataSet;

namespace tk {
class DataSetReportSource;
class Report;
}

class ReportLayout : public QObject {
    Q_OBJECT

public:
    ~ReportLayout() override;

    // The report, ready for preview(), renderToPdf() or print().
    tk::Report *MyReport = nullptr;
    TXbaseDataSet *table() const { return m_table; }

    // Shows the preview modally; returns when the user closed it.
    void showPreview(QWidget *parent);

protected:
    struct Column {
        double left;
        double width;
        const char *field; // nullptr: a fixed text
        const char *text;  // fixed text of a column without a field
        int headingTag;    // 0: no heading
        const char *heading;
        double pointSize = 9;
        bool bold = false;
        int alignment = 0; // 0 left, 1 centre, 2 right
        bool grows = false;
    };
    struct Design {
        int base;
        const char *heading;
        const char *title;
        const char *tableName;
        bool readOnly;
        bool rule;
        double titleHeight;
        double headingTop;
        std::vector<Column> columns;
        int headingTag = 1;
    };

    // Opens the table of the design in the data directory, applies `order`
    // (an index tag number) and `filter` (".T." for none) and builds the
    // report. `parent` owns the layout.
    ReportLayout(QObject *parent, const Design &design, int order, const QString &filter);

private:
    TXbaseDataSet *m_table = nullptr;
    std::unique_ptr<tk::DataSetReportSource> m_source;
};

// Telephone directory of the address book.
class TfrmRpt_Adr1 : public ReportLayout {
    Q_OBJECT
public:
    explicit TfrmRpt_Adr1(QObject *parent = nullptr);
};

// Today's appointments.
class TfrmRpt_Trm2 : public ReportLayout {
    Q_OBJECT
public:
    explicit TfrmRpt_Trm2(QObject *parent = nullptr);
    // False when no appointment is due today (the warning was shown).
    bool hasRecords() const { return m_hasRecords; }

private:
    bool m_hasRecords = false;
};

// The four music lists: titles, artists, carriers, genres.
class TfrmRpt_Cas1 : public ReportLayout {
    Q_OBJECT
public:
    explicit TfrmRpt_Cas1(QObject *parent = nullptr);
};
class TfrmRpt_Cas2 : public ReportLayout {
    Q_OBJECT
public:
    explicit TfrmRpt_Cas2(QObject *parent = nullptr);
};
class TfrmRpt_Cas3 : public ReportLayout {
    Q_OBJECT
public:
    explicit TfrmRpt_Cas3(QObject *parent = nullptr);
};
class TfrmRpt_Cas4 : public ReportLayout {
    Q_OBJECT
public:
    explicit TfrmRpt_Cas4(QObject *parent = nullptr);
};

// The video and book lists.
class TfrmRpt_Vid1 : public ReportLayout {
    Q_OBJECT
public:
    explicit TfrmRpt_Vid1(QObject *parent = nullptr);
};
class TfrmRpt_Boo1 : public ReportLayout {
    Q_OBJECT
public:
    explicit TfrmRpt_Boo1(QObject *parent = nullptr);
};
