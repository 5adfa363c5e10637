// The configuration record, the stored password, the language choice and the
// password dialog, in-process.
#include "app/Config.h"
#include "platform/FormatSettings.h"
#include "app/Language.h"
#include "app/SplashWindow.h"
#include "app/Startup.h"
#include "app/TPwDlg.h"
#include "platform/Profile.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "util/TextUtil.h"

#include <QCoreApplication>
#include <QDate>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

// Saves the screenshots of a test run when TESSARON_SCREENSHOTS names a directory.
void saveScreenshot(QWidget *widget, const char *name)
{
    const QString dir = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!dir.isEmpty())
        widget->grab().save(dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

} // namespace

class TestConfig : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void readsEveryKeyWithItsDefaultAndWidth();
    void trailingSlashesGiveTheSameProfile();
    void storedPasswordsSurviveEveryByte();
    void passwordOfTwelveCharactersAndLonger();
    void languageChoiceByCountryAndSetting();
    void olderLanguageVersionWarnsOnce();
    void missingLanguageFileEndsWithTheErrorBox();
    void passwordDialogGivesOneAttempt();
    void splashShowsVersionAndStatus();
    void appendLogWritesDatedLines();
    void settingsWrittenOnWindowsOrByHand();
    void startCountStopsAtItsMaximum();
    void applicationTitleAddsNothingToCaptions();
};

void TestConfig::cleanup()
{
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
    qunsetenv("LANG");
}

void TestConfig::readsEveryKeyWithItsDefaultAndWidth()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("Tessaron.INI")),
              "[setup]\r\nzvdata=" + QFile::encodeName(dir.filePath(QStringLiteral("daten/a/b"))) +
                  "\r\n97Style=0\r\n[USER]\r\nName=" + QByteArray(40, 'N') +
                  "\r\nDialMode=Pulse\r\nCOMPort=x\r\nCDDBTimeOut=90\r\nAOpen=1\r\nZVCalls=41\r\n");
    Config cfg;
    LoadConfiguration(cfg, dir.path());
    QCOMPARE(cfg.ZVData, dir.filePath(QStringLiteral("daten/a/b")));
    QVERIFY(QFileInfo(cfg.ZVData).isDir());
    QCOMPARE(cfg.Name, QString(30, QLatin1Char('N')));
    QCOMPARE(cfg.DialMode, QStringLiteral("P"));
    QCOMPARE(cfg.COMPort, 2);
    QCOMPARE(cfg.CDDBTimeOut, 90);
    QVERIFY(cfg.AOpen && !cfg.TOpen);
    QVERIFY(!cfg.Style97);
    QCOMPARE(cfg.ZVCalls, 41);
    QCOMPARE(cfg.profile().readInt("User", "ZVCalls", 0), 42);
    QCOMPARE(cfg.CDDBServer, QStringLiteral("gnudb.gnudb.org"));
    QCOMPARE(cfg.CDDBcgi, QStringLiteral("/~cddb/cddb.cgi"));
    QCOMPARE(cfg.COMInit, QStringLiteral("ATX3"));
    QVERIFY(cfg.AccessGranted);
    QCOMPARE(cfg.SortOrder[0], 1);
    QCOMPARE(cfg.filter(Module::Books), QStringLiteral(".T."));
    // A missing DialMode reads as "T".
    QTemporaryDir other;
    writeFile(other.filePath(QStringLiteral("Tessaron.INI")), "[User]\r\nName=x\r\n");
    Config fresh;
    LoadConfiguration(fresh, other.path());
    QCOMPARE(fresh.DialMode, QStringLiteral("T"));
}

void TestConfig::trailingSlashesGiveTheSameProfile()
{
    QTemporaryDir dir;
    Config a, b;
    LoadConfiguration(a, dir.path() + QStringLiteral("///"));
    LoadConfiguration(b, dir.path());
    QCOMPARE(a.iniPath(), b.iniPath());
    QCOMPARE(b.ZVCalls, 1);
}

void TestConfig::storedPasswordsSurviveEveryByte()
{
    QTemporaryDir dir;
    platform::Profile ini(dir.filePath(QStringLiteral("p.ini")).toStdString());
    QRandomGenerator random(571);
    QVERIFY(ini.writeString("Setup", "ZVPass", ""));
    QVERIFY(ini.writeString("Setup", "After", "still here"));
    auto roundTrip = [&](const std::string &scrambled) {
        QVERIFY(ini.writeString("Setup", "ZVPass", encodeStoredPassword(scrambled)));
        QCOMPARE(decodeStoredPassword(ini.readString("Setup", "ZVPass")), scrambled);
    };
    for (int position = 0; position < 12; ++position) {
        for (int byte = 0; byte < 256; ++byte) {
            std::string s(12, 'k');
            s[position] = static_cast<char>(byte);
            roundTrip(s);
        }
    }
    for (int i = 0; i < 300; ++i) {
        std::string s(1 + random.bounded(12), '\0');
        for (char &c : s)
            c = static_cast<char>(random.bounded(256));
        roundTrip(s);
    }
    roundTrip("hex:41");
    roundTrip("");
    QCOMPARE(ini.readString("Setup", "After"), std::string("still here"));
    // A plain value as older files hold it reads unchanged.
    QCOMPARE(decodeStoredPassword("abc"), std::string("abc"));
}

