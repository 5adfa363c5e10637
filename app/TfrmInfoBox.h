// The information box: the product name over a star field with a spinning
// cube, and facts about the computer (kernel, platform, processors, memory,
// swap, virtual memory, free space of the file systems).
#pragma once

#include "platform/SystemInfo.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QToolButton;
class TCubeSpin;
class TStarField;

class TfrmInfoBox : public QDialog {
    Q_OBJECT

public:
    explicit TfrmInfoBox(QWidget *parent = nullptr);
    // The same with given facts (tests).
    TfrmInfoBox(const platform::SystemFacts &facts, QWidget *parent);

    // "Total: %d KB  Free: %d KB" of two sizes in bytes.
    static QString sizeLine(uint64_t total, uint64_t free);
    // The same followed by " (" + the free share in whole percent + "%)".
    static QString memoryLine(uint64_t total, uint64_t available);
    // "%s: %d MB  " per file system.
    static QString diskLine(const QList<platform::SystemFacts::Disk> &disks);

    TStarField *StarField1 = nullptr;
    TCubeSpin *CubeSpin2 = nullptr;
    QLabel *ProductName = nullptr;
    QLabel *Label7 = nullptr, *WinVersion = nullptr, *Label8 = nullptr, *DosVersion = nullptr, *Label10 = nullptr,
           *CPU = nullptr, *Label9 = nullptr, *CPULevel = nullptr, *Label12 = nullptr, *FreeResources = nullptr,
           *Label6 = nullptr, *lblSwapFile = nullptr, *Label15 = nullptr, *lblVirtual = nullptr,
           *Label13 = nullptr, *FreeDisk = nullptr;
    QToolButton *btnOK = nullptr;
    QTimer Timer1;

private slots:
    void Timer1Timer();

private:
    void showFacts(const platform::SystemFacts &facts);
};
