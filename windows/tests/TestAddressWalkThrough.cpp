// A user's way through the address book on real tables: three addresses
// with notes, a call over the modem (a pseudo-terminal), a filter, the
// order by postal code and the telephone directory as PDF.
#include "app/Config.h"
#include "platform/FormatSettings.h"
#include "reports/ChoiceDialog.h"
#include "reports/ReportLayout.h"
#include "reports/TfrmFilter.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/report/Report.h"
#include "windows/TfrmAdress.h"
#include "xbase/api/XbApi.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "testing/TestRegistry.h"

namespace {

QByteArray readModem(int master)
{
    QByteArray got;
    char buffer[1024];
    pollfd p{master, POLLIN, 0};
    while (::poll(&p, 1, 200) > 0 && (p.revents & POLLIN)) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, static_cast<int>(n));
    }
    return got;
}

} // namespace

class TestAddressWalkThrough : public QObject {
    Q_OBJECT

private slots:
    void walkThrough();
};

void TestAddressWalkThrough::walkThrough()
{
    QTemporaryDir dir;
    // The filter's log lines go to the working directory.
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(dir.path());
    LoadConfiguration(config(), dir.path());
    Config &cfg = config();
    cfg.NoticeText = QStringLiteral("notice");
    cfg.TAPI = false;
    cfg.COMInit = QStringLiteral("ATX3");
    cfg.DialMode = QStringLiteral("T");
    cfg.XELLog = true;
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    QFile lang(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaGER.lng"));
    QVERIFY(lang.open(QIODevice::ReadOnly));
    tk::Language::current().load(lang.readAll());
    for (int position = 1; position <= schema::kTableCount; ++position) {
        const SchemaTable &t = schema::table(position);
        QVERIFY(schema::createTable(position, schema::tablePath(cfg.ZVData, t.stem, QStringLiteral("DBF"))));
        TXbaseDataSet ds;
        ds.DatabaseName = cfg.ZVData;
        ds.SetTableName(schema::tableFile(t.stem, QStringLiteral("DBF")));
        ds.Open();
        for (const SchemaTag &tag : t.tags)
            QVERIFY(ds.IndexTag(QString(), tag.name, tag.key, 0, 0, QString()));
    }

    // The modem: a pseudo-terminal as COM2.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QByteArray slave = ::ptsname(master);
    const int hold = ::open(slave.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    qputenv("TESSARON_COM2", slave);

    auto w = std::make_unique<TfrmAdress>();
    w->show();
    struct Entry {
        const char *name;
        const char *plz;
        const char *tel;
        const char *note;
    };
    const Entry entries[] = {{"Meier", "50667", "0221 123456", "Kennt sich mit Klavieren aus."},
                             {"Albers", "80331", "089 445566", "Schuldet mir ein Buch."},
                             {"Zander", "10115", "030 987654", "Geburtstag im Mai."}};
    for (const Entry &e : entries) {
        w->dbn->BtnClick(tk::DBNavigator::Button::Insert);
        w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QString::fromUtf8(e.name));
        w->tblMain->FieldByName(QStringLiteral("PLZ"))->SetAsString(QString::fromLatin1(e.plz));
        w->tblMain->FieldByName(QStringLiteral("TELNU"))->SetAsString(QString::fromLatin1(e.tel));
        w->tblNotizen->FieldByName(QStringLiteral("NOTIZ"))->SetAsString(QString::fromUtf8(e.note));
        QTest::mouseClick(w->btnOK, Qt::LeftButton);
    }
    QCOMPARE(w->tblMain->RecordCount(), 3);

    // Dial Meier: the modem receives the init string and the tone dial.
    w->tblMain->First();
    w->meSuche->setText(QStringLiteral("MEI"));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Meier"));
    QCOMPARE(w->tblNotizen->FieldByName(QStringLiteral("NOTIZ"))->AsString(),
             QStringLiteral("Kennt sich mit Klavieren aus."));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Yes);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QTest::mouseClick(w->sbtPhoneCall1, Qt::LeftButton);
    const QByteArray modem = readModem(master);
    QVERIFY2(modem.contains("ATX3"), modem.constData());
    QVERIFY2(modem.contains("ATDT0221 123456"), modem.constData());

    // Filter: surnames from "M".
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<TfrmFilter *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->Zuname1->setText(QStringLiteral("M"));
        tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    cfg.filter(Module::Books) = QStringLiteral(".T..and.SEITEN>1");
    QTest::mouseClick(w->btnFilter, Qt::LeftButton);
    QCOMPARE(w->tblMain->RecordCount(), 2);
    QVERIFY(w->lblFilter->isVisible());
    QCOMPARE(cfg.filter(Module::Books), QStringLiteral(".T.")); // other modules reset

    // Order by postal code.
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<TfrmSort_A *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->chooseItem(2);
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(w->btnSort, Qt::LeftButton);
    QCOMPARE(cfg.sortOrder(Module::Addresses), 3);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Zander")); // 10115

    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    const char *pages[] = {"walk-personal", "walk-more", "walk-notes", "walk-table"};
    for (int i = 0; i < 4; ++i) {
        w->pc->setCurrentIndex(i);
        QApplication::processEvents();
        if (!shots.isEmpty())
            w->grab().save(shots + QLatin1Char('/') + QLatin1String(pages[i]) + QStringLiteral(".png"));
    }

    // The telephone directory, in postal-code order with the filter.
    TfrmRpt_Adr1 layout;
    const QString pdf = dir.filePath(QStringLiteral("telefon.pdf"));
    QCOMPARE(layout.MyReport->renderToPdf(pdf), tk::Report::Output::Written);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY(out.contains(QStringLiteral("Meier")));
    QVERIFY(out.contains(QStringLiteral("Zander")));
    QVERIFY(!out.contains(QStringLiteral("Albers")));
    QVERIFY(out.indexOf(QStringLiteral("Zander")) < out.indexOf(QStringLiteral("Meier"))); // 10115 before 50667
    if (!shots.isEmpty())
        QFile::copy(pdf, shots + QStringLiteral("/walk-telefon.pdf"));

    w.reset();
    QDir::setCurrent(oldCurrent);
    qunsetenv("TESSARON_COM2");
    cfg.XELLog = false;
    ::close(hold);
    ::close(master);
    xb_CloseAll();
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
}

TESSARON_TEST(TestAddressWalkThrough)
#include "TestAddressWalkThrough.moc"
