#include "app/TfrmInfoBox.h"

#include "app/Config.h"
#include "app/TCubeSpin.h"
#include "app/TStarField.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kBase = 2200;
constexpr int kTimerMilliseconds = 30;

QLabel *label(QWidget *parent, const char *name, int tag, const char *caption)
{
    auto *l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    tk::setTag(l, tag);
    return l;
}

qulonglong kb(uint64_t bytes)
{
    return static_cast<qulonglong>(bytes / 1024);
}

} // namespace

TfrmInfoBox::TfrmInfoBox(QWidget *parent) : TfrmInfoBox(platform::SystemInfo::facts(), parent) {}

TfrmInfoBox::TfrmInfoBox(const platform::SystemFacts &facts, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmInfoBox"));
    setWindowTitle(QStringLiteral("Programm - Info"));
    tk::setTag(this, 1);
    setModal(true);

    StarField1 = new TStarField(this);
    StarField1->setObjectName(QStringLiteral("StarField1"));
    StarField1->setFixedSize(139, 56);
    StarField1->setNumStars(250);
    StarField1->setZoomFactor(20);
    CubeSpin2 = new TCubeSpin(StarField1);
    CubeSpin2->setObjectName(QStringLiteral("CubeSpin2"));
    CubeSpin2->setGeometry(49, 8, 41, 41);
    CubeSpin2->setXSpin(20);
    CubeSpin2->setYSpin(0);
    CubeSpin2->setZSpin(20);
    CubeSpin2->setOptions(TCubeSpin::cdoErase | TCubeSpin::cdoHide | TCubeSpin::cdoFaces | TCubeSpin::cdoShade
                          | TCubeSpin::cdoColor);
    CubeSpin2->SpinInc = 6;
    CubeSpin2->YSpinOn = false;
    CubeSpin2->Color = Qt::black;
    ProductName = label(this, "ProductName", 0, "Tessaron");
    QFont big = ProductName->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    big.setItalic(true);
    ProductName->setFont(big);
    ProductName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Label7 = label(this, "Label7", 10, "Windows-Version:");
    WinVersion = label(this, "WinVersion", 0, "WinVersion");
    Label8 = label(this, "Label8", 11, "Plattform:");
    DosVersion = label(this, "DosVersion", 0, "DosVersion");
    Label10 = label(this, "Label10", 12, "CPU:");
    CPU = label(this, "CPU", 0, "CPU");
    Label9 = label(this, "Label9", 13, "Prozessor-Level:");
    CPULevel = label(this, "CPULevel", 0, "CPULevel");
    Label12 = label(this, "Label12", 14, "Freie Resourcen:");
    FreeResources = label(this, "FreeResources", 0, "FreeResources");
    Label6 = label(this, "Label6", 15, "Swap-File / Win:");
    lblSwapFile = label(this, "lblSwapFile", 0, "lblSwapFile");
    Label15 = label(this, "Label15", 16, "Virtueller Speicher:");
    lblVirtual = label(this, "lblVirtual", 0, "lblVirtual");
    Label13 = label(this, "Label13", 17, "Freier Platz / Disk:");
    FreeDisk = label(this, "FreeDisk", 0, "FreeDisk");
    FreeDisk->setWordWrap(true);
    btnOK = new QToolButton(this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setText(QStringLiteral("&Gut so !"));
    btnOK->setToolButtonStyle(Qt::ToolButtonTextOnly);
    btnOK->setFixedSize(96, 28);
    tk::setTag(btnOK, 2);

    auto *top = new QHBoxLayout;
    top->addWidget(StarField1, 0, Qt::AlignTop);
    top->addWidget(ProductName, 1);
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(8);
    const std::pair<QLabel *, QLabel *> rows[] = {{Label7, WinVersion},   {Label8, DosVersion},
                                                 {Label10, CPU},         {Label9, CPULevel},
                                                 {Label12, FreeResources}, {Label6, lblSwapFile},
                                                 {Label15, lblVirtual},  {Label13, FreeDisk}};
    int row = 0;
    for (const auto &[caption, value] : rows) {
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row++, 1);
    }
    grid->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addWidget(btnOK, 0, Qt::AlignHCenter);

    tk::translateWindow(this, kBase);

    showFacts(facts);
    CubeSpin2->setContinuous(true);
    btnOK->setAutoRaise(config().Style97);
    connect(btnOK, &QToolButton::clicked, this, &QDialog::accept);
    Timer1.setInterval(kTimerMilliseconds);
    connect(&Timer1, &QTimer::timeout, this, &TfrmInfoBox::Timer1Timer);
    Timer1.start();

    setFixedSize(342, 419);
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

QString TfrmInfoBox::sizeLine(uint64_t total, uint64_t free)
{
    return QStringLiteral("Total: %1 KB  Free: %2 KB").arg(kb(total)).arg(kb(free));
}

QString TfrmInfoBox::memoryLine(uint64_t total, uint64_t available)
{
    const qulonglong share = total == 0 ? 0 : static_cast<qulonglong>(available * 100 / total);
    return sizeLine(total, available) + QStringLiteral(" (%1%)").arg(share);
}

QString TfrmInfoBox::diskLine(const QList<platform::SystemFacts::Disk> &disks)
{
    QString text;
    for (const platform::SystemFacts::Disk &d : disks)
        text += QStringLiteral("%1: %2 MB  ").arg(d.mountPoint).arg(static_cast<qulonglong>(d.freeBytes / 1024 / 1024));
    return text;
}

void TfrmInfoBox::showFacts(const platform::SystemFacts &f)
{
    if (f.haveKernel)
        WinVersion->setText(QStringLiteral("%1.%2, Build %3").arg(f.kernelMajor).arg(f.kernelMinor).arg(f.kernelBuild));
    if (!f.platformName.isEmpty())
        DosVersion->setText(f.platformName);
    if (f.processorCount > 0 && !f.processorModel.isEmpty())
        CPU->setText(QStringLiteral("%1 %2").arg(f.processorCount).arg(f.processorModel));
    if (!f.processorLevel.isEmpty())
        CPULevel->setText(f.processorLevel);
    if (f.memoryTotal && f.memoryAvailable)
        FreeResources->setText(memoryLine(*f.memoryTotal, *f.memoryAvailable));
    if (f.swapTotal && f.swapFree)
        lblSwapFile->setText(sizeLine(*f.swapTotal, *f.swapFree));
    if (f.virtualTotal && f.virtualAvailable)
        lblVirtual->setText(sizeLine(*f.virtualTotal, *f.virtualAvailable));
    FreeDisk->setText(diskLine(f.disks));
}

void TfrmInfoBox::Timer1Timer()
{
    StarField1->moveStars(0, 5, -10);
    StarField1->rotateStars(0, 0, 1);
    StarField1->update();
}
