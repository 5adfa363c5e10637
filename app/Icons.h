// The pictures of the tool bar, the menus and the windows.
//
// Each picture has a name of our own (the base name of a file in app/icons).
// Where the desktop's icon theme has a fitting icon, that one is used, so
// Tessaron looks like the rest of the desktop; otherwise our own SVG is.
#pragma once

#include <QIcon>
#include <QStringList>

namespace appicons {

// The picture called `name`: the theme's fitting icon, else ours. A name
// that is not in our set gives a null icon.
QIcon icon(const QString &name);

// Only our own picture, never the theme's.
QIcon ownIcon(const QString &name);

// The theme icon name used for `name`, empty when only ours fits.
QString themeNameOf(const QString &name);

// Every name of our set.
QStringList names();

// The program's own icon (the desktop entry's).
QIcon programIcon();

} // namespace appicons
