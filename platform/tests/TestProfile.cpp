// Profile files against hand-written INI text.
#include "platform/Profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

namespace {

const char kSample[] =
    "; Tessaron settings\r\n"
    "[SETUP]\r\n"
    "ZVData = /srv/daten \r\n"
    "Level=9\r\n"
    "\r\n"
    "; the user's own data\r\n"
    "[user]\r\n"
    "Name=\"  Erika  \"\r\n"
    "COMPort=3\r\n"
    "comport=4\r\n"
    "Bad=12abc\r\n"
    "Negative=-7\r\n"
    "TTITLE1=Part one \r\n"
    "TTITLE1=and part two\r\n"
    "\r\n"
    "[Other]\r\n"
    "Name=Other\r\n";

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestProfile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void readsWithoutRegardToCase();
    void firstOfDuplicateKeysWinsAndReadAllGivesEvery();
    void integersAndDefaults();
    void missingFileReadsDefaultsAndIsNotCreated();
    void writeReplacesInPlaceAndKeepsEverythingElse();
    void writeAddsKeysAndSections();
    void bytesSurviveUnchanged();
    void writeGoesThroughLinksKeepsTheModeAndRefusesReadOnlyFiles();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestProfile::init()
{
    m_path = m_dir.filePath(QStringLiteral("Tessaron.INI"));
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(kSample);
}

void TestProfile::readsWithoutRegardToCase()
{
    platform::Profile ini(m_path.toStdString());
    QCOMPARE(ini.readString("Setup", "zvdata"), std::string("/srv/daten"));
    QCOMPARE(ini.readString("USER", "NAME"), std::string("  Erika  "));
    QCOMPARE(ini.readString("other", "name"), std::string("Other"));
    QCOMPARE(ini.readString("Setup", "Name", "none"), std::string("none"));
    QVERIFY(ini.hasKey("setup", "LEVEL"));
    QVERIFY(!ini.hasKey("setup", "; the user's own data"));
}

void TestProfile::firstOfDuplicateKeysWinsAndReadAllGivesEvery()
{
    platform::Profile ini(m_path.toStdString());
    QCOMPARE(ini.readInt("User", "COMPort", 2), 3);
    const auto parts = ini.readAll("User", "TTITLE1");
    QCOMPARE(parts.size(), std::size_t(2));
    QCOMPARE(parts[0], std::string("Part one"));
    QCOMPARE(parts[1], std::string("and part two"));
    const std::string answer = "210 rock 0d01f202\nDTITLE=A / B\nTTITLE0=x\n";
    QCOMPARE(platform::Profile::readString(answer, "", "DTITLE", ""), std::string());
}

void TestProfile::integersAndDefaults()
{
    platform::Profile ini(m_path.toStdString());
    QCOMPARE(ini.readInt("User", "Bad", 45), 45);
    QCOMPARE(ini.readInt("User", "Negative", 0), -7);
    QCOMPARE(ini.readInt("User", "Missing", 45), 45);
    QCOMPARE(ini.readInt("Nowhere", "Level", 1), 1);
    QCOMPARE(ini.readInt("Setup", "Level", 1), 9);
}

void TestProfile::missingFileReadsDefaultsAndIsNotCreated()
{
    const QString missing = m_dir.filePath(QStringLiteral("none.ini"));
    platform::Profile ini(missing.toStdString());
    QVERIFY(!ini.exists());
    QCOMPARE(ini.readString("Setup", "ZVData", "dflt"), std::string("dflt"));
    QCOMPARE(ini.readInt("User", "ZVCalls", 0), 0);
    QVERIFY(!QFile::exists(missing));
}

void TestProfile::writeReplacesInPlaceAndKeepsEverythingElse()
{
    platform::Profile ini(m_path.toStdString());
    QVERIFY(ini.writeString("user", "COMPORT", "1"));
    QByteArray expected(kSample);
    expected.replace("COMPort=3\r\n", "COMPORT=1\r\n");
    QCOMPARE(readAll(m_path), expected);
    // The duplicate further down is left as it was; the first now reads 1.
    QCOMPARE(ini.readInt("User", "COMPort", 2), 1);
}

void TestProfile::writeAddsKeysAndSections()
{
    platform::Profile ini(m_path.toStdString());
    QVERIFY(ini.writeInt("Setup", "LastUpdate", 5));
    QVERIFY(ini.writeString("Brand", "New", "value"));
    QByteArray expected(kSample);
    expected.replace("Level=9\r\n", "Level=9\r\nLastUpdate=5\r\n");
    expected.append("[Brand]\r\nNew=value\r\n");
    QCOMPARE(readAll(m_path), expected);

    const QString fresh = m_dir.filePath(QStringLiteral("fresh.ini"));
    platform::Profile created(fresh.toStdString());
    QVERIFY(created.writeString("Setup", "A", "1"));
    QVERIFY(created.writeString("User", "B", "2"));
    QVERIFY(created.writeString("Setup", "C", "3"));
    QCOMPARE(readAll(fresh), QByteArray("[Setup]\r\nA=1\r\nC=3\r\n[User]\r\nB=2\r\n"));
}

void TestProfile::bytesSurviveUnchanged()
{
    platform::Profile ini(m_path.toStdString());
    const std::string bytes = "M\xFCller \x80 \xDF";
    QVERIFY(ini.writeString("User", "Name", bytes));
    QCOMPARE(ini.readString("User", "Name"), bytes);
}

void TestProfile::writeGoesThroughLinksKeepsTheModeAndRefusesReadOnlyFiles()
{
    // A link to the real file: the link stays, the target changes.
    const QString link = m_dir.filePath(QStringLiteral("link.ini"));
    QFile::remove(link);
    QVERIFY(QFile::link(m_path, link));
    platform::Profile viaLink(QFile::encodeName(link).toStdString());
    QVERIFY(viaLink.writeString("User", "Name", "Linked"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(platform::Profile(QFile::encodeName(m_path).toStdString()).readString("User", "Name"),
             std::string("Linked"));

    // The mode stays; no temporary file is left beside it.
    QCOMPARE(::chmod(QFile::encodeName(m_path).constData(), 0640), 0);
    platform::Profile ini(QFile::encodeName(m_path).toStdString());
    QVERIFY(ini.writeString("User", "Telefon", "123"));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0640);
    QVERIFY(QDir(m_dir.path()).entryList({QStringLiteral("Tessaron.INI?*")}, QDir::Files | QDir::Hidden).isEmpty());

    // A read-only file is reported, not replaced.
    if (::geteuid() == 0)
        QSKIP("root may write read-only files");
    QCOMPARE(::chmod(QFile::encodeName(m_path).constData(), 0440), 0);
    const QByteArray before = readAll(m_path);
    QVERIFY(!ini.writeString("User", "Telefon", "456"));
    QCOMPARE(readAll(m_path), before);
    QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0440);
    ::chmod(QFile::encodeName(m_path).constData(), 0640);
}

TESSARON_TEST(TestProfile)
#include "TestProfile.moc"
