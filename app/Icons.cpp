#include "app/Icons.h"

#include <QFile>

#include <map>

namespace appicons {

namespace {

// Our names and the freedesktop names that fit them. Names without a theme
// counterpart (the window arrangement, the reference tables, ...) always
// use ours.
const std::map<QString, QString> &table()
{
    static const std::map<QString, QString> names = {
        {QStringLiteral("address-book"), QStringLiteral("x-office-address-book")},
        {QStringLiteral("appointment"), QStringLiteral("appointment-new")},
        {QStringLiteral("music"), QStringLiteral("audio-x-generic")},
        {QStringLiteral("video"), QStringLiteral("video-x-generic")},
        {QStringLiteral("books"), QString()},
        {QStringLiteral("diskette"), QStringLiteral("media-floppy")},
        {QStringLiteral("print"), QStringLiteral("document-print")},
        {QStringLiteral("page-setup"), QStringLiteral("document-page-setup")},
        {QStringLiteral("calendar"), QStringLiteral("x-office-calendar")},
        {QStringLiteral("calculator"), QStringLiteral("accessories-calculator")},
        {QStringLiteral("file-manager"), QStringLiteral("system-file-manager")},
        {QStringLiteral("reference-tables"), QString()},
        {QStringLiteral("options"), QStringLiteral("preferences-system")},
        {QStringLiteral("info"), QStringLiteral("help-about")},
        {QStringLiteral("help"), QStringLiteral("help-contents")},
        {QStringLiteral("help-search"), QStringLiteral("edit-find")},
        {QStringLiteral("help-howto"), QString()},
        {QStringLiteral("exit"), QStringLiteral("application-exit")},
        {QStringLiteral("undo"), QStringLiteral("edit-undo")},
        {QStringLiteral("cut"), QStringLiteral("edit-cut")},
        {QStringLiteral("copy"), QStringLiteral("edit-copy")},
        {QStringLiteral("paste"), QStringLiteral("edit-paste")},
        {QStringLiteral("window-tile"), QString()},
        {QStringLiteral("window-cascade"), QString()},
        {QStringLiteral("window-arrange"), QString()},
        {QStringLiteral("window-minimize"), QString()},
        {QStringLiteral("window-maximize"), QString()},
        {QStringLiteral("window-close-all"), QString()},
        {QStringLiteral("window-close"), QStringLiteral("window-close")},
        {QStringLiteral("reindex"), QString()},
        {QStringLiteral("update"), QStringLiteral("system-software-update")},
    };
    return names;
}

QString ownPath(const QString &name)
{
    // The information box shows the program itself.
    if (name == QLatin1String("info"))
        return QStringLiteral(":/icons/tessaron.svg");
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

} // namespace

QIcon ownIcon(const QString &name)
{
    if (table().count(name) == 0 || !QFile::exists(ownPath(name)))
        return QIcon();
    return QIcon(ownPath(name));
}

QString themeNameOf(const QString &name)
{
    const auto it = table().find(name);
    return it == table().end() ? QString() : it->second;
}

QIcon icon(const QString &name)
{
    const QString theme = themeNameOf(name);
    if (!theme.isEmpty() && QIcon::hasThemeIcon(theme))
        return QIcon::fromTheme(theme);
    return ownIcon(name);
}

QStringList names()
{
    QStringList list;
    for (const auto &entry : table())
        list << entry.first;
    return list;
}

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/icons/tessaron.svg"));
}

} // namespace appicons
