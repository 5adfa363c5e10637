// Finding the user's graphical text editor.
#include "platform/TextEditor.h"

#include "platform/Process.h"

#include <QFileInfo>
#include <QProcess>

namespace platform {

namespace {

struct KnownEditor {
    const char *name;
    const char *waitOption; // keeps the editor in the foreground; empty: it does anyway
};

// Desktop editors, by program name.
constexpr KnownEditor kEditors[] = {
    {"gedit", "--wait"},          {"gnome-text-editor", "--standalone"}, {"kate", "--block"},
    {"kwrite", ""},               {"mousepad", "--disable-server"},      {"leafpad", ""},
    {"featherpad", "--standalone"},
    {"geany", "--new-instance"},  {"gvim", "--nofork"},                  {"code", "--wait"},
    {"subl", "--wait"},           {"xedit", ""},
};

QStringList commandOf(const QString &setting)
{
    QStringList parts = QProcess::splitCommand(setting.trimmed());
    if (parts.isEmpty())
        return {};
    const QString name = QFileInfo(parts.first()).fileName();
    for (const KnownEditor &known : kEditors) {
        if (name != QLatin1String(known.name))
            continue;
        const QString program = Process::findProgram({parts.first()});
        if (program.isEmpty())
            return {};
        parts.first() = program;
        const QString wait = QString::fromLatin1(known.waitOption);
        if (!wait.isEmpty() && !parts.contains(wait))
            parts.insert(1, wait);
        return parts;
    }
    return {};
}

} // namespace

QStringList TextEditor::commandFor(const QString &visual, const QString &editor)
{
    const QStringList command = commandOf(visual);
    return command.isEmpty() ? commandOf(editor) : command;
}

QStringList TextEditor::userCommand()
{
    return commandFor(qEnvironmentVariable("VISUAL"), qEnvironmentVariable("EDITOR"));
}

} // namespace platform
