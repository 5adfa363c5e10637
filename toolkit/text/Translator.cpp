// Window translation. Qt fonts carry no character set; the language file's
// character set is honoured when its bytes are decoded (see Language), so
// the font part of the classic rule has nothing left to do here.
#include "toolkit/text/Translator.h"

#include "toolkit/text/Language.h"
#include "toolkit/text/Tag.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMetaProperty>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

namespace tk {

namespace {

constexpr int kDirectNumbers = 4000;
constexpr int kHintOffset = 5000;

void setHint(QWidget *widget, const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    const QString shortHint = bar < 0 ? hint : hint.left(bar);
    const QString longHint = bar < 0 ? hint : hint.mid(bar + 1);
    widget->setToolTip(shortHint);
    widget->setStatusTip(longHint);
}

// The page of a tab widget that `widget` is, if any.
QTabWidget *tabWidgetOfPage(QWidget *widget, int &index)
{
    auto *stack = qobject_cast<QStackedWidget *>(widget->parentWidget());
    if (!stack)
        return nullptr;
    auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget());
    if (!tabs)
        return nullptr;
    index = tabs->indexOf(widget);
    return index >= 0 ? tabs : nullptr;
}

void translateObject(QObject *object, int base)
{
    const int t = tag(object);
    if (t == 0)
        return;
    auto *widget = qobject_cast<QWidget *>(object);
    QString text;
    if (t < kDirectNumbers) {
        text = langText(base + t);
        if (widget)
            setHint(widget, langText(base + t + kHintOffset));
    } else {
        text = langText(t);
    }
    if (text.isEmpty())
        return;

    const QStringList parts = text.split(QLatin1Char('\n'));
    if (auto *button = qobject_cast<QAbstractButton *>(object)) {
        button->setText(text);
    } else if (auto *label = qobject_cast<QLabel *>(object)) {
        label->setText(text);
    } else if (auto *action = qobject_cast<QAction *>(object)) {
        action->setText(text);
    } else if (auto *tabs = qobject_cast<QTabWidget *>(object)) {
        for (int i = 0; i < parts.size() && i < tabs->count(); ++i)
            tabs->setTabText(i, parts[i]);
    } else if (auto *stack = qobject_cast<QStackedWidget *>(object)) {
        for (int i = 0; i < parts.size() && i < stack->count(); ++i)
            stack->widget(i)->setWindowTitle(parts[i]);
    } else if (auto *combo = qobject_cast<QComboBox *>(object)) {
        for (int i = 0; i < parts.size() && i < combo->count(); ++i)
            combo->setItemText(i, parts[i]);
    } else if (auto *group = qobject_cast<QGroupBox *>(object)) {
        group->setTitle(parts.first());
        if (group->property("RadioGroup").toBool()) {
            // A radio group: the caption, then one text per item.
            const QList<QAbstractButton *> items =
                group->findChildren<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
            for (int i = 1; i < parts.size() && i - 1 < items.size(); ++i)
                items[i - 1]->setText(parts[i]);
        }
    } else if (widget) {
        int index = -1;
        if (QTabWidget *tabs = tabWidgetOfPage(widget, index))
            tabs->setTabText(index, text);
    } else {
        // Non-visual parts with a caption (report bands' labels and the like).
        const QMetaObject *meta = object->metaObject();
        const int index = meta->indexOfProperty("text");
        if (index >= 0 && meta->property(index).isWritable())
            object->setProperty("text", text);
    }
}

void translateTree(QObject *parent, int base)
{
    for (QObject *child : parent->children()) {
        translateObject(child, base);
        translateTree(child, base);
    }
}

} // namespace

void translateWindow(QWidget *window, int base)
{
    const int windowTag = tag(window);
    if (windowTag != 0) {
        const QString caption = langText(base + windowTag);
        if (!caption.isEmpty())
            window->setWindowTitle(caption);
    }
    translateTree(window, base);
}

void translateObjects(QObject *root, int base)
{
    translateTree(root, base);
}

} // namespace tk
