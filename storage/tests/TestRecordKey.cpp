// Record keys and their notes records.
#include "storage/DatabaseSchema.h"
#include "storage/RecordKey.h"
#include "storage/TXbaseDataSet.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

class TestRecordKey : public QObject {
    Q_OBJECT

private slots:
    void keyIsTheDayCountWithSixDecimals();
    void keysOfOneTableAlwaysAscend();
    void everyKeyGetsExactlyOneNote();
};

void TestRecordKey::keyIsTheDayCountWithSixDecimals()
{
    const QDateTime noon(QDate(2026, 12, 9), QTime(12, 17, 46));
    QCOMPARE(recordkey::keyAt(QStringLiteral("AD"), noon), QStringLiteral("AD0046365512338"));
    // The zero day and the last millisecond of a day (rounds up to the next).
    QCOMPARE(recordkey::keyAt(QStringLiteral("TE"), QDateTime(QDate(1899, 12, 30), QTime(0, 0))),
             QStringLiteral("TE0000000000000"));
    QCOMPARE(recordkey::keyAt(QStringLiteral("BO"), QDateTime(QDate(2000, 1, 1), QTime(23, 59, 59, 999))),
             QStringLiteral("BO0036527000000"));
    QCOMPARE(recordkey::keyAt(QStringLiteral("VI"), noon).size(), recordkey::kLength);
}

void TestRecordKey::keysOfOneTableAlwaysAscend()
{
    // A recurring series made in one go: the same moment many times. (Test
    // prefixes, so that the real tables' sequences stay untouched.)
    const QDateTime moment(QDate(2031, 3, 4), QTime(8, 0));
    QString previous;
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString key = recordkey::newKey(QStringLiteral("XT"), moment);
        QCOMPARE(key.size(), recordkey::kLength);
        QVERIFY(key.startsWith(QLatin1String("XT")));
        QVERIFY2(key > previous, qPrintable(key));
        seen.insert(key);
        previous = key;
    }
    QCOMPARE(seen.size(), 50);
    // The clock going back does not repeat a key either.
    QVERIFY(recordkey::newKey(QStringLiteral("XT"), moment.addSecs(-3600)) > previous);
    // Another table keeps its own sequence and starts at its own time.
    QCOMPARE(recordkey::newKey(QStringLiteral("XC"), moment), recordkey::keyAt(QStringLiteral("XC"), moment));
    // Keys made later are the time again.
    const QDateTime later = moment.addDays(1);
    QCOMPARE(recordkey::newKey(QStringLiteral("XT"), later), recordkey::keyAt(QStringLiteral("XT"), later));
}

void TestRecordKey::everyKeyGetsExactlyOneNote()
{
    QTemporaryDir dir;
    const QString path = schema::tablePath(dir.path(), QStringLiteral("NOTIZEN"), QStringLiteral("DBF"));
    QVERIFY(schema::createTable(schema::kNotizen, path));
    TXbaseDataSet notes;
    notes.SetTableName(path);
    notes.Open();
    QVERIFY(notes.IndexTag(schema::tablePath(dir.path(), QStringLiteral("NOTIZEN"), QStringLiteral("CDX")),
                           QStringLiteral("1"), QStringLiteral("INR"), 0, 0, QString()) != 0);

    QStringList keys;
    for (int i = 0; i < 5; ++i)
        keys << recordkey::createKey(notes, QLatin1String(recordkey::kAdress));
    QCOMPARE(notes.RecordCount(), 5);
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), 5);

    QVERIFY(!recordkey::ensureNote(notes, keys[2]));
    QCOMPARE(notes.FieldByName(QStringLiteral("INR"))->AsString(), keys[2]);
    QVERIFY(!recordkey::ensureNote(notes, QStringLiteral("   ")));
    QCOMPARE(notes.RecordCount(), 5);

    // Without the tag the note is found by a locate.
    notes.SetIndexName(QString());
    QVERIFY(!recordkey::ensureNote(notes, keys[4]));
    QVERIFY(recordkey::ensureNote(notes, QStringLiteral("AD0000000000001")));
    QCOMPARE(notes.RecordCount(), 6);
    QCOMPARE(notes.FieldByName(QStringLiteral("INR"))->AsString(), QStringLiteral("AD0000000000001"));
}

TESSARON_TEST(TestRecordKey)
#include "TestRecordKey.moc"
