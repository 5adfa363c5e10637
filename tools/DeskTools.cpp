// Entry points of the desk tools for the main window's commands.
#include "tools/DeskTools.h"

#include "platform/Process.h"
#include "tools/TTheCalculator.h"
#include "tools/TfrmCalendar.h"

#include <QScreen>
#include <QWidget>

namespace tools {

QStringList desktopCalculators()
{
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
            QStringLiteral("mate-calc"), QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")};
}

void openCalculator(QWidget *parent, bool builtIn)
{
    if (!builtIn) {
        const QString program = platform::Process::findProgram(desktopCalculators());
        if (!program.isEmpty() && platform::Process::startDetached(program) == 0)
            return;
    }
    TTheCalculator calculator(parent);
    calculator.exec();
}

void openCalendar(QWidget *parent, bool flatButtons)
{
    TfrmCalendar calendar(parent, flatButtons);
    calendar.exec();
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    QRect frame(QPoint(0, 0), window->size());
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace tools
