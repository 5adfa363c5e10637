// The main window: the frame in which the collection windows live.
#pragma once

#include <QMainWindow>

class TfrmZV_Main : public QMainWindow {
    Q_OBJECT

public:
    explicit TfrmZV_Main(QWidget *parent = nullptr);

signals:
    // Emitted once, when the window is first shown (the splash goes then).
    void firstShown();

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_shown = false;
};
