// Finding the user's graphical text editor in VISUAL and EDITOR.
#include "platform/TextEditor.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

using platform::TextEditor;

class TestTextEditor : public QObject {
    Q_OBJECT

private slots:
    void knownDesktopEditorsAreKeptInTheForeground();
};

void TestTextEditor::knownDesktopEditorsAreKeptInTheForeground()
{
    QTemporaryDir bin;
    auto program = [&bin](const char *name) {
        const QString path = bin.filePath(QString::fromLatin1(name));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\n");
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return path;
    };
    const QString gedit = program("gedit");
    const QString kate = program("kate");
    const QString vim = program("vim");

    QCOMPARE(TextEditor::commandFor(gedit, QString()), (QStringList{gedit, QStringLiteral("--wait")}));
    // Options of the user's own stay behind the one that makes it wait.
    QCOMPARE(TextEditor::commandFor(QStringLiteral("\"%1\" -s").arg(kate), QString()),
             (QStringList{kate, QStringLiteral("--block"), QStringLiteral("-s")}));
    QCOMPARE(TextEditor::commandFor(gedit + QStringLiteral(" --wait"), QString()),
             (QStringList{gedit, QStringLiteral("--wait")}));
    // A terminal editor, or one that is not there, gives way to EDITOR.
    QCOMPARE(TextEditor::commandFor(vim, gedit), (QStringList{gedit, QStringLiteral("--wait")}));
    QCOMPARE(TextEditor::commandFor(bin.filePath(QStringLiteral("x/gedit")), kate),
             (QStringList{kate, QStringLiteral("--block")}));
    QVERIFY(TextEditor::commandFor(QStringLiteral("nano"), vim).isEmpty());
    QVERIFY(TextEditor::commandFor(QString(), QStringLiteral("   ")).isEmpty());
}

TESSARON_TEST(TestTextEditor)
#include "TestTextEditor.moc"
