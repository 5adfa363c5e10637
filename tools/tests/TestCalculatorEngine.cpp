// The adding machine's arithmetic, tape and number format, without a window.
#include "testing/TestRegistry.h"

#include "tools/CalculatorEngine.h"

#include <QTest>

#include <clocale>
#include <string>

using tools::CalculatorEngine;

namespace {

// Key sequences are written as typed: digits and operators as themselves,
// the control keys as their codes.
const char kMPlus = CalculatorEngine::KeyMPlus;
const char kMMinus = CalculatorEngine::KeyMMinus;
const char kMR = CalculatorEngine::KeyMR;
const char kMC = CalculatorEngine::KeyMC;
const char kC = CalculatorEngine::KeyC;
const char kBack = CalculatorEngine::KeyBackspace;
const char kOpt = CalculatorEngine::KeyOpt;

platform::FormatSettings german()
{
    return platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
}

void type(CalculatorEngine &engine, const QByteArray &keys)
{
    for (char key : keys)
        engine.press(key);
}

// The tape lines written after the two opening lines.
QStringList newLines(const CalculatorEngine &engine)
{
    return engine.tape().mid(3);
}

} // namespace

class TestCalculatorEngine : public QObject {
    Q_OBJECT

private slots:
    void opensWithCaptionPatternAndZero()
    {
        CalculatorEngine engine(german());
        QCOMPARE(engine.tape(), QStringList({QStringLiteral("    Calculator"), QStringLiteral("xxxxxxxxxxx.xx"),
                                             QStringLiteral("--------------")}));
        QCOMPARE(engine.displayText(), QStringLiteral("0,00 "));
        QVERIFY(!engine.memoryKeysVisible());
    }

    void additionWritesThreeLinesAndSeparator()
    {
        CalculatorEngine engine(german());
        type(engine, "12+3=");
        QCOMPARE(newLines(engine), QStringList({QStringLiteral("      12,00   "), QStringLiteral("       3,00  +"),
                                                QStringLiteral("      15,00  ="), QStringLiteral("--------------")}));
        QCOMPARE(engine.displayText(), QStringLiteral("15,00 "));
    }