void TestConfig::passwordOfTwelveCharactersAndLonger()
{
    QTemporaryDir dir;
    platform::Profile ini(dir.filePath(QStringLiteral("Tessaron.INI")).toStdString());
    ini.writeString("Setup", "ZVPass", storedPasswordOf(QStringLiteral("Zwölf Zeiche")));
    Config cfg;
    LoadConfiguration(cfg, dir.path());
    QCOMPARE(cfg.ZVPass, QStringLiteral("Zwölf Zeiche"));
    QVERIFY(!cfg.AccessGranted);

    // A longer stored value counts with its first 12 characters.
    ini.writeString("Setup", "ZVPass",
                    encodeStoredPassword(ScrambleText("abcdefghijklmnop", 571)));
    LoadConfiguration(cfg, dir.path());
    QCOMPARE(cfg.ZVPass, QStringLiteral("abcdefghijkl"));
}

void TestConfig::languageChoiceByCountryAndSetting()
{
    QCOMPARE(languageFileForCountry(43), QStringLiteral("QorvaGER.lng"));
    QCOMPARE(languageFileForCountry(352), QStringLiteral("QorvaGER.lng"));
    QCOMPARE(languageFileForCountry(0), QStringLiteral("QorvaENG.lng"));
    QCOMPARE(languageFileForCountry(44), QStringLiteral("QorvaENG.lng"));

    QTemporaryDir dir;
    Config cfg;
    LoadConfiguration(cfg, dir.path());
    // The locale names the country; LC_ALL and LC_MESSAGES would override LANG.
    const QByteArray savedAll = qgetenv("LC_ALL");
    const QByteArray savedMessages = qgetenv("LC_MESSAGES");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qputenv("LANG", "de_AT.UTF-8");
    ChooseLanguage(cfg);
    if (!savedAll.isEmpty())
        qputenv("LC_ALL", savedAll);
    if (!savedMessages.isEmpty())
        qputenv("LC_MESSAGES", savedMessages);
    QCOMPARE(cfg.Language, QStringLiteral("QorvaGER.lng"));
    QVERIFY(!cfg.profile().hasKey("Setup", "Language"));

    cfg.profile().writeString("Setup", "Language", "QorvaENG.lng");
    ChooseLanguage(cfg);
    QCOMPARE(cfg.Language, QStringLiteral("QorvaENG.lng"));
}

void TestConfig::olderLanguageVersionWarnsOnce()
{
    QTemporaryDir dir;
    Config cfg;
    LoadConfiguration(cfg, dir.path());
    tk::Language::current().load("[English]\r\n-1=1.5c\r\n1=x\r\n");
    const int before = tk::MessageBox::shownCount();
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    CheckLanguageVersion(cfg);
    QCOMPARE(tk::MessageBox::shownCount(), before + 1);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("Your language file might be of an incorrect version."));
    QCOMPARE(cfg.profile().readString("Setup", "LngWarn"), std::string("1.5c"));
    CheckLanguageVersion(cfg);
    QCOMPARE(tk::MessageBox::shownCount(), before + 1);

    // The current version and a file without a version never warn.
    tk::Language::current().load("-1=1.5d\r\n");
    CheckLanguageVersion(cfg);
    tk::Language::current().load("1=no version\r\n");
    CheckLanguageVersion(cfg);
    QCOMPARE(tk::MessageBox::shownCount(), before + 1);
}

void TestConfig::missingLanguageFileEndsWithTheErrorBox()
{
    QTemporaryDir dir;
    Config cfg;
    LoadConfiguration(cfg, dir.path());
    cfg.Language = QStringLiteral("QorvaXYZ.lng");
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QVERIFY(!LoadLanguage(cfg));
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
    QVERIFY(tk::MessageBox::lastText().startsWith(
        QStringLiteral("Error opening the language file QorvaXYZ.lng.\nPlease redefine the configuration data by hand\n")));

    writeFile(dir.filePath(QStringLiteral("QorvaXYZ.lng")), "[X]\r\n1=one\r\n");
    QVERIFY(LoadLanguage(cfg));
    QCOMPARE(LangText(1), QStringLiteral("one"));
}

