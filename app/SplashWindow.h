// The splash window shown from start-up until the main window first appears.
#pragma once

#include <QWidget>

class QLabel;

class SplashWindow : public QWidget {
    Q_OBJECT

public:
    // `programDate` is the program file's date, shown as dd.mm.yy.
    explicit SplashWindow(const QDate &programDate);

    // The status line ("Lade.." while loading).
    void setStatus(const QString &text);
    QString status() const;
    QString versionText() const;

    // "Version 1.5d,\nof dd.mm.yy"
    static QString versionTextFor(const QDate &programDate);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_version = nullptr;
    QLabel *m_status = nullptr;
};
