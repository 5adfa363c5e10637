#include "app/ProgramUpdate.h"

#include "app/Config.h"
#include "app/Language.h"
#include "app/Version.h"
#include "platform/FormatSettings.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "xbase/text/Dates.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <stdexcept>

namespace update {

namespace {

constexpr int kTextBeforeUpdate = 10020;
constexpr int kTextConfirm = 10021;
constexpr int kTextNotNewer = 10022;
constexpr int kTextNoArchive = 10023;
constexpr int kTextTerminalFailed = 10029;

const char kCancelledText[] = "Update abgebrochen.\nBitte vergessen Sie keinesfalls, es demnächst\n"
                              "durchzuführen, da sonst Fehlfunktionen auftreten könnten !";
const char kCloseWindowsText[] = "Please close all open windows and forms before updating.";
const char kNewProgramText[] =
    "Im Zuge dieses Updates wird auch das Hauptprogramm\naktualisiert, wofür nach Ihrem Mausclick auf \"OK\" ein\n"
    "eigenes DOS-Fenster geöffnet wird.\nSie müssen dann IN DIESES FENSTER KLICKEN\n"
    "(damit es aktiv wird - die Titelleiste muß BLAU sein)\nund führen die Anweisungen in diesem Fenster bitte erst "
    "dann aus,\nwenn der Daten-Manager beendet ist !";
const char kKeyWait[] = "stty -icanon -echo 2>/dev/null; dd bs=1 count=1 >/dev/null 2>&1; stty icanon echo 2>/dev/null";
// unzip's exit codes up to 1 mean "done" (1: done with warnings).
constexpr int kUnzipWorstSuccess = 1;

QString quoted(const QString &path)
{
    QString q = path;
    q.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

// The entry of `dir` named `name` in any letter case; empty when none.
QString findNoCase(const QString &dir, const QString &name, QDir::Filters kind)
{
    const QStringList entries = QDir(dir).entryList(kind | QDir::Hidden);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return QDir(dir).filePath(entry);
    }
    return QString();
}

QString shortDate(const QDate &date)
{
    const std::string pattern = platform::FormatSettings::current().shortDateFormat.toStdString();
    return QString::fromStdString(xb::formatDate(xb::Date{date.year(), date.month(), date.day()}, pattern));
}

QDate parseShortDate(const QString &text)
{
    const std::string pattern = platform::FormatSettings::current().shortDateFormat.toStdString();
    const auto date = xb::parseDate(text.toStdString(), pattern);
    if (!date)
        throw std::runtime_error(QStringLiteral("'%1' is not a valid date").arg(text).toStdString());
    return QDate(date->year, date->month, date->day);
}

int startInTerminal(const QString &script)
{
    struct Terminal {
        const char *program;
        const char *option;
    };
    static const Terminal kTerminals[] = {{"x-terminal-emulator", "-e"}, {"gnome-terminal", "--"},
                                          {"konsole", "-e"},             {"xfce4-terminal", "-x"},
                                          {"xterm", "-e"}};
    for (const Terminal &t : kTerminals) {
        const QString program = platform::Process::findProgram({QString::fromLatin1(t.program)});
        if (!program.isEmpty())
            return platform::Process::startDetached(
                program, {QString::fromLatin1(t.option), QStringLiteral("sh"), script});
    }
    return ENOENT;
}

} // namespace

bool programIsRecent(const QDateTime &stamp, const QDate &today)
{
    return stamp.date().daysTo(today) <= kMaxProgramAgeDays;
}

QString newProgramFile(const QString &programDir, const QString &programFile)
{
    const QString folder = findNoCase(programDir, QStringLiteral("UPDATE"), QDir::Dirs | QDir::NoDotAndDotDot);
    return folder.isEmpty() ? QString() : findNoCase(folder, programFile, QDir::Files);
}

QStringList scriptLines(const QString &programPath, const QString &newProgram)
{
    const QString program = quoted(programPath);
    const QString staged = quoted(programPath + QStringLiteral(".neu"));
    const QString fresh = quoted(newProgram);
    return {
        QStringLiteral("#!/bin/sh"),
        QStringLiteral("echo \"Wurde Tessaron bereits beendet ?\""),
        QStringLiteral("echo"),
        QStringLiteral("echo \"Wenn JA, dann:\""),
        QStringLiteral("echo \"         1) klicken Sie mit der Maus auf dieses Fenster\""),
        QStringLiteral("echo \"            DIE TITELLEISTE VON DIESEM FENSTER MUSS BLAU SEIN !\""),
        QStringLiteral("echo \"         2) druecken Sie danach eine beliebige Taste.\""),
        QStringLiteral("echo \"Wenn NEIN, dann:\""),
        QStringLiteral("echo \"         1) beenden Sie den Daten-Manager\""),
        QStringLiteral("echo \"         2) klicken Sie dann in dieses Fenster\""),
        QStringLiteral("echo \"         3) druecken Sie erst DANN eine Taste\""),
        QStringLiteral("echo"),
        QStringLiteral("echo \"Ich warte nun auf Ihre Eingabe...\""),
        QString::fromLatin1(kKeyWait),
        // The new program is copied beside the old one and then renamed over
        // it, so an interrupted copy leaves the old program in place.
        QStringLiteral("cp %1 %2 && chmod 755 %2").arg(fresh, staged),
        QStringLiteral("mv -f %1 %2").arg(staged, program),
        QStringLiteral("echo"),
        QStringLiteral("echo \"Das Hauptprogramm wurde aktualisiert !\""),
        QStringLiteral("echo \"Sie koennen es nun neu starten, um den Rest der\""),
        QStringLiteral("echo \"zu erneuernden Dateien zu aktualisieren.\""),
        QStringLiteral("echo"),
        QStringLiteral("echo \"Hinweis: Alle Fehlermeldungen, die NACH dem Druecken\""),
        QStringLiteral("echo \"der Taste auftreten sollten, koennen Sie ignorieren!\""),
        QStringLiteral("printf 'Weiter mit einer beliebigen Taste . . . '; %1; echo").arg(QString::fromLatin1(kKeyWait)),
        // Only a new program that is now in place is removed.
        QStringLiteral("cmp -s %1 %2 && rm -f %1").arg(fresh, program),
        QStringLiteral("rmdir %1 2>/dev/null").arg(quoted(QFileInfo(newProgram).absolutePath())),
        QStringLiteral("rm -f \"$0\""),
    };
}

bool writeScript(const QString &path, const QStringList &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toLocal8Bit();
    if (file.write(text) != text.size())
        return false;
    file.close();
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                               | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                               | QFileDevice::ExeOther);
}

