// What an import added and which entries it refused, and why.
#pragma once

#include "storage/exchange/Exchange.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TfrmImportSummary : public QDialog {
    Q_OBJECT

public:
    TfrmImportSummary(QWidget *parent, const QString &fileName, const exchange::ImportResult &result);

    // One line per finding, in the order of the file: "Zeile 12: ...".
    static QStringList linesOf(const exchange::ImportResult &result);
    // The text of one finding without its line number.
    static QString textOf(const exchange::Finding &finding);

    QLabel *lblCount = nullptr;
    QPlainTextEdit *meFindings = nullptr;
    QPushButton *btnOK = nullptr;
};
