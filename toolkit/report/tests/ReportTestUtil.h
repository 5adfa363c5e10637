// Shared by the report tests: a source over rows held in memory, a small
// telephone-list report built like the program's list layouts, and the text
// of a PDF page by page.
#pragma once

#include "toolkit/report/Report.h"
#include "toolkit/report/ReportBand.h"
#include "toolkit/report/ReportSource.h"
#include "toolkit/text/Tag.h"

#include <QPointF>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

namespace reporttest {

class MemoryReportSource : public tk::ReportSource {
public:
    MemoryReportSource(QStringList fields, QList<QStringList> rows)
        : m_fields(std::move(fields))
        , m_rows(std::move(rows))
    {
    }

    bool first() override
    {
        m_row = 0;
        ++m_runs;
        return !eof();
    }
    bool next() override
    {
        if (!eof())
            ++m_row;
        return !eof();
    }
    bool eof() const override { return m_row >= m_rows.size(); }
    int recordCount() const override { return int(m_rows.size()); }
    QString displayText(const QString &field) const override
    {
        const qsizetype column = m_fields.indexOf(field);
        return column < 0 || eof() ? QString() : m_rows[m_row].value(column);
    }

    int runs() const { return m_runs; }

private:
    QStringList m_fields;
    QList<QStringList> m_rows;
    qsizetype m_row = 0;
    int m_runs = 0;
};

// `count` people "Name 0001" ... with phone numbers "0711-0001" ...
inline MemoryReportSource *people(int count)
{
    QList<QStringList> rows;
    for (int i = 1; i <= count; ++i) {
        const QString n = QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
        rows.append({QStringLiteral("Name ") + n, QStringLiteral("Vorname"), QStringLiteral("0711-") + n});
    }
    return new MemoryReportSource({QStringLiteral("FAMNAME"), QStringLiteral("VORNAME"), QStringLiteral("TELNU")},
                                  rows);
}

// A telephone list as the program's layouts build theirs: A4, 10 mm margins,
// title band 19.5 mm, detail 4.6 mm, footer 5.3 mm. Tags 1, 2, 10, 11.
inline void buildPhoneList(tk::Report &report)
{
    using tk::reportFont;
    report.setTitle(QStringLiteral("Telefonverzeichnis"));
    tk::ReportBand *title = report.titleBand();
    title->setHeight(19.5);
    title->setFrame(Qt::BottomEdge, 2);
    tk::ReportLabel *heading = title->addLabel({0, 0, 190, 7}, QStringLiteral("TELEFONVERZEICHNIS"));
    heading->setFont(reportFont(18, true));
    heading->setColor(QColor(0, 0, 128));
    heading->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    tk::setTag(heading, 1);
    title->addLabel({0, 6.9, 190, 4}, QStringLiteral("Tessaron Version 1.5d"))->setAlignment(Qt::AlignHCenter);
    title->addLine({0, 11.9, 190, 0}, 2);
    tk::ReportLabel *nameHeading = title->addLabel({0, 13.2, 45.3, 5}, QStringLiteral("Name ..."));
    nameHeading->setFont(reportFont(10, true, true));
    tk::setTag(nameHeading, 2);
    title->addLabel({80.4, 13.2, 33.7, 5}, QStringLiteral("Telefon #1"))->setFont(reportFont(10, true, true));

    tk::ReportBand *detail = report.detailBand();
    detail->setHeight(4.6);
    detail->addField({0, 0.3, 45.3, 4}, QStringLiteral("FAMNAME"))->setFont(reportFont(9, true));
    detail->addField({46.6, 0.3, 33.1, 4}, QStringLiteral("VORNAME"))->setFont(reportFont(8));
    detail->addField({80.4, 0.3, 33.7, 4}, QStringLiteral("TELNU"))->setFont(reportFont(9));

    tk::ReportBand *footer = report.pageFooterBand();
    footer->setHeight(5.3);
    footer->setFrame(Qt::TopEdge, 1);
    tk::ReportSystemData *printed =
        footer->addSystemData({0, 1, 60, 4}, tk::ReportSystemData::Kind::DateTime, QStringLiteral("Ausdruck vom "));
    printed->setFont(reportFont(7));
    printed->setFormat(QStringLiteral("dd.MM.yyyy hh:mm"));
    tk::setTag(printed, 10);
    tk::ReportSystemData *page =
        footer->addSystemData({87, 1, 20, 4}, tk::ReportSystemData::Kind::PageNumber, QStringLiteral("Seite "));
    page->setFont(reportFont(7));
    tk::setTag(page, 11);
}

// The text of each page of a PDF as pdftotext -layout sees it; empty when
// the file cannot be read.
inline QStringList pdfPages(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// One field of pdfinfo's output ("Title", "Pages").
inline QString pdfInfo(const QString &path, const QString &key)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    if (!process.waitForFinished(30000))
        return {};
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(key + QLatin1Char(':')))
            return line.mid(key.size() + 1).trimmed();
    }
    return {};
}

// The top-left corner (in points from the paper's corner) of the first word
// `word` on page `page` of a PDF, as pdftotext -bbox reports it; (-1, -1)
// when it is not there.
inline QPointF pdfWordPosition(const QString &path, const QString &word, int page = 1)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                                                QStringLiteral("-l"), QString::number(page), path,
                                                QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {-1, -1};
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression entry(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    for (auto it = entry.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(3) == word)
            return {m.captured(1).toDouble(), m.captured(2).toDouble()};
    }
    return {-1, -1};
}

inline bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

} // namespace reporttest
