// Upper case by the engine's rule, and the entries that use it.
#include "toolkit/text/TextCase.h"

#include <QTest>

#include "testing/TestRegistry.h"

class TestTextCase : public QObject {
    Q_OBJECT

private slots:
    void upperCaseKeepsSharpSAndTheLength();
};

void TestTextCase::upperCaseKeepsSharpSAndTheLength()
{
    // "nuß" must stay a prefix of "NUßBAUM" and never become "NUSS".
    QCOMPARE(tk::upperCase(QStringLiteral("nuß")), QStringLiteral("NUß"));
    QCOMPARE(tk::upperCase(QStringLiteral("groß straße")), QStringLiteral("GROß STRAßE"));
    QCOMPARE(tk::upperCase(QStringLiteral("äöü éšÿ œ")), QStringLiteral("ÄÖÜ ÉŠŸ Œ"));
    // Outside the code page nothing changes, not even the length.
    QCOMPARE(tk::upperCase(QStringLiteral("ǆ ﬀ")), QStringLiteral("ǆ ﬀ"));
    QCOMPARE(tk::upperCase(QString()), QString());
}

TESSARON_TEST(TestTextCase)
#include "TestTextCase.moc"
