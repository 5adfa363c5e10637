// System facts read from the texts the kernel publishes.
#include "platform/SystemInfo.h"

#include <QTest>

#include "testing/TestRegistry.h"

using platform::SystemFacts;
using platform::SystemInfo;

class TestSystemInfo : public QObject {
    Q_OBJECT

private slots:
    void kernelReleaseGivesVersionAndBuild();
    void processorsAreCountedWithModelAndFamily();
    void memorySwapAndCommitLimit();
    void mountsListRootFirstAndEachDeviceOnce();
    void factsOfThisComputer();
};

void TestSystemInfo::kernelReleaseGivesVersionAndBuild()
{
    SystemFacts f;
    SystemInfo::readKernelRelease(f, QStringLiteral("6.1.55-1-amd64\n"));
    QVERIFY(f.haveKernel);
    QCOMPARE(f.kernelMajor, 6);
    QCOMPARE(f.kernelMinor, 1);
    QCOMPARE(f.kernelBuild, 55);
    SystemInfo::readKernelRelease(f, QStringLiteral("5.10"));
    QCOMPARE(f.kernelBuild, 0);
    SystemInfo::readKernelRelease(f, QStringLiteral("unknown"));
    QVERIFY(!f.haveKernel);
}

void TestSystemInfo::processorsAreCountedWithModelAndFamily()
{
    SystemFacts f;
    SystemInfo::readCpuInfo(f,
                            QStringLiteral("processor\t: 0\ncpu family\t: 6\nmodel\t\t: 158\n"
                                           "model name\t: Intel(R) Core(TM) i5-8500 CPU @ 3.00GHz\n\n"
                                           "processor\t: 1\ncpu family\t: 6\nmodel\t\t: 158\n"
                                           "model name\t: Intel(R) Core(TM) i5-8500 CPU @ 3.00GHz\n"),
                            QStringLiteral("x86_64"));
    QCOMPARE(f.processorCount, 2);
    QCOMPARE(f.processorModel, QStringLiteral("Intel(R) Core(TM) i5-8500 CPU @ 3.00GHz"));
    QCOMPARE(f.processorLevel, QStringLiteral("x86_64, family 6, model 158"));
    // A processor without model names (many ARM boards): the machine type.
    SystemInfo::readCpuInfo(f, QStringLiteral("processor : 0\nBogoMIPS : 108.00\n"), QStringLiteral("aarch64"));
    QCOMPARE(f.processorCount, 1);
    QCOMPARE(f.processorModel, QStringLiteral("aarch64"));
    QCOMPARE(f.processorLevel, QStringLiteral("aarch64"));
}

void TestSystemInfo::memorySwapAndCommitLimit()
{
    SystemFacts f;
    SystemInfo::readMemInfo(f, QStringLiteral("MemTotal:        8000 kB\nMemFree:          100 kB\n"
                                              "MemAvailable:     3000 kB\nSwapTotal:     2048 kB\n"
                                              "SwapFree:      1024 kB\nCommitLimit:   6048 kB\n"
                                              "Committed_AS:  7000 kB\n"));
    QCOMPARE(*f.memoryTotal, uint64_t(8000 * 1024));
    QCOMPARE(*f.memoryAvailable, uint64_t(3000 * 1024));
    QCOMPARE(*f.swapFree, uint64_t(1024 * 1024));
    QCOMPARE(*f.virtualTotal, uint64_t(6048 * 1024));
    QCOMPARE(*f.virtualAvailable, uint64_t(0)); // over-committed
    SystemInfo::readMemInfo(f, QStringLiteral("MemTotal: 10 kB\nMemFree: 4 kB\n"));
    QCOMPARE(*f.memoryAvailable, uint64_t(4 * 1024)); // older kernels
    QVERIFY(!f.swapTotal && !f.virtualTotal);
}

void TestSystemInfo::mountsListRootFirstAndEachDeviceOnce()
{
    SystemFacts f;
    SystemInfo::readMounts(f, QStringLiteral("proc /proc proc rw 0 0\n"
                                             "/dev/sdb1 /tmp ext4 rw 0 0\n"
                                             "/dev/sda1 / ext4 rw 0 0\n"
                                             "/dev/sdb1 /var/tmp ext4 rw 0 0\n"
                                             "/dev/sda1 /srv/bind ext4 rw 0 0\n"
                                             "/dev/sdc1 /no/such\\040place ext4 rw 0 0\n"
                                             "tmpfs /run tmpfs rw 0 0\n"));
    QCOMPARE(f.disks.size(), 2);
    QCOMPARE(f.disks[0].mountPoint, QStringLiteral("/"));
    QCOMPARE(f.disks[1].mountPoint, QStringLiteral("/tmp"));
    QVERIFY(f.disks[0].freeBytes > 0);
}

void TestSystemInfo::factsOfThisComputer()
{
    const SystemFacts f = SystemInfo::facts();
    QVERIFY(f.haveKernel);
    QVERIFY(f.platformName.startsWith(QStringLiteral("Linux")));
    QVERIFY(f.processorCount >= 1);
    QVERIFY(f.memoryTotal && *f.memoryTotal > 0);
    QVERIFY(!f.disks.isEmpty());
    QCOMPARE(f.disks.first().mountPoint, QStringLiteral("/"));
}

TESSARON_TEST(TestSystemInfo)
#include "TestSystemInfo.moc"
