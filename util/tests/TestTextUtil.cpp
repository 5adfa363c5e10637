// Text routines and the password scrambling.
#include "util/TextUtil.h"

#include <QRandomGenerator>
#include <QTest>

#include "testing/TestRegistry.h"

class TestTextUtil : public QObject {
    Q_OBJECT

private slots:
    void padRightCutsOrFills();
    void replicateAndRemoveChar();
    void stripTrailingRemovesTheWholeRun();
    void blanksAreCodesUpTo32();
    void scrambleRoundTripsEveryByteInEveryPosition();
    void scrambleRoundTripsRandomPasswords();
    void scrambleDependsOnTheKey();
};

void TestTextUtil::padRightCutsOrFills()
{
    QCOMPARE(PadRight(std::string("Tessaron"), 30), std::string("Tessaron") + std::string(22, ' '));
    QCOMPARE(PadRight(std::string(40, 'x'), 30), std::string(30, 'x'));
    QCOMPARE(PadRight(std::string("abc"), 200).size(), std::size_t(127));
    QCOMPARE(PadRight(QStringLiteral("Müller"), 8), QStringLiteral("Müller  "));
}

void TestTextUtil::replicateAndRemoveChar()
{
    QCOMPARE(Replicate('0', 0), std::string());
    QCOMPARE(Replicate('0', -3), std::string());
    QCOMPARE(Replicate('0', 4), std::string("0000"));
    QCOMPARE(RemoveChar('.', "45123.456789"), std::string("45123456789"));
    const std::string hundred = std::string(79, 'a') + "bcdef" + std::string(16, 'b');
    QCOMPARE(RemoveChar('b', hundred), std::string(79, 'a'));
}

void TestTextUtil::stripTrailingRemovesTheWholeRun()
{
    QCOMPARE(StripTrailing('\\', "C:\\DATA\\\\"), std::string("C:\\DATA"));
    QCOMPARE(StripTrailing('\\', "\\\\\\"), std::string());
    QCOMPARE(StripTrailing(QLatin1Char('/'), QStringLiteral("/opt/t//")), QStringLiteral("/opt/t"));
}

void TestTextUtil::blanksAreCodesUpTo32()
{
    QVERIFY(IsBlank(""));
    QVERIFY(IsBlank(" \t \x01 \r\n"));
    QVERIFY(!IsBlank("    x  "));
    // Only the first 80 characters count.
    QVERIFY(IsBlank(std::string(80, ' ') + "x"));
    QVERIFY(!IsBlank(std::string(79, ' ') + "x"));
    QCOMPARE(AllTrim(std::string("\t  a b \x1f")), std::string("a b"));
    QCOMPARE(RTrim(std::string("  a  ")), std::string("  a"));
    QCOMPARE(AllTrim(QStringLiteral(" \tä ")), QStringLiteral("ä"));
}

void TestTextUtil::scrambleRoundTripsEveryByteInEveryPosition()
{
    for (int position = 0; position < 12; ++position) {
        for (int byte = 0; byte < 256; ++byte) {
            std::string text(12, 'a');
            text[position] = static_cast<char>(byte);
            const std::string scrambled = ScrambleText(text, 571);
            QCOMPARE(scrambled.size(), text.size());
            QCOMPARE(UnscrambleText(scrambled, 571), text);
        }
    }
    QCOMPARE(ScrambleText("", 571), std::string());
}

void TestTextUtil::scrambleRoundTripsRandomPasswords()
{
    QRandomGenerator random(20261209);
    for (int i = 0; i < 5000; ++i) {
        std::string text(1 + random.bounded(12), '\0');
        for (char &c : text)
            c = static_cast<char>(random.bounded(256));
        const auto key = static_cast<uint16_t>(random.bounded(65536));
        QCOMPARE(UnscrambleText(ScrambleText(text, key), key), text);
    }
}

void TestTextUtil::scrambleDependsOnTheKey()
{
    const std::string text = "geheim";
    QVERIFY(ScrambleText(text, 571) != ScrambleText(text, 572));
    QVERIFY(ScrambleText(text, 571) != text);
    // A scrambled text unscrambled with another key is not the original.
    QVERIFY(UnscrambleText(ScrambleText(text, 571), 1000) != text);
}

TESSARON_TEST(TestTextUtil)
#include "TestTextUtil.moc"
