// Turning filter entries into xBase filter expressions.
//
// An expression is ".T." followed by one ".and." condition per filled
// entry. Entries are written into the expression as string constants that
// the engine reads back unchanged, whatever quotes they hold.
#pragma once

#include <QString>

class FilterBuilder {
public:
    FilterBuilder() = default;

    // The expression so far (".T." while no condition was added).
    const QString &expression() const { return m_expression; }
    bool isEmpty() const { return m_expression == QLatin1String(".T."); }

    // ".and.LEFT OP <text quoted>" when `text` is not blank.
    void addCompare(const QString &left, const QString &op, const QString &text);
    // ".and.LEFT OP CTOD(<date quoted>)" when the date entry is not blank.
    void addDate(const QString &left, const QString &op, const QString &dateText);
    // ".and.(<a quoted>$RIGHT.or.<b quoted>$RIGHT)" for the filled ones of
    // two alternative content entries (one alone: ".and.<a quoted>$RIGHT").
    // `rights` may name several fields, each searched.
    void addContains(const QString &a, const QString &b, const QStringList &rights);
    // ".and.LEFT OP <number>" when `text` holds a number.
    void addNumber(const QString &left, const QString &op, const QString &text);
    // Appends a ready condition (without its ".and.").
    void addRaw(const QString &condition);

    static bool blank(const QString &text);

private:
    QString m_expression = QStringLiteral(".T.");
};
