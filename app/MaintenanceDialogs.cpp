#include "app/MaintenanceDialogs.h"

#include "app/Language.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

using Kind = tk::MessageBox::Kind;
using Buttons = tk::MessageBox::Buttons;

struct Box {
    int number;
    Kind kind;
    Buttons buttons;
    const char *german; // design text, used when the language file has none
};

Box boxOf(MaintenanceMessage message)
{
    using namespace MaintenanceText;
    switch (message) {
    case MaintenanceMessage::CreateFailed:
        return {kCreateFailed, Kind::Error, Buttons::Ok, "Erstellung von %s fehlgeschlagen !"};
    case MaintenanceMessage::AccessRetry:
        return {kAccessRetry, Kind::Error, Buttons::OkCancel, "Fehler beim Zugriff auf %s - nochmals versuchen ?"};
    case MaintenanceMessage::AccessFailed:
        return {kAccessFailed, Kind::Error, Buttons::Ok, "Datenbank-Zugriffsfehler bei %s !"};
    case MaintenanceMessage::ConvertFailed:
        return {kConvertFailed, Kind::Error, Buttons::Ok,
                "Fehler beim Konvertieren von %s.DBF !\n(%s)\nDie bisherige Tabelle bleibt unver\xE4ndert."};
    case MaintenanceMessage::TableInUse:
        return {kTableInUse, Kind::Warning, Buttons::Ok,
                "%s.DBF wird von einem anderen Programm oder Computer benutzt und wurde nicht konvertiert."};
    case MaintenanceMessage::UpdateQuestion:
        return {kUpdateQuestion, Kind::Information, Buttons::OkCancel,
                "Einige Datenbanken sind nicht mehr aktuell:\nAuto-Update wird durchgef\xFChrt !"};
    case MaintenanceMessage::UpdateFinished:
        return {kUpdateFinished, Kind::Information, Buttons::Ok,
                "Auto-Update beendet.\nSollten Probleme auftreten, wenden Sie sich bitte an den Support.\n\n"
                "Vergessen Sie nicht,\neine VOLLSICHERUNG durchzuf\xFChren !!"};
    case MaintenanceMessage::UpdateDateInvalid:
        return {kUpdateDateInvalid, Kind::Warning, Buttons::Ok,
                "Das Datum \"%s\" in %s ist ung\xFCltig.\nDas Auto-Update wird \xFC" "bersprungen."};
    case MaintenanceMessage::UpdateFileFailed:
        return {kUpdateFileFailed, Kind::Error, Buttons::Ok, "Auto-Update: %s"};
    case MaintenanceMessage::UpdateIncomplete:
        return {kUpdateIncomplete, Kind::Warning, Buttons::Ok,
                "Das Auto-Update ist nicht vollst\xE4ndig und wird beim n\xE4" "chsten Start wiederholt."};
    case MaintenanceMessage::ValuesBlanked:
        return {kValuesBlanked, Kind::Information, Buttons::Ok,
                "Beim Konvertieren von %s.DBF passten %s Werte nicht in ihr neues Feld; diese Felder sind jetzt leer."};
    case MaintenanceMessage::IndexDisagrees:
        return {kIndexDisagrees, Kind::Warning, Buttons::YesNo,
                "Der Index von %s passt nicht zur Tabelle:\n%s\nSoll er jetzt neu aufgebaut werden?"};
    }
    return {0, Kind::Error, Buttons::Ok, ""};
}

QString textOr(int number, const char *german)
{
    const QString text = LangText(number);
    return text.isEmpty() ? QString::fromLatin1(german) : text;
}

} // namespace

MaintenanceDialogs::MaintenanceDialogs(QWidget *parent) : m_parent(parent) {}

MaintenanceDialogs::~MaintenanceDialogs()
{
    while (m_busy > 0)
        setBusy(false);
}

QString MaintenanceDialogs::text(MaintenanceMessage message, const QStringList &args) const
{
    const Box box = boxOf(message);
    QVariantList values;
    for (const QString &arg : args)
        values << arg;
    return tk::formatText(textOr(box.number, box.german), values);
}

bool MaintenanceDialogs::show(MaintenanceMessage message, const QStringList &args)
{
    const Box box = boxOf(message);
    const auto answer = tk::MessageBox::show(m_parent, box.kind, text(message, args), box.buttons);
    return (box.buttons == Buttons::OkCancel && answer == tk::MessageBox::Answer::Ok)
        || (box.buttons == Buttons::YesNo && answer == tk::MessageBox::Answer::Yes);
}

void MaintenanceDialogs::setBusy(bool busy)
{
    if (busy) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        ++m_busy;
    } else if (m_busy > 0) {
        QGuiApplication::restoreOverrideCursor();
        --m_busy;
    }
}

QString MaintenanceDialogs::activityText(MaintenanceActivity activity)
{
    return activity == MaintenanceActivity::Creating
        ? textOr(MaintenanceText::kCreating, "Erstellung der Datenbanken:")
        : textOr(MaintenanceText::kIndexing, "Indexierung der Datenbanken:");
}
