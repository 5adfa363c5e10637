// The information box, its star field and its spinning cube.
#include "app/Config.h"
#include "app/TCubeSpin.h"
#include "app/TStarField.h"
#include "app/TfrmInfoBox.h"
#include "app/TfrmZV_Main.h"
#include "toolkit/text/Language.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>

#include "testing/TestRegistry.h"

namespace {

platform::SystemFacts sampleFacts()
{
    platform::SystemFacts f;
    f.haveKernel = true;
    f.kernelMajor = 6;
    f.kernelMinor = 1;
    f.kernelBuild = 55;
    f.processorCount = 4;
    f.processorModel = QStringLiteral("Example CPU");
    f.processorLevel = QStringLiteral("x86_64, family 6, model 158");
    f.memoryTotal = uint64_t(3) * 1024 * 1024 * 1024;
    f.memoryAvailable = uint64_t(1) * 1024 * 1024 * 1024;
    f.swapTotal = 0;
    f.swapFree = 0;
    f.virtualTotal = uint64_t(4096) * 1024;
    f.virtualAvailable = uint64_t(1000) * 1024;
    f.disks = {{QStringLiteral("/"), uint64_t(10) * 1024 * 1024 * 1024}, {QStringLiteral("/home"), 5 * 1024 * 1024 + 1}};
    return f;
}

} // namespace

class TestfrmInfoBox : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsTheFactsInTheirFormats();
    void unknownFactsKeepTheirCaptions();
    void starFieldHoldsAtMostAThousandStars();
    void starsWrapIntoTheBoxAndFadeWithDistance();
    void starFieldMovesRotatesAndPaints();
    void cubeScaleStepsAndShading();
    void mainWindowOpensItModally();
    void screenshot();

private:
    QTemporaryDir m_dir;
};

