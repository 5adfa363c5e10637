// The user's text editor for files the program lets the user edit by hand.
//
// Only a graphical editor will do: the program has no terminal to lend to
// vi or nano. $VISUAL, then $EDITOR, counts when its program is one of the
// desktop editors known here and can be found; the options that make the
// editor stay in the foreground until its window closes are added, so that
// waiting for the process means waiting for the user. Without one the
// caller offers an editor of its own.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

class TextEditor {
public:
    // The program and its arguments (without the file) of the first of
    // `visual` and `editor` that names a known graphical editor that can be
    // found; empty when neither does.
    static QStringList commandFor(const QString &visual, const QString &editor);
    // commandFor over the environment's VISUAL and EDITOR.
    static QStringList userCommand();
};

} // namespace platform
