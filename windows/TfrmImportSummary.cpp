// The import summary.
#include "windows/TfrmImportSummary.h"

#include "app/Language.h"
#include "toolkit/text/Language.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTextCaption = 10519;
constexpr int kTextCount = 10520;
constexpr int kTextCancelled = 10521;
constexpr int kTextLine = 10522;
constexpr int kTextRefused = 10523;
constexpr int kTextSyntax = 10525; // the problem texts follow in the order of exchange::Problem
constexpr int kTextOk = 10537;

} // namespace

QString TfrmImportSummary::textOf(const exchange::Finding &f)
{
    using exchange::Problem;
    static const char *const fallbacks[] = {
        "nicht lesbar: %s",
        "Feld %s: das Zeichen %s ist in Windows-1252 nicht darstellbar",
        "Feld %s: \"%s\" ist kein gültiges Datum",
        "Feld %s: \"%s\" ist keine gültige Zahl oder zu lang",
        "mehr Zellen als die Kopfzeile Spalten hat (%s)",
        "Spalte \"%s\" gehört zu keinem Feld und wird übergangen",
        "Feld %s: auf %s Zeichen gekürzt",
        "%s \"%s\" nicht übernommen (kein Feld frei)",
        "Serie ohne Ende: Termine bis %s angelegt",
        "%s Termine der Serie nicht angelegt: an diesen Tagen steht schon ein Termin",
        "konnte nicht gespeichert werden: %s",
    };
    const int index = static_cast<int>(f.problem);
    const QString pattern = LangTextOr(kTextSyntax + index, fallbacks[index]);
    QString detail = f.detail;
    if (f.problem == Problem::OpenEnded)
        detail = QLocale().toString(QDate::fromString(f.detail, QStringLiteral("yyyyMMdd")), QLocale::ShortFormat);
    switch (f.problem) {
    case Problem::Syntax:
    case Problem::OpenEnded:
    case Problem::DatesTaken:
    case Problem::WriteFailed:
    case Problem::TooManyCells:
        return tk::formatText(pattern, {detail});
    case Problem::UnknownColumn:
        return tk::formatText(pattern, {f.field});
    default:
        return tk::formatText(pattern, {f.field, detail});
    }
}

QStringList TfrmImportSummary::linesOf(const exchange::ImportResult &result)
{
    QStringList lines;
    const QString line = LangTextOr(kTextLine, "Zeile %d");
    const QString refused = LangTextOr(kTextRefused, "abgelehnt");
    for (const exchange::Finding &f : result.findings) {
        QString entry = tk::formatText(line, {f.line}) + QStringLiteral(": ") + textOf(f);
        if (f.refused)
            entry += QStringLiteral(" \u2013 ") + refused;
        lines << entry;
    }
    return lines;
}

TfrmImportSummary::TfrmImportSummary(QWidget *parent, const QString &fileName, const exchange::ImportResult &result)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TfrmImportSummary"));
    setWindowTitle(LangTextOr(kTextCaption, "Import-Ergebnis") + QStringLiteral(" \u2013 ") + QFileInfo(fileName).fileName());
    auto *layout = new QVBoxLayout(this);
    QString count = tk::formatText(LangTextOr(kTextCount, "%d Datensätze hinzugefügt, %d Einträge abgelehnt."),
                                   {result.added, result.refused});
    if (result.cancelled)
        count += QLatin1Char('\n') + LangTextOr(kTextCancelled, "Der Import wurde abgebrochen.");
    lblCount = new QLabel(count, this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    lblCount->setWordWrap(true);
    layout->addWidget(lblCount);
    meFindings = new QPlainTextEdit(this);
    meFindings->setObjectName(QStringLiteral("meFindings"));
    meFindings->setReadOnly(true);
    meFindings->setLineWrapMode(QPlainTextEdit::NoWrap);
    meFindings->setPlainText(linesOf(result).join(QLatin1Char('\n')));
    meFindings->setVisible(!result.findings.empty());
    layout->addWidget(meFindings, 1);
    auto *buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(LangTextOr(kTextOk, "&OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(result.findings.empty() ? QSize(420, 120) : QSize(640, 360));
}
