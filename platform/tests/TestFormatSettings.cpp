// Format settings derived from locale names.
#include "platform/FormatSettings.h"
#include "platform/SystemInfo.h"

#include <QTest>

#include "testing/TestRegistry.h"

class TestFormatSettings : public QObject {
    Q_OBJECT

private slots:
    void germanLocaleIsNumericWithDotsAndComma();
    void englishLocaleKeepsItsOrder();
    void cLocaleFallsBackToDottedDates();
    void centuryRewritesTheYear();
    void countryCodes();
};

void TestFormatSettings::germanLocaleIsNumericWithDotsAndComma()
{
    const auto fs = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE.UTF-8"));
    QVERIFY(fs.shortDateFormat.startsWith(QLatin1String("dd.MM.yy")));
    QCOMPARE(fs.dateSeparator, QLatin1Char('.'));
    QCOMPARE(fs.decimalSeparator, QLatin1Char(','));
    QCOMPARE(fs.thousandSeparator, QLatin1Char('.'));
    QCOMPARE(fs.longTimeFormat, QStringLiteral("hh:mm:ss"));
}

void TestFormatSettings::englishLocaleKeepsItsOrder()
{
    const auto fs = platform::FormatSettings::fromLocaleName(QStringLiteral("en_US.UTF-8"));
    QVERIFY(fs.shortDateFormat.indexOf(QLatin1Char('M')) < fs.shortDateFormat.indexOf(QLatin1Char('d')));
    QVERIFY(!fs.shortDateFormat.contains(QLatin1String("MMM")));
    QCOMPARE(fs.dateSeparator, QLatin1Char('/'));
    QCOMPARE(fs.decimalSeparator, QLatin1Char('.'));
    QVERIFY(!fs.longTimeFormat.contains(QLatin1Char('t')));
    QVERIFY(!fs.longTimeFormat.contains(QLatin1Char('A'), Qt::CaseInsensitive));
}

void TestFormatSettings::cLocaleFallsBackToDottedDates()
{
    for (const char *name : {"C", "C.UTF-8", "POSIX", ""}) {
        const auto fs = platform::FormatSettings::fromLocaleName(QString::fromLatin1(name));
        QCOMPARE(fs.shortDateFormat, QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(fs.dateSeparator, QLatin1Char('.'));
        QCOMPARE(fs.decimalSeparator, QLatin1Char('.'));
    }
}

void TestFormatSettings::centuryRewritesTheYear()
{
    platform::FormatSettings fs;
    fs.shortDateFormat = QStringLiteral("dd.MM.yy");
    fs.setCentury(true);
    QCOMPARE(fs.shortDateFormat, QStringLiteral("dd.MM.yyyy"));
    fs.setCentury(false);
    QCOMPARE(fs.shortDateFormat, QStringLiteral("dd.MM.yy"));
}

void TestFormatSettings::countryCodes()
{
    QCOMPARE(platform::SystemInfo::countryCodeOf(QStringLiteral("de_DE.UTF-8")), 49);
    QCOMPARE(platform::SystemInfo::countryCodeOf(QStringLiteral("de_AT")), 43);
    QCOMPARE(platform::SystemInfo::countryCodeOf(QStringLiteral("de_CH.UTF-8@euro")), 41);
    QCOMPARE(platform::SystemInfo::countryCodeOf(QStringLiteral("de_LU")), 352);
    QCOMPARE(platform::SystemInfo::countryCodeOf(QStringLiteral("C.UTF-8")), 0);
    QCOMPARE(platform::SystemInfo::countryCodeOf(QStringLiteral("en_US")), 1);
}

TESSARON_TEST(TestFormatSettings)
#include "TestFormatSettings.moc"