bool RunProgramUpdate(QWidget *parent, Config &cfg, const Hooks &hooks)
{
    using tk::MessageBox;
    MessageBox::warning(parent, LangText(kTextBeforeUpdate));

    const QString archive = findNoCase(cfg.ProgDir, QString::fromLatin1(kArchiveName), QDir::Files);
    if (archive.isEmpty()) {
        MessageBox::information(parent, LangText(kTextNoArchive), MessageBox::Buttons::Cancel);
        return false;
    }
    const QString date = shortDate(QFileInfo(archive).lastModified().date()).left(ConfigWidth::kLastUpdateArc);
    if (parseShortDate(date) <= parseShortDate(cfg.LastUpdateArc)) {
        MessageBox::information(parent, tk::formatText(LangText(kTextNotNewer), {date}), MessageBox::Buttons::Cancel);
        return false;
    }
    if (MessageBox::confirmation(parent, tk::formatText(LangText(kTextConfirm), {date}), MessageBox::Buttons::OkCancel)
        != MessageBox::Answer::Ok) {
        MessageBox::warning(parent, QString::fromUtf8(kCancelledText));
        return false;
    }
    if (hooks.closeAllChildren && !hooks.closeAllChildren()) {
        MessageBox::information(parent, QString::fromLatin1(kCloseWindowsText));
        return false;
    }

    int exitCode = -1;
    int result = platform::Process::runAndWait(QStringLiteral("unzip"),
                                               {QStringLiteral("-o"), QStringLiteral("-q"), archive, QStringLiteral("-d"), cfg.ProgDir},
                                               &exitCode) & 0xFFFF;
    // Unlike the start failure, a broken archive or a full disk shows in
    // unzip's exit code; such an update is not recorded.
    if (result == 0 && (exitCode < 0 || exitCode > kUnzipWorstSuccess))
        result = exitCode < 0 ? platform::Process::kStartFailedUnknown & 0xFFFF : exitCode;

    const QString programPath = QApplication::applicationFilePath();
    const QString fresh = newProgramFile(cfg.ProgDir, QFileInfo(programPath).fileName());
    const bool accepted = fresh.isEmpty() || programIsRecent(QFileInfo(fresh).lastModified(), QDate::currentDate());
    if (result != 0 || !accepted) {
        MessageBox::warning(parent, QStringLiteral("Error #%1 while extracting files.\nPlease correct this problem "
                                                   "and don't forget\nto apply the update, otherwise the result "
                                                   "might be additional problems!")
                                        .arg(result));
        return false;
    }

    platform::Profile ini = cfg.profile();
    ini.writeString("Setup", "LastUpdateArc", date.toStdString());
    ini.writeString("Setup", "Version", (QStringLiteral("Version ") + QLatin1String(kProgramVersion)).left(12).toStdString());
    cfg.LastUpdateArc = date;

    if (!fresh.isEmpty()) {
        MessageBox::confirmation(parent, QString::fromUtf8(kNewProgramText), MessageBox::Buttons::Ok);
        const QString script = QDir(cfg.ProgDir).filePath(QString::fromLatin1(kScriptName));
        const int started = writeScript(script, scriptLines(programPath, fresh))
            ? (hooks.startScript ? hooks.startScript(script) : startInTerminal(script))
            : EACCES;
        if (started != 0)
            MessageBox::warning(parent, tk::formatText(LangText(kTextTerminalFailed), {started, script}));
    }
    return true;
}

} // namespace update
