// The main of every QtTest executable.
#include "testing/TestRegistry.h"

#include <QApplication>
#include <QTest>

namespace testing {

std::vector<TestEntry> &registry()
{
    static std::vector<TestEntry> entries;
    return entries;
}

} // namespace testing

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList only = qEnvironmentVariable("TESSARON_TEST_CLASSES").split(QLatin1Char(','), Qt::SkipEmptyParts);
    int failures = 0;
    for (const testing::TestEntry &entry : testing::registry()) {
        if (!only.isEmpty() && !only.contains(QString::fromLatin1(entry.name)))
            continue;
        std::unique_ptr<QObject> test = entry.factory();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
