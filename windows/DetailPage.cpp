// Detail page building blocks shared by the collection windows.
#include "windows/DetailPage.h"

#include "app/Config.h"
#include "app/Language.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DBNavigator.h"
#include "toolkit/controls/DBLookupComboBox.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "toolkit/data/DataSource.h"
#include "toolkit/text/Tag.h"

#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

namespace {

constexpr int kTextRatingItems = 10018;
constexpr int kTextDeleteQuestion = 10040;
constexpr int kTextNavigatorHints = 10041;

} // namespace

DetailPage::DetailPage(QWidget *page, tk::DataSource *source)
    : m_page(page), m_source(source), m_grid(new QGridLayout(page))
{
    m_grid->setVerticalSpacing(3);
    m_grid->setHorizontalSpacing(6);
    m_grid->setContentsMargins(6, 6, 6, 6);
}

void DetailPage::prepare(QWidget *control, const char *name, int tag)
{
    control->setObjectName(QString::fromLatin1(name));
    tk::setTag(control, tag);
}

QLabel *DetailPage::label(int tag, const char *caption, QWidget *buddy)
{
    auto *l = new QLabel(QString::fromUtf8(caption), m_page);
    tk::setTag(l, tag);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

tk::DBEdit *DetailPage::edit(const char *name, const char *field, int tag, int chars)
{
    auto *e = bind(new tk::DBEdit(m_page), name, field, tag);
    if (chars > 0)
        fitChars(e, chars);
    return e;
}

tk::DBLookupComboBox *DetailPage::lookup(const char *name, const char *field, int tag, tk::DataSource *listSource,
                                         const char *listField)
{
    auto *l = bind(new tk::DBLookupComboBox(m_page), name, field, tag);
    l->SetKeyField(QString::fromLatin1(listField));
    l->SetListField(QString::fromLatin1(listField));
    l->SetListSource(listSource);
    return l;
}

tk::TDBValueComboBox *DetailPage::valueList(const char *name, const char *field, int tag)
{
    return bind(new tk::TDBValueComboBox(m_page), name, field, tag);
}

void DetailPage::place(QWidget *widget, int row, int column, int columnSpan)
{
    m_grid->addWidget(widget, row, column, 1, columnSpan);
}

void DetailPage::placePair(QLabel *label, QWidget *field, int row, int column, int fieldSpan)
{
    m_grid->addWidget(label, row, column);
    m_grid->addWidget(field, row, column + 1, 1, fieldSpan);
}

void DetailPage::fitChars(QWidget *widget, int chars)
{
    const QFontMetrics metrics(widget->font());
    // Room for the frame and the text margins of an edit or a combo box.
    widget->setFixedWidth(metrics.averageCharWidth() * chars + 14);
}

void DetailPage::tabOrder(std::initializer_list<QWidget *> widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *w : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

namespace detailpage {

void openReference(TXbaseDataSet &table, const char *file)
{
    table.DatabaseName = config().ZVData;
    table.SetTableName(QString::fromLatin1(file));
    table.SetIndexName(QStringLiteral("1"));
    table.Open();
}

void setRatingItems(tk::TDBValueComboBox &list, const QStringList &defaults)
{
    const QString text = LangText(kTextRatingItems);
    list.SetItems(text.isEmpty() ? defaults : text.split(QLatin1Char('\n')));
    list.SetValues({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                    QStringLiteral("5")});
}

void prepareNavigator(tk::DBNavigator &navigator, std::initializer_list<tk::DBGrid *> grids)
{
    using Button = tk::DBNavigator::Button;
    navigator.SetVisibleButtons(
        {Button::First, Button::Prior, Button::Next, Button::Last, Button::Insert, Button::Delete, Button::Edit});
    const QString deleteQuestion = LangText(kTextDeleteQuestion);
    if (!deleteQuestion.isEmpty()) {
        navigator.ConfirmDeleteText = deleteQuestion;
        for (tk::DBGrid *grid : grids)
            grid->ConfirmDeleteText = deleteQuestion;
    }
    const QString hints = LangText(kTextNavigatorHints);
    if (!hints.isEmpty())
        navigator.SetHints(hints.split(QLatin1Char('\n')));
}

tk::DBGridColumn column(const char *field, const char *title, int width, Qt::Alignment alignment,
                        const char *displayFormat, const char *editFormat)
{
    tk::DBGridColumn c;
    c.FieldName = QString::fromLatin1(field);
    c.Title = QString::fromUtf8(title);
    c.Width = width;
    c.Alignment = alignment;
    c.DisplayFormat = QString::fromLatin1(displayFormat);
    c.EditFormat = QString::fromLatin1(editFormat);
    return c;
}

} // namespace detailpage