    void keySequences_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QString>("display");
        QTest::newRow("operator twice repeats the operand") << QByteArray("5+=") << "10,00 ";
        QTest::newRow("percent added") << QByteArray("200+10%") << "220,00 ";
        QTest::newRow("percent taken off") << QByteArray("200-10%") << "180,00 ";
        QTest::newRow("percent of") << QByteArray("200*10%") << "20,00 ";
        QTest::newRow("divided by percent") << QByteArray("200/10%") << "2.000,00 ";
        QTest::newRow("percent result is the next operand") << QByteArray("200+10%+5=") << "225,00 ";
        QTest::newRow("division by zero") << QByteArray("7/0=") << "Error";
        QTest::newRow("percent division by zero") << QByteArray("7/0%") << "Error";
        QTest::newRow("digit after an error starts anew") << QByteArray("7/0=5") << "5,00 ";
        QTest::newRow("running result after an error is 0") << QByteArray("7/0=+4=") << "4,00 ";
        QTest::newRow("third decimal ignored") << QByteArray("1.239") << "1,23 ";
        QTest::newRow("decimal retyped after backspace") << QByteArray("1.239\b5") << "1,25 ";
        QTest::newRow("backspace removes the separator") << QByteArray("1.\b5") << "15,00 ";
        QTest::newRow("backspace to empty") << QByteArray("7\b") << "0,00 ";
        QTest::newRow("second separator ignored") << QByteArray("1.2.3") << "1,23 ";
        QTest::newRow("lone separator reads as 0") << QByteArray(".+1=") << "1,00 ";
        QTest::newRow("negative result") << QByteArray("10-15=") << "-5,00 ";
        QTest::newRow("binary fractions rounded away") << QByteArray("0.1+0.2=") << "0,30 ";
        QTest::newRow("thousands grouped") << QByteArray("1234567*1000=") << "1.234.567.000,00 ";
        QTest::newRow("chained operators") << QByteArray("2+3*4=") << "20,00 ";
        QTest::newRow("recalled memory is the operand") << QByteArray("5") + kMPlus + "3+" + kMR + "=" << "8,00 ";
        QTest::newRow("memory subtracts shown value") << QByteArray("9") + kMPlus + "4" + kMMinus + kMR << "5,00 ";
        QTest::newRow("C once keeps the running result") << QByteArray("12+3") + kC + "=" << "12,00 ";
        QTest::newRow("C twice clears the running result") << QByteArray("12+3") + kC + kC + "=" << "0,00 ";
    }

    void keySequences()
    {
        QFETCH(QByteArray, keys);
        QFETCH(QString, display);
        CalculatorEngine engine(german());
        type(engine, keys);
        QCOMPARE(engine.displayText(), display);
    }

    void divisionByZeroGoesOnTheTape()
    {
        CalculatorEngine engine(german());
        type(engine, "7/0=");
        QCOMPARE(newLines(engine).mid(2), QStringList({QStringLiteral("       Error ="), QStringLiteral("--------------")}));
    }

    void percentTapeLines()
    {
        CalculatorEngine engine(german());
        type(engine, "200+10%");
        QCOMPARE(newLines(engine), QStringList({QStringLiteral("     200,00   "), QStringLiteral("      10,00 %+"),
                                                QStringLiteral("     220,00 %="), QStringLiteral("--------------")}));
    }

    void entryStopsAtFifteenCharacters()
    {
        CalculatorEngine engine(german());
        type(engine, QByteArray(20, '9'));
        QCOMPARE(engine.entry(), QString(15, QLatin1Char('9')));
    }

    void cTwiceKeepsMemory()
    {
        CalculatorEngine engine(german());
        type(engine, QByteArray("5") + kMPlus + kC + kC);
        QCOMPARE(engine.memory(), 5.0);
        QVERIFY(engine.memoryKeysVisible());
        QCOMPARE(engine.tape().mid(engine.tape().size() - 2),
                 QStringList({QStringLiteral("             C"), QStringLiteral("--------------")}));
    }

    void memoryKeysOnlyWhileMemoryHoldsSomething()
    {
        CalculatorEngine engine(german());
        type(engine, "5");
        QVERIFY(!engine.memoryKeysVisible());
        engine.press(kMPlus);
        QVERIFY(engine.memoryKeysVisible());
        engine.press(kMC);
        QVERIFY(!engine.memoryKeysVisible());
        type(engine, QByteArray("4") + kMPlus + kMMinus);
        QCOMPARE(engine.memory(), 0.0);
        QVERIFY(!engine.memoryKeysVisible());
    }

    void optionsCycleSetsDecimals()
    {
        CalculatorEngine engine(german());
        type(engine, "12");
        engine.press(kOpt);
        QCOMPARE(engine.optState(), CalculatorEngine::OptState::EditDecimals);
        QCOMPARE(engine.decimalsText(), QStringLiteral("2"));
        engine.setDecimalsText(QStringLiteral("3"));
        engine.press(kOpt);
        QCOMPARE(engine.optState(), CalculatorEngine::OptState::Information);
        QCOMPARE(engine.decimals(), 3);
        QCOMPARE(engine.displayText(), QStringLiteral("12,000 "));
        QCOMPARE(engine.tape().mid(engine.tape().size() - 2),
                 QStringList({QStringLiteral("xxxxxxxxxx.xxx"), QStringLiteral("--------------")}));
        engine.press(kOpt);
        QCOMPARE(engine.optState(), CalculatorEngine::OptState::Normal);
    }

    void optionsIgnoreDecimalsOutOfRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("not a number") << "x";
        QTest::newRow("empty") << "";
        QTest::newRow("too many") << "9";
        QTest::newRow("negative") << "-1";
    }

    void optionsIgnoreDecimalsOutOfRange()
    {
        QFETCH(QString, text);
        CalculatorEngine engine(german());
        engine.press(kOpt);
        engine.setDecimalsText(text);
        engine.press(kOpt);
        QCOMPARE(engine.decimals(), 2);
    }

    void noDecimalsPattern()
    {
        CalculatorEngine engine(german());
        engine.press(kOpt);
        engine.setDecimalsText(QStringLiteral("0"));
        engine.press(kOpt);
        QCOMPARE(engine.decimalPattern(), QString(14, QLatin1Char('x')));
        type(engine, "1.5");
        QCOMPARE(engine.displayText(), QStringLiteral("1 "));
    }

    void actionsOfTheWindowKeys()
    {
        CalculatorEngine engine(german());
        QCOMPARE(engine.press(CalculatorEngine::KeyPrint), CalculatorEngine::Action::Print);
        QCOMPARE(engine.press(CalculatorEngine::KeyQuit), CalculatorEngine::Action::Quit);
        QCOMPARE(engine.press(CalculatorEngine::KeyUse), CalculatorEngine::Action::Use);
        QCOMPARE(engine.press('A'), CalculatorEngine::Action::None);
        QCOMPARE(engine.tape().size(), 3);
    }

    void formatValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("grouped") << 1234.5 << 2 << "1.234,50";
        QTest::newRow("negative") << -1234.5 << 2 << "-1.234,50";
        QTest::newRow("zero") << 0.0 << 2 << "0,00";
        QTest::newRow("half rounds up") << 0.125 << 2 << "0,13";
        QTest::newRow("decimal half rounds up") << 2.675 << 2 << "2,68";
        QTest::newRow("negative rounding to zero has no sign") << -0.001 << 2 << "0,00";
        QTest::newRow("carry into a new digit") << 999.996 << 2 << "1.000,00";
        QTest::newRow("no decimals") << 1234.5 << 0 << "1.235";
        QTest::newRow("fourteen significant digits") << 12345678.123456789 << 7 << "12.345.678,1234570";
        QTest::newRow("small") << 0.004 << 2 << "0,00";
        QTest::newRow("too long for the display") << 1.5e15 << 2 << "1,5E+15";
        QTest::newRow("rounded past fourteen digits") << 99999999999999.9 << 2 << "1E+14";
        QTest::newRow("overflow") << std::numeric_limits<double>::infinity() << 2 << "Error";
    }

    void formatValue()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(CalculatorEngine::formatValue(value, 14, decimals, QLatin1Char(','), QLatin1Char('.')), text);
    }

    void numbersIgnoreTheProcessLocale()
    {
        // The C library's formatting follows LC_NUMERIC; the calculator's
        // numbers must not.
        const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("de_DE.UTF-8 is not installed");
        const QString text = CalculatorEngine::formatValue(1234.56, 14, 2, QLatin1Char(','), QLatin1Char('.'));
        const QString big = CalculatorEngine::formatValue(1.5e15, 14, 2, QLatin1Char(','), QLatin1Char('.'));
        std::setlocale(LC_NUMERIC, saved.c_str());
        QCOMPARE(text, QStringLiteral("1.234,56"));
        QCOMPARE(big, QStringLiteral("1,5E+15"));
    }

    void decimalPointLocale()
    {
        CalculatorEngine engine(platform::FormatSettings::fromLocaleName(QStringLiteral("C")));
        type(engine, "1234.5+1=");
        QCOMPARE(engine.displayText(), QStringLiteral("1,235.50 "));
    }
};

TESSARON_TEST(TestCalculatorEngine)

#include "TestCalculatorEngine.moc"
