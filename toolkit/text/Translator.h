// Translation of a window from the language file.
//
// Each window calls translateWindow once, after all its controls exist and
// before its own start-up code runs. Controls take base + Tag as caption and
// base + Tag + 5000 as hint ("short|long": the part before the bar is the
// tool tip, the rest the status tip); a Tag of 4000 or more names its text
// number directly and sets no hint.
#pragma once

class QObject;
class QWidget;

namespace tk {

// Translates `window` and every child object with a non-zero Tag, using the
// current language. The window's caption is text base + the window's own Tag
// when that Tag is non-zero and the text exists.
void translateWindow(QWidget *window, int base);

// Translates every descendant of `root` with a non-zero Tag by the same
// rules, for object trees that are not windows (a report and its bands).
// `root` itself keeps its texts.
void translateObjects(QObject *root, int base);

} // namespace tk
