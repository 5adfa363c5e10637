// The calculator command: desktop calculator first, the built-in one when
// none is installed or it is wanted.
#include "testing/TestRegistry.h"

#include "tools/DeskTools.h"
#include "tools/TTheCalculator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Runs `command` and reports whether a built-in calculator window was opened
// (it is closed at once).
bool opensBuiltInCalculator(const std::function<void()> &command)
{
    bool opened = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&opened] {
        if (auto *calculator = qobject_cast<tools::TTheCalculator *>(QApplication::activeModalWidget())) {
            opened = true;
            calculator->reject();
        }
    });
    timer.start();
    command();
    return opened;
}

} // namespace

class TestDeskTools : public QObject {
    Q_OBJECT

private slots:
    void init() { m_savedPath = qgetenv("PATH"); }
    void cleanup() { qputenv("PATH", m_savedPath); }

    void desktopCalculatorStartsWhenInstalled()
    {
        QTemporaryDir bin;
        const QString marker = bin.filePath(QStringLiteral("started"));
        QFile script(bin.filePath(QStringLiteral("galculator")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n/usr/bin/touch '" + marker.toUtf8() + "'\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        qputenv("PATH", bin.path().toUtf8());

        QVERIFY(!opensBuiltInCalculator([] { tools::openCalculator(nullptr, false); }));
        QTRY_VERIFY(QFile::exists(marker));
    }

    void builtInCalculatorWhenNoneIsInstalled()
    {
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toUtf8());
        QVERIFY(opensBuiltInCalculator([] { tools::openCalculator(nullptr, false); }));
    }

    void builtInCalculatorWhenChosen()
    {
        QVERIFY(opensBuiltInCalculator([] { tools::openCalculator(nullptr, true); }));
    }

private:
    QByteArray m_savedPath;
};

TESSARON_TEST(TestDeskTools)

#include "TestDeskTools.moc"
