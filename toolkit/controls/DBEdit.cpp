// The bound one-line edit: pending text, upper case, and the translation
// of classic edit masks into Qt input masks.
#include "toolkit/controls/DBEdit.h"
#include "toolkit/text/TextCase.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QValidator>

namespace tk {

namespace {

// Turns typed text into upper case as it arrives, pasted text included.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = upperCase(input);
        return Acceptable;
    }
};

struct QtMask {
    QString mask;
    bool saveLiterals = true;
    QChar blank;
    QString literals; // per position of the masked text: the literal, or a null char for input
};

bool isQtMaskChar(QChar c)
{
    return QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{}").contains(c);
}

// The classic notation has the digit letters the other way round and other
// letters for letters, alphanumerics and any character.
QtMask qtMaskOf(const QString &classic)
{
    QtMask out;
    out.blank = QLatin1Char('_');
    const QStringList sections = classic.split(QLatin1Char(';'));
    const QString body = sections.value(0);
    if (sections.size() > 1)
        out.saveLiterals = sections.at(1).trimmed() != QLatin1String("0");
    if (sections.size() > 2 && !sections.at(2).isEmpty())
        out.blank = sections.at(2).at(0);

    for (int i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        auto put = [&](const QString &qt, QChar literal) {
            out.mask += qt;
            out.literals += literal;
        };
        switch (c.unicode()) {
        case '!': break; // where blanks go when saving: not kept, entered text stays in place
        case '0': put(QStringLiteral("9"), QChar()); break;
        case '9': put(QStringLiteral("0"), QChar()); break;
        case '#': put(QStringLiteral("#"), QChar()); break;
        case 'L': put(QStringLiteral("A"), QChar()); break;
        case 'l': put(QStringLiteral("a"), QChar()); break;
        case 'A': put(QStringLiteral("N"), QChar()); break;
        case 'a': put(QStringLiteral("n"), QChar()); break;
        case 'C': put(QStringLiteral("X"), QChar()); break;
        case 'c': put(QStringLiteral("x"), QChar()); break;
        case '>':
            if (i + 1 < body.size() && body.at(i + 1) == QLatin1Char('<')) {
                out.mask += QLatin1Char('!');
                ++i;
            } else {
                out.mask += QLatin1Char('>');
            }
            break;
        case '<': out.mask += QLatin1Char('<'); break;
        case '\\':
            if (i + 1 < body.size()) {
                ++i;
                put(QStringLiteral("\\") + body.at(i), body.at(i));
            }
            break;
        default:
            put(isQtMaskChar(c) ? QStringLiteral("\\") + c : QString(c), c);
            break;
        }
    }
    out.mask += QLatin1Char(';');
    out.mask += out.blank;
    return out;
}

} // namespace

DBEdit::DBEdit(QWidget *parent) : QLineEdit(parent), m_link(this)
{
    m_link.OnDataChange = [this] { showField(); };
    m_link.OnEditingChange = [this] { updateReadOnly(); };
    m_link.OnUpdateData = [this] { storeText(); };
    connect(this, &QLineEdit::textEdited, this, &DBEdit::onTextEdited);
    updateReadOnly();
}

void DBEdit::SetReadOnly(bool on)
{
    m_link.ReadOnly = on;
    updateReadOnly();
}

void DBEdit::SetCharCase(CharCase charCase)
{
    m_charCase = charCase;
    delete validator();
    setValidator(charCase == CharCase::Upper ? new UpperCaseValidator(this) : nullptr);
}

QString DBEdit::qtInputMask(const QString &classic)
{
    return classic.isEmpty() ? QString() : qtMaskOf(classic).mask;
}

void DBEdit::SetEditMask(const QString &mask)
{
    m_editMask = mask;
    if (mask.isEmpty()) {
        setInputMask(QString());
        m_literals.clear();
        m_saveLiterals = true;
    } else {
        const QtMask qt = qtMaskOf(mask);
        setInputMask(qt.mask);
        m_literals = qt.literals;
        m_blank = qt.blank;
        m_saveLiterals = qt.saveLiterals;
    }
    showField();
}

void DBEdit::updateReadOnly()
{
    setReadOnly(!m_link.CanModify());
    const Field *f = field();
    if (f && f->DataType() == FieldType::String && f->Size() > 0)
        setMaxLength(f->Size());
    else
        setMaxLength(32767);
}

void DBEdit::showField()
{
    const Field *f = field();
    QString text;
    if (f)
        text = hasFocus() && m_link.CanModify() ? f->EditText() : f->DisplayText();
    if (!m_editMask.isEmpty() && !m_saveLiterals) {
        // The stored text lacks the literals; put them back for the mask.
        QString withLiterals;
        int from = 0;
        for (const QChar literal : std::as_const(m_literals)) {
            if (!literal.isNull())
                withLiterals += literal;
            else
                withLiterals += from < text.size() ? text.at(from++) : QLatin1Char(' ');
        }
        text = withLiterals;
    }
    setText(text);
    if (!m_editMask.isEmpty())
        setCursorPosition(0);
}

QString DBEdit::maskedValue() const
{
    // text() drops the blanks and so shifts positions; the displayed text
    // keeps one character per mask position.
    const QString shown = displayText();
    bool anyEntered = false;
    QString value;
    for (int i = 0; i < shown.size(); ++i) {
        const bool literal = i < m_literals.size() && !m_literals.at(i).isNull();
        QChar c = shown.at(i);
        if (!literal && c == m_blank)
            c = QLatin1Char(' ');
        if (!literal && c != QLatin1Char(' '))
            anyEntered = true;
        if (!literal || m_saveLiterals)
            value += c;
    }
    return anyEntered ? value : QString();
}

void DBEdit::storeText()
{
    Field *f = field();
    if (!f)
        return;
    f->SetEditText(m_editMask.isEmpty() ? text() : maskedValue());
}

void DBEdit::onTextEdited()
{
    // Pasting through the context menu arrives here without a key press.
    if (!m_link.Editing() && !m_link.edit()) {
        m_link.reset();
        return;
    }
    m_link.modified();
}

void DBEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_link.isModified()) {
        m_link.reset();
        selectAll();
        event->accept();
        return;
    }
    if (changesText(event) && !isReadOnly() && !m_link.edit()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (!m_link.isModified())
        showField();
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        selectAll();
}

void DBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (!leavesControl(event->reason()) || !m_link.updateRecordOnExit())
        return;
    showField();
    emit exited();
}

void DBEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

} // namespace tk