void TestConfig::passwordDialogGivesOneAttempt()
{
    tk::Language::current().load("[English]\r\n231=Password\r\n232=Enter password:\r\n234=&Cancel\r\n");
    {
        TPwDlg dialog(QStringLiteral("Geheim"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Password"));
        QCOMPARE(dialog.Label1->text(), QStringLiteral("Enter password:"));
        QCOMPARE(dialog.OKBtn->text(), QStringLiteral("&OK"));
        QCOMPARE(dialog.CancelBtn->text(), QStringLiteral("&Cancel"));
        QCOMPARE(dialog.Password->maxLength(), 12);
        QCOMPARE(dialog.Password->echoMode(), QLineEdit::Password);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClicks(dialog.Password, QStringLiteral("Geheim"));
        saveScreenshot(&dialog, "password-dialog");
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
        QVERIFY(dialog.accessGranted());
        QVERIFY(!dialog.isVisible());
    }
    {
        TPwDlg dialog(QStringLiteral("Geheim"));
        dialog.show();
        QTest::keyClicks(dialog.Password, QStringLiteral("geheim"));
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
        QVERIFY(!dialog.accessGranted());
    }
    {
        TPwDlg dialog(QStringLiteral("Geheim"));
        dialog.show();
        QTest::keyClicks(dialog.Password, QStringLiteral("Geheim"));
        QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
        QVERIFY(!dialog.accessGranted());
    }
}

void TestConfig::splashShowsVersionAndStatus()
{
    QCOMPARE(SplashWindow::versionTextFor(QDate(2026, 3, 7)), QStringLiteral("Version 1.5d,\nof 07.03.26"));
    SplashWindow splash(QDate(2026, 12, 9));
    QCOMPARE(splash.status(), QStringLiteral("Lade.."));
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    saveScreenshot(&splash, "splash");
    splash.setStatus(QStringLiteral("Tessaron läuft bereits !"));
    saveScreenshot(&splash, "splash-already-running");
}

void TestConfig::appendLogWritesDatedLines()
{
    QTemporaryDir dir;
    LoadConfiguration(config(), dir.path());
    // The line starts with the short date and long time of the format
    // settings, whatever locale the tests run under.
    platform::FormatSettings &fs = platform::FormatSettings::current();
    const platform::FormatSettings saved = fs;
    fs.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    fs.longTimeFormat = QStringLiteral("hh:mm:ss");
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    AppendLog(QStringLiteral(": Filter Adressen: Müller"));
    AppendLog(QStringLiteral(": Wählen 0221 123"), true);
    QDir::setCurrent(old);
    fs = saved;
    QFile log(dir.filePath(QStringLiteral("Tessaron.LOG")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].endsWith(": Filter Adressen: M\xFCller\r"));
    QVERIFY(lines[1].endsWith(": W\xE4hlen 0221 123\r"));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d: "))
                .match(QString::fromLatin1(lines[0]))
                .hasMatch());
}

void TestConfig::settingsWrittenOnWindowsOrByHand()
{
    QTemporaryDir dir;
    const QString prog = dir.path();
    QCOMPARE(dataDirectoryOf(QStringLiteral("DATEN\\ZWEI"), prog), prog + QStringLiteral("/DATEN/ZWEI"));
    QCOMPARE(dataDirectoryOf(QStringLiteral("C:\\TESSARON\\DATA\\"), prog), QStringLiteral("/TESSARON/DATA"));
    QCOMPARE(dataDirectoryOf(QStringLiteral("d:DATA"), prog), QStringLiteral("/DATA"));
    QCOMPARE(dataDirectoryOf(QStringLiteral("/srv/tessaron/daten/"), prog), QStringLiteral("/srv/tessaron/daten"));

    // A relative folder with backslashes becomes a folder of the program
    // directory, and the tables can be made in it.
    writeFile(dir.filePath(QStringLiteral("Tessaron.INI")),
              "[Setup]\r\nZVData=DATEN\\ZWEI\r\n   Language = qorvager.LNG \r\n[User]\r\n");
    Config cfg;
    LoadConfiguration(cfg, prog);
    QCOMPARE(cfg.ZVData, prog + QStringLiteral("/DATEN/ZWEI"));
    QVERIFY(QFileInfo(cfg.ZVData).isDir());
    QVERIFY(!QFileInfo::exists(prog + QStringLiteral("/DATEN\\ZWEI")));

    // The language file is found whatever the letter case of its name, and
    // entries indented with blanks count.
    writeFile(dir.filePath(QStringLiteral("QorvaGER.lng")), "[Deutsch]\r\n  1101=Adressen\r\n\t1102=&OK\r\n");
    ChooseLanguage(cfg);
    QCOMPARE(cfg.Language, QStringLiteral("qorvager.LNG"));
    QVERIFY(LoadLanguage(cfg));
    QCOMPARE(LangText(1101), QStringLiteral("Adressen"));
    QCOMPARE(LangText(1102), QStringLiteral("&OK"));
}

void TestConfig::startCountStopsAtItsMaximum()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("Tessaron.INI")), "[Setup]\r\n[User]\r\nZVCalls=2147483647\r\n");
    Config cfg;
    LoadConfiguration(cfg, dir.path());
    QCOMPARE(cfg.ZVCalls, 2147483647);
    QCOMPARE(cfg.profile().readInt("User", "ZVCalls", -1), 2147483647);
    QVERIFY(!cfg.IniWriteFailed);
}

void TestConfig::applicationTitleAddsNothingToCaptions()
{
    // A display name of its own would be appended to every window caption
    // ("Calculator — Tessaron"); the name alone leaves the captions alone.
    const QString before = QCoreApplication::applicationName();
    SetApplicationTitle();
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Tessaron"));
    QCoreApplication::setApplicationName(QStringLiteral("Probe"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Probe"));
    QCoreApplication::setApplicationName(before);
}

TESSARON_TEST(TestConfig)
#include "TestConfig.moc"
