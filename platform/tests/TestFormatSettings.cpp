// Format settings derived from locale names.
#include "platform/FormatSettings.h"
#include "platform/SystemInfo.h"

#include <QHash>
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
    void numberSeparatorsFollowLcNumeric();
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

void TestFormatSettings::numberSeparatorsFollowLcNumeric()
{
    auto environment = [](QHash<QString, QString> values) {
        return [values](const char *name) { return values.value(QString::fromLatin1(name)); };
    };
    // English dates with German numbers, and the other way round.
    platform::FormatSettings fs = platform::FormatSettings::fromEnvironment(environment(
        {{QStringLiteral("LC_TIME"), QStringLiteral("en_US.UTF-8")}, {QStringLiteral("LC_NUMERIC"), QStringLiteral("de_DE.UTF-8")}}));
    QCOMPARE(fs.decimalSeparator, QLatin1Char(','));
    QCOMPARE(fs.thousandSeparator, QLatin1Char('.'));
    QVERIFY(fs.shortDateFormat.startsWith(QLatin1Char('M')));
    fs = platform::FormatSettings::fromEnvironment(environment(
        {{QStringLiteral("LC_TIME"), QStringLiteral("de_DE.UTF-8")}, {QStringLiteral("LC_NUMERIC"), QStringLiteral("C")}}));
    QCOMPARE(fs.decimalSeparator, QLatin1Char('.'));
    QVERIFY(fs.shortDateFormat.startsWith(QLatin1String("dd.MM.yy")));
    // LC_ALL overrules both; LANG stands in for a missing one.
    fs = platform::FormatSettings::fromEnvironment(environment(
        {{QStringLiteral("LC_ALL"), QStringLiteral("C")}, {QStringLiteral("LC_NUMERIC"), QStringLiteral("de_DE")}}));
    QCOMPARE(fs.decimalSeparator, QLatin1Char('.'));
    fs = platform::FormatSettings::fromEnvironment(environment({{QStringLiteral("LANG"), QStringLiteral("de_DE")}}));
    QCOMPARE(fs.decimalSeparator, QLatin1Char(','));
}

TESSARON_TEST(TestFormatSettings)
#include "TestFormatSettings.moc"