void TestfrmInfoBox::init()
{
    LoadConfiguration(config(), m_dir.path());
    QFile lang(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaGER.lng"));
    QVERIFY(lang.open(QIODevice::ReadOnly));
    tk::Language::current().load(lang.readAll());
}

void TestfrmInfoBox::cleanup()
{
    tk::Language::current().clear();
}

void TestfrmInfoBox::showsTheFactsInTheirFormats()
{
    TfrmInfoBox box(sampleFacts(), nullptr);
    QCOMPARE(box.windowTitle(), tk::langText(2201));
    QCOMPARE(box.size(), QSize(342, 419));
    QCOMPARE(box.btnOK->text(), tk::langText(2202));
    QCOMPARE(box.Label7->text(), tk::langText(2210));
    QCOMPARE(box.ProductName->text(), QStringLiteral("Tessaron"));
    QCOMPARE(box.WinVersion->text(), QStringLiteral("6.1, Build 55"));
    QCOMPARE(box.CPU->text(), QStringLiteral("4 Example CPU"));
    QCOMPARE(box.FreeResources->text(), QStringLiteral("Total: 3145728 KB  Free: 1048576 KB (33%)"));
    QCOMPARE(box.lblSwapFile->text(), QStringLiteral("Total: 0 KB  Free: 0 KB"));
    QCOMPARE(box.lblVirtual->text(), QStringLiteral("Total: 4096 KB  Free: 1000 KB"));
    QCOMPARE(box.FreeDisk->text(), QStringLiteral("/: 10240 MB  /home: 5 MB  "));
    QVERIFY(box.CubeSpin2->Continuous());
    QVERIFY(box.Timer1.isActive());
    QCOMPARE(box.Timer1.interval(), 30);
    QCOMPARE(box.StarField1->NumStars(), 250);
    QCOMPARE(TfrmInfoBox::memoryLine(0, 0), QStringLiteral("Total: 0 KB  Free: 0 KB (0%)"));
    for (int tag : {1, 2, 10, 11, 12, 13, 14, 15, 16, 17})
        QVERIFY2(!tk::langText(2200 + tag).isEmpty(), qPrintable(QString::number(tag)));
    box.btnOK->click();
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

void TestfrmInfoBox::unknownFactsKeepTheirCaptions()
{
    TfrmInfoBox box(platform::SystemFacts(), nullptr);
    QCOMPARE(box.WinVersion->text(), QStringLiteral("WinVersion"));
    QCOMPARE(box.DosVersion->text(), QStringLiteral("DosVersion"));
    QCOMPARE(box.CPU->text(), QStringLiteral("CPU"));
    QCOMPARE(box.CPULevel->text(), QStringLiteral("CPULevel"));
    QCOMPARE(box.FreeResources->text(), QStringLiteral("FreeResources"));
}

void TestfrmInfoBox::starFieldHoldsAtMostAThousandStars()
{
    TStarField field;
    field.setNumStars(1200);
    QCOMPARE(field.NumStars(), 1000);
    field.createStars(7);
    QCOMPARE(field.stars().size(), std::size_t(1000));
    for (const TStarField::Star &s : field.stars()) {
        QVERIFY(s.x >= -1000 && s.x <= 999 && s.x == std::floor(s.x));
        QVERIFY(s.z >= 0 && s.z <= 1999);
    }
    field.setNumStars(-5);
    QCOMPARE(field.stars().size(), std::size_t(0));
}

void TestfrmInfoBox::starsWrapIntoTheBoxAndFadeWithDistance()
{
    const auto w = [](double x, double y, double z) { return TStarField::wrapped({x, y, z}); };
    QCOMPARE(w(1500, -1000, 2500).x, -500.0);
    QCOMPARE(w(1500, -1000, 2500).y, -1000.0);
    QCOMPARE(w(1500, -1000, 2500).z, 500.0);
    QCOMPARE(w(-3100, 1000, 0).x, 900.0);
    QCOMPARE(w(-3100, 1000, 0).y, 1000.0);
    QCOMPARE(w(0, 0, 0).z, 2000.0);
    QCOMPARE(w(0, 0, -10).z, 1990.0);

    QCOMPARE(TStarField::greyLevel(0), 0xFF);
    QCOMPARE(TStarField::greyLevel(400), 0xFF);   // index 3
    QCOMPARE(TStarField::greyLevel(500), 0xEE);   // 3.75 rounds to 4
    QCOMPARE(TStarField::greyLevel(1000), 0xAA);  // 7.5 rounds to 8
    QCOMPARE(TStarField::greyLevel(1600), 0x55);  // 12
    QCOMPARE(TStarField::greyLevel(2000), 0x00);  // 15

    const QPointF p = TStarField::project({100, 50, 1000}, QSize(200, 100), 100);
    QCOMPARE(p, QPointF(120, 60));
    QCOMPARE(TStarField::project({100, 50, 1000}, QSize(200, 100), 20), QPointF(104, 52));
}

void TestfrmInfoBox::starFieldMovesRotatesAndPaints()
{
    TStarField field;
    field.resize(139, 56);
    field.setNumStars(1);
    field.createStars(1);
    const TStarField::Star before = field.stars()[0];
    field.moveStars(0, 5, -10);
    QCOMPARE(field.stars()[0].y, before.y + 5);
    field.rotateStars(0, 0, 90); // about the z axis: (x, y) turns to (-y, x)
    QVERIFY(std::abs(field.stars()[0].x + (before.y + 5)) < 1e-9);
    QVERIFY(std::abs(field.stars()[0].y - before.x) < 1e-9);
    QVERIFY(std::abs(field.stars()[0].z - (before.z - 10)) < 1e-9);

    // One star near the middle lights one pixel, white.
    TStarField one;
    one.resize(100, 50);
    one.setNumStars(1);
    one.createStars(1);
    one.moveStars(-one.stars()[0].x, -one.stars()[0].y, 300 - one.stars()[0].z);
    const QImage picture = one.render();
    QCOMPARE(picture.pixel(50, 25), qRgb(255, 255, 255));
    int lit = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            lit += picture.pixel(x, y) != qRgb(0, 0, 0);
    QCOMPARE(lit, 1);
}

void TestfrmInfoBox::cubeScaleStepsAndShading()
{
    TCubeSpin cube;
    cube.resize(41, 41);
    QCOMPARE(cube.scale(), 10);
    cube.resize(100, 60);
    QCOMPARE(cube.scale(), 15);
    cube.resize(41, 41);

    cube.setOptions(TCubeSpin::cdoFaces);
    QVERIFY(cube.options() & TCubeSpin::cdoHide);
    cube.setXSpin(355);
    cube.setYSpin(-20);
    QCOMPARE(cube.YSpin(), 340);
    cube.SpinInc = 6;
    QSignalSpy spun(&cube, &TCubeSpin::spun);
    cube.step();
    QCOMPARE(cube.XSpin(), 1);
    QCOMPARE(cube.YSpin(), 340); // Y does not spin by default
    QCOMPARE(cube.ZSpin(), 6);
    QCOMPARE(spun.count(), 1);

    QCOMPARE(TCubeSpin::faceBrightness(0, 10), 255);
    QCOMPARE(TCubeSpin::faceBrightness(20, 10), 127);
    QCOMPARE(TCubeSpin::faceBrightness(50, 10), 0);

    // Unturned, the front corners lie at depth -s; the first of them hides.
    cube.setXSpin(0);
    cube.setZSpin(0);
    cube.setYSpin(0);
    const auto corners = cube.rotatedCorners();
    QCOMPARE(corners[6].x, 10);
    QCOMPARE(corners[6].z, 10);
    QCOMPARE(TCubeSpin::hiddenCorner(corners), 0);

    // Shaded blue faces on black.
    cube.setXSpin(20);
    cube.setZSpin(20);
    cube.setOptions(TCubeSpin::cdoErase | TCubeSpin::cdoFaces | TCubeSpin::cdoShade | TCubeSpin::cdoColor);
    const QImage picture = cube.render();
    const QColor centre = picture.pixelColor(20, 20);
    QVERIFY(centre.blue() > 0 && centre.blue() >= centre.red() && centre.red() >= centre.green());
    QCOMPARE(picture.pixelColor(0, 0), QColor(Qt::black));
    // Edges only: black lines on the control colour.
    cube.Color = Qt::white;
    cube.setOptions(TCubeSpin::cdoErase);
    const QImage edges = cube.render();
    int dark = 0;
    for (int y = 0; y < edges.height(); ++y)
        for (int x = 0; x < edges.width(); ++x)
            dark += edges.pixelColor(x, y) == QColor(Qt::black);
    QVERIFY(dark > 20);
}

void TestfrmInfoBox::mainWindowOpensItModally()
{
    TfrmZV_Main::Options options;
    options.databaseChecks = false;
    TfrmZV_Main main(options);
    bool seen = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<TfrmInfoBox *>(QApplication::activeModalWidget())) {
            poll.stop();
            seen = true;
            box->btnOK->click();
        }
    });
    poll.start(10);
    main.HelpAboutItem->trigger();
    QVERIFY(seen);
}

void TestfrmInfoBox::screenshot()
{
    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (shots.isEmpty())
        QSKIP("TESSARON_SCREENSHOTS not set");
    TfrmInfoBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::qWait(400);
    box.grab().save(shots + QStringLiteral("/info-box.png"));
    box.CubeSpin2->setContinuous(false);
    box.CubeSpin2->setXSpin(20);
    box.CubeSpin2->setZSpin(20);
    box.CubeSpin2->render().scaled(164, 164).save(shots + QStringLiteral("/info-box-cube.png"));
}

TESSARON_TEST(TestfrmInfoBox)
#include "TestfrmInfoBox.moc"
