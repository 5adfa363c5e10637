#include "reports/ReportLayout.h"

#include "app/Config.h"
#include "app/Language.h"
#include "app/Version.h"
#include "platform/FormatSettings.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/report/DataSetReportSource.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/report/Report.h"
#include "toolkit/report/ReportBand.h"
#include "toolkit/report/ReportElement.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"

namespace {

constexpr int kTextNoAppointmentsToday = 10032;
constexpr double kWidth = 190.0;
constexpr double kDetailHeight = 4.6;
constexpr double kFooterHeight = 5.3;

QFont arial(double points, bool bold = false, bool italic = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

Qt::Alignment alignmentOf(int code)
{
    switch (code) {
    case 1: return Qt::AlignHCenter | Qt::AlignTop;
    case 2: return Qt::AlignRight | Qt::AlignTop;
    default: return Qt::AlignLeft | Qt::AlignTop;
    }
}

} // namespace

ReportLayout::ReportLayout(QObject *parent, const Design &design, int order, const QString &filter)
    : QObject(parent)
{
    // 1. The layout's own copy of the table; deleted records stay hidden.
    m_table = new TXbaseDataSet(this);
    m_table->DatabaseName = config().ZVData;
    m_table->SetTableName(QString::fromLatin1(design.tableName));
    m_table->SetReadOnly(design.readOnly);
    m_table->Open();
    m_table->SetHideDeleted(true);
    // 2. The module's order.
    m_table->SetOrder(order);
    // 3. The module's filter.
    if (filter != QLatin1String(".T."))
        m_table->Query(filter);

    MyReport = new tk::Report(this);
    MyReport->setObjectName(QStringLiteral("MyReport"));
    MyReport->setTitle(QString::fromUtf8(design.title));
    MyReport->setPageSize(QPageSize::A4);
    MyReport->setOrientation(QPageLayout::Portrait);
    MyReport->setMargins(QMarginsF(10, 10, 10, 10));

    tk::ReportBand *title = MyReport->titleBand();
    title->setHeight(design.titleHeight);
    title->setFrame(Qt::BottomEdge, 2);
    tk::ReportLabel *heading = title->addLabel(QRectF(0, 0, kWidth, 7.5), QString::fromUtf8(design.heading));
    heading->setFont(arial(18, true));
    heading->setColor(QColor(0, 0, 0x80));
    heading->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    tk::setTag(heading, design.headingTag);
    tk::ReportLabel *rlProgName = title->addLabel(
        QRectF(0, 6.9, kWidth, 3.5), QStringLiteral("Tessaron Version ") + QString::fromLatin1(kProgramVersion));
    rlProgName->setObjectName(QStringLiteral("rlProgName"));
    rlProgName->setFont(arial(8));
    rlProgName->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    if (design.rule)
        title->addLine(QRectF(0, 11.9, kWidth, 0), 2);

    tk::ReportBand *detail = MyReport->detailBand();
    detail->setHeight(kDetailHeight);
    for (const Column &c : design.columns) {
        if (c.headingTag != 0) {
            tk::ReportLabel *h = title->addLabel(QRectF(c.left, design.headingTop, 60, 4.5),
                                                 QString::fromUtf8(c.heading));
            h->setFont(arial(10, true, true));
            tk::setTag(h, c.headingTag);
        }
        const QRectF cell(c.left, 0.3, c.width > 0 ? c.width : 2.0, 4.0);
        tk::ReportText *text = nullptr;
        if (c.field)
            text = detail->addField(cell, QString::fromLatin1(c.field));
        else
            text = detail->addLabel(cell, QString::fromUtf8(c.text));
        text->setFont(arial(c.pointSize, c.bold));
        text->setAlignment(alignmentOf(c.alignment));
        text->setGrowth(c.grows ? tk::ReportText::Growth::Width : tk::ReportText::Growth::Cut);
    }

    tk::ReportBand *footer = MyReport->pageFooterBand();
    footer->setHeight(kFooterHeight);
    footer->setFrame(Qt::TopEdge, 1);
    tk::ReportSystemData *printed = footer->addSystemData(QRectF(0, 1.0, 80, 3.5),
                                                          tk::ReportSystemData::Kind::DateTime,
                                                          QStringLiteral("Ausdruck vom "));
    printed->setFont(arial(7));
    const platform::FormatSettings &fs = platform::FormatSettings::current();
    printed->setFormat(fs.shortDateFormat + QLatin1Char(' ') + fs.longTimeFormat);
    tk::setTag(printed, 10);
    tk::ReportSystemData *page = footer->addSystemData(QRectF(80, 1.0, 20, 3.5),
                                                       tk::ReportSystemData::Kind::PageNumber,
                                                       QStringLiteral("Seite "));
    page->setFont(arial(7));
    page->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    tk::setTag(page, 11);

    tk::translateObjects(MyReport, design.base);

    m_source = std::make_unique<tk::DataSetReportSource>(m_table);
    MyReport->setSource(m_source.get());
}

ReportLayout::~ReportLayout()
{
    if (MyReport)
        MyReport->setSource(nullptr);
}

void ReportLayout::showPreview(QWidget *parent)
{
    MyReport->preview(parent);
}

TfrmRpt_Adr1::TfrmRpt_Adr1(QObject *parent)
    : ReportLayout(parent,
                   {550, "TELEFONVERZEICHNIS", "Telefonverzeichnis", "ADRESS.DBF", true, true, 19.5, 13.2,
                    {{0, 45.3, "FAMNAME", nullptr, 2, "Name ...", 9, true},
                     {46.6, 33.1, "VORNAME", nullptr, 0, nullptr, 8},
                     {80.4, 33.7, "TELNU", nullptr, 3, "Telefon #1"},
                     {114.8, 33.7, "TELNU2", nullptr, 6, "Telefon #2"},
                     {148.2, 26.8, "TELMOBIL", nullptr, 4, "Mobiltelefon", 8},
                     {174.3, 16.5, "TELFAX", nullptr, 5, "Telefax", 8}}},
                   config().sortOrder(Module::Addresses), config().filter(Module::Addresses))
{
    setObjectName(QStringLiteral("frmRpt_Adr1"));
}

TfrmRpt_Trm2::TfrmRpt_Trm2(QObject *parent)
    : ReportLayout(parent,
                   {530, "TERMIN - ÜBERSICHT", "Termin-Übersicht", "TERMIN.DBF", false, true, 19.2, 14.2,
                    {{0, 11.2, "DATUM", nullptr, 2, "Datum ...", 9, true, 0, true},
                     {17.9, 6.9, "ZEIT", nullptr, 3, "von...", 9, false, 0, true},
                     {32.7, 8.9, "EZEIT", nullptr, 4, "bis...", 9, false, 0, true},
                     {47.0, 46.0, "TERMIN", nullptr, 5, "Termin ..."},
                     {93.3, 63.2, "NOTIZ", nullptr, 6, "Notiz ..."},
                     {157.8, 33.1, "TELNU", nullptr, 7, "Telefon ..."}}},
                   config().sortOrder(Module::Appointments), QStringLiteral(".T."))
{
    setObjectName(QStringLiteral("frmRpt_Trm2"));
    // Today's appointments, whatever filter the module has.
    m_hasRecords = table()->Query(QStringLiteral("DATUM=DATE()")) > 0;
    if (!m_hasRecords)
        tk::MessageBox::warning(nullptr, LangText(kTextNoAppointmentsToday));
}

TfrmRpt_Cas1::TfrmRpt_Cas1(QObject *parent)
    : ReportLayout(parent,
                   {570, "MUSIKSTÜCKE", "Musikstücke", "CASSETTE.DBF", false, true, 19.2, 14.2,
                    {{0, 53.9, "LIEDERL", nullptr, 5, "Musikstück ..."},
                     {52.9, 51.3, "INTERPRET", nullptr, 6, "Interpret"},
                     {103.8, 6.3, "ART", nullptr, 7, "Typ Nr."},
                     {109.5, 12.6, "CASS_NO", nullptr, 0, nullptr, 9, false, 1},
                     {121.7, 47.3, "DESCRIBE", nullptr, 8, "Zusatzinfo ..."},
                     {168.7, 21.2, "SPARTE", nullptr, 9, "Sparte ..."}},
                    1},
                   config().sortOrder(Module::Music), config().filter(Module::Music))
{
    setObjectName(QStringLiteral("frmRpt_Cas1"));
}

TfrmRpt_Cas2::TfrmRpt_Cas2(QObject *parent)
    : ReportLayout(parent,
                   {570, "INTERPRETEN", "Interpreten-Liste", "CASSETTE.DBF", false, true, 19.2, 14.2,
                    {{0, 48.3, "INTERPRET", nullptr, 6, "Interpret"},
                     {48.3, 53.2, "LIEDERL", nullptr, 5, "Musikstück ..."},
                     {101.9, 6.3, "ART", nullptr, 7, "Typ Nr."},
                     {107.8, 10.9, "CASS_NO", nullptr, 0, nullptr, 9, false, 1},
                     {119.7, 44.6, "DESCRIBE", nullptr, 8, "Zusatzinfo ..."},
                     {164.7, 23.5, "SPARTE", nullptr, 9, "Sparte ..."}},
                    2},
                   config().sortOrder(Module::Music), config().filter(Module::Music))
{
    setObjectName(QStringLiteral("frmRpt_Cas2"));
}

TfrmRpt_Cas3::TfrmRpt_Cas3(QObject *parent)
    : ReportLayout(parent,
                   {570, "MUSIK-DATENTRÄGER", "Musik-Datenträger", "CASSETTE.DBF", false, true, 19.2, 14.2,
                    {{0, 6.3, "ART", nullptr, 7, "Typ Nr."},
                     {6.0, 9.9, "CASS_NO", nullptr, 0, nullptr, 9, false, 1},
                     {16.9, 54.9, "LIEDERL", nullptr, 5, "Musikstück ..."},
                     {72.1, 52.6, "INTERPRET", nullptr, 6, "Interpret"},
                     {125.0, 42.0, "DESCRIBE", nullptr, 8, "Zusatzinfo ..."},
                     {167.3, 23.5, "SPARTE", nullptr, 9, "Sparte ..."}},
                    3},
                   config().sortOrder(Module::Music), config().filter(Module::Music))
{
    setObjectName(QStringLiteral("frmRpt_Cas3"));
}

TfrmRpt_Cas4::TfrmRpt_Cas4(QObject *parent)
    : ReportLayout(parent,
                   {570, "MUSIKSPARTEN - VERZEICHNIS", "Sparten und Stücke", "CASSETTE.DBF", false, false, 19.2,
                    14.2,
                    {{0, 6.3, "ART", nullptr, 7, "Typ Nr."},
                     {6.0, 9.9, "CASS_NO", nullptr, 0, nullptr, 9, false, 1},
                     {16.9, 52.3, "LIEDERL", nullptr, 5, "Musikstück ..."},
                     {69.5, 49.9, "INTERPRET", nullptr, 6, "Interpret"},
                     {119.7, 49.9, "DESCRIBE", nullptr, 8, "Zusatzinfo ..."},
                     {170.0, 20.8, "SPARTE", nullptr, 9, "Sparte ..."}},
                    4},
                   config().sortOrder(Module::Music), config().filter(Module::Music))
{
    setObjectName(QStringLiteral("frmRpt_Cas4"));
}

TfrmRpt_Vid1::TfrmRpt_Vid1(QObject *parent)
    : ReportLayout(parent,
                   {500, "VIDEOFILME", "Videofilme", "VIDEO.DBF", true, true, 19.2, 14.2,
                    {{0, 53.9, "TITEL", nullptr, 2, "Filmtitel ..."},
                     {52.9, 13.6, "CASS_NO", nullptr, 3, "Cass.Nr.", 9, false, 1},
                     {69.5, 15.5, "LAENGE", nullptr, 4, "Länge"},
                     {85.7, 12.6, "POS_VON", nullptr, 5, "Position .. bis..", 9, false, 2},
                     {98.6, 0, nullptr, "-", 0, nullptr},
                     {99.2, 12.6, "POS_BIS", nullptr, 0, nullptr, 9, false, 2},
                     {113.8, 76.1, "DESCRIBE", nullptr, 6, "Zusatzinfo ..."}},
                    1},
                   config().sortOrder(Module::Videos), config().filter(Module::Videos))
{
    setObjectName(QStringLiteral("frmRpt_Vid1"));
}

TfrmRpt_Boo1::TfrmRpt_Boo1(QObject *parent)
    : ReportLayout(parent,
                   {600, "BÜCHER", "Bücher", "Books.dbf", true, true, 19.2, 14.2,
                    {{0, 53.9, "TITEL", nullptr, 2, "Buchtitel ..."},
                     {52.9, 13.6, "BUCH_NO", nullptr, 3, "Buch Nr.", 9, false, 1},
                     {69.5, 15.5, "SEITEN", nullptr, 4, "Seiten"},
                     {85.3, 11.2, "AUTOR", nullptr, 5, "Autor"},
                     {121.7, 68.1, "DESCRIBE", nullptr, 6, "Zusatzinfo ..."}},
                    1},
                   config().sortOrder(Module::Books), config().filter(Module::Books))
{
    setObjectName(QStringLiteral("frmRpt_Boo1"));
}
