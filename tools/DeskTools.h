// Entry points of the desk tools for the main window's commands, and the
// small window helper they share.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tools {

// Desktop calculators tried, in this order, when the built-in one is not
// wanted.
QStringList desktopCalculators();

// The calculator command. With `builtIn` the calculator window opens modally
// over `parent`. Otherwise the first desktop calculator found on PATH starts
// detached and the call returns at once; when none is installed or none
// starts, the built-in window opens instead. A failed start is not reported.
void openCalculator(QWidget *parent, bool builtIn);

// The calendar command: opens the month calendar modally over `parent`;
// `flatButtons` is the setting for the flat button look.
void openCalendar(QWidget *parent, bool flatButtons = true);

// Moves a top-level window that is not yet shown to the middle of its screen.
void centreOnScreen(QWidget *window);

} // namespace tools
