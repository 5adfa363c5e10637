// Language file parsing and lookup.
#include "toolkit/text/Language.h"

#include <QTest>

#include "testing/TestRegistry.h"

class TestLanguage : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { tk::Language::current().clear(); }
    void quotesAndTrailingBlanks();
    void escapes_data();
    void escapes();
    void textIsCutTo500BytesBeforeEscapes();
    void keysCountOnlyAtTheStartOfALine();
    void emptyFileIsNotLoaded();
    void charsetMarkerChoosesTheCodePage();
    void entriesPastTheOld64KiBLimit();
};

void TestLanguage::quotesAndTrailingBlanks()
{
    tk::Language lang;
    lang.load("[English]\r\n1=\"two inner  \"   \r\n2=plain   \r\n3=\"open only\r\n4=\r\n");
    QCOMPARE(lang.text(1), QStringLiteral("two inner  "));
    QCOMPARE(lang.text(2), QStringLiteral("plain"));
    QCOMPARE(lang.text(3), QStringLiteral("open only"));
    QCOMPARE(lang.text(4), QString());
    QCOMPARE(lang.text(5), QString());
}

void TestLanguage::escapes_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("decoded");
    QTest::newRow("octal") << QByteArray("\\101") << QByteArray("A");
    QTest::newRow("line feed") << QByteArray("a\\nb") << QByteArray("a\nb");
    QTest::newRow("upper case") << QByteArray("a\\Nb\\T\\R") << QByteArray("a\nb\t\r");
    QTest::newRow("backslash") << QByteArray("C:\\\\DATA") << QByteArray("C:\\DATA");
    QTest::newRow("unknown drops the character") << QByteArray("a\\qb") << QByteArray("a\\b");
    QTest::newRow("two digits only") << QByteArray("\\10x") << QByteArray("\\0x");
    QTest::newRow("backslash at the end") << QByteArray("end\\") << QByteArray("end\\");
    QTest::newRow("umlaut by octal") << QByteArray("\\374") << QByteArray("\xFC");
}

void TestLanguage::escapes()
{
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, decoded);
    tk::Language lang;
    lang.load("7=" + raw + "\r\n");
    QCOMPARE(lang.rawText(7), decoded);
}

void TestLanguage::textIsCutTo500BytesBeforeEscapes()
{
    tk::Language lang;
    lang.load("1=" + QByteArray(600, 'x') + "\r\n2=" + QByteArray(498, 'y') + "\\n\\n\r\n");
    QCOMPARE(lang.text(1).size(), 500);
    // The cut falls on the first escape's two characters; the second is gone.
    QCOMPARE(lang.rawText(2), QByteArray(498, 'y') + "\n");
}

void TestLanguage::keysCountOnlyAtTheStartOfALine()
{
    tk::Language lang;
    lang.load("[German]\r\n-1=1.5d\r\n112=Hundertzw\xF6lf\r\n; 12=in a comment\r\n12=Zw\xF6lf\r\n"
              "1=Eins\r\n20=Text mit 13=drin\r\n13=Dreizehn\r\n12=second twelve\r\n");
    QCOMPARE(lang.text(-1), QStringLiteral("1.5d"));
    QCOMPARE(lang.text(112), QStringLiteral("Hundertzwölf"));
    QCOMPARE(lang.text(12), QStringLiteral("Zwölf"));
    QCOMPARE(lang.text(1), QStringLiteral("Eins"));
    QCOMPARE(lang.text(13), QStringLiteral("Dreizehn"));
    QCOMPARE(lang.text(20), QStringLiteral("Text mit 13=drin"));
}

void TestLanguage::emptyFileIsNotLoaded()
{
    tk::Language lang;
    lang.load(QByteArray());
    QVERIFY(!lang.isLoaded());
    QCOMPARE(lang.text(1), QString());
    lang.load("1=x\r\n");
    QVERIFY(lang.isLoaded());
}

void TestLanguage::charsetMarkerChoosesTheCodePage()
{
    tk::Language central;
    central.load("[Polski]\r\n[chs=238]\r\n1=\xB3\xF3\xBF\xE6\r\n");
    QCOMPARE(central.charset(), 238);
    QCOMPARE(central.text(1), QStringLiteral("łóżć"));

    tk::Language western;
    western.load("[Deutsch]\r\n1=\xE4\xF6\xFC\xDF \x80\r\n");
    QCOMPARE(western.charset(), 0);
    QCOMPARE(western.text(1), QStringLiteral("äöüß €"));

    tk::Language broken;
    broken.load("[chs=2x8]\r\n1=\xE4\r\n");
    QCOMPARE(broken.charset(), 0);
}

void TestLanguage::entriesPastTheOld64KiBLimit()
{
    QByteArray big = "[English]\r\n";
    for (int i = 1; i <= 3000; ++i)
        big += QByteArray::number(i) + "=entry number " + QByteArray::number(i) + " with some padding text\r\n";
    QVERIFY(big.size() > 65535);
    tk::Language::current().load(big);
    QCOMPARE(tk::langText(2999), QStringLiteral("entry number 2999 with some padding text"));
}

TESSARON_TEST(TestLanguage)
#include "TestLanguage.moc"
