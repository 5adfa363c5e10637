#include "reports/FilterBuilder.h"

#include "storage/XbaseQuote.h"

#include <QStringList>

bool FilterBuilder::blank(const QString &text)
{
    return text.trimmed().isEmpty();
}

void FilterBuilder::addRaw(const QString &condition)
{
    m_expression += QStringLiteral(".and.") + condition;
}

void FilterBuilder::addCompare(const QString &left, const QString &op, const QString &text)
{
    if (!blank(text))
        addRaw(left + op + xbQuote(text));
}

void FilterBuilder::addDate(const QString &left, const QString &op, const QString &dateText)
{
    if (!dateText.isEmpty() && !dateText.at(0).isSpace())
        addRaw(left + op + QStringLiteral("CTOD(") + xbQuote(dateText) + QLatin1Char(')'));
}

void FilterBuilder::addContains(const QString &a, const QString &b, const QStringList &rights)
{
    QStringList alternatives;
    for (const QString &entry : {a, b}) {
        if (blank(entry))
            continue;
        for (const QString &right : rights)
            alternatives << xbQuote(entry) + QLatin1Char('$') + right;
    }
    if (alternatives.isEmpty())
        return;
    if (alternatives.size() == 1)
        addRaw(alternatives.first());
    else
        addRaw(QLatin1Char('(') + alternatives.join(QStringLiteral(".or.")) + QLatin1Char(')'));
}

void FilterBuilder::addNumber(const QString &left, const QString &op, const QString &text)
{
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok);
    if (ok)
        addRaw(left + op + QString::number(value));
}
