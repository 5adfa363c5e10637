#include "toolkit/data/Field.h"

#include "platform/FormatSettings.h"
#include "toolkit/data/DataSet.h"
#include "toolkit/data/FormatFloat.h"
#include "xbase/text/Dates.h"

#include <cmath>
#include <limits>

namespace tk {

namespace {

QString dateText(const QDate &date, const QString &pattern)
{
    if (!date.isValid())
        return QString();
    const QString p = pattern.isEmpty() ? platform::FormatSettings::current().shortDateFormat : pattern;
    // Patterns may be written with lower-case months as in "dd.mm.yyyy".
    QString normalized = p;
    normalized.replace(QLatin1String("mm"), QLatin1String("MM"));
    return QString::fromStdString(
        xb::formatDate(xb::Date{date.year(), date.month(), date.day()}, normalized.toStdString()));
}

[[noreturn]] void conversionError(const QString &text, const char *what)
{
    throw DataSetError(QStringLiteral("'%1' is not a valid %2").arg(text, QLatin1String(what)).toStdString());
}

} // namespace

Field::Field(tk::DataSet *dataSet, int index, const QString &name, FieldType type, int size, int decimals)
    : m_dataSet(dataSet), m_index(index), m_name(name), m_type(type), m_size(size), m_decimals(decimals)
{
}

bool Field::IsNumeric() const
{
    return m_type == FieldType::SmallInt || m_type == FieldType::Integer || m_type == FieldType::Float;
}

QVariant Field::Value() const
{
    if (!m_dataSet->Active())
        return QVariant();
    const QVariant &v = m_dataSet->currentBuffer().values[static_cast<std::size_t>(m_index)];
    if (!IsBlob() || !v.isValid())
        return v;
    const QByteArray bytes = m_dataSet->blobSlot(m_index).data;
    if (m_type == FieldType::Memo)
        return m_dataSet->TextOfBlob(bytes);
    return bytes;
}

bool Field::IsNull() const
{
    if (!m_dataSet->Active())
        return true;
    return !m_dataSet->currentBuffer().values[static_cast<std::size_t>(m_index)].isValid();
}

QVariant Field::convert(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (m_type) {
    case FieldType::String:
        return value.toString().left(m_size > 0 ? m_size : std::numeric_limits<int>::max());
    case FieldType::SmallInt:
    case FieldType::Integer: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            conversionError(value.toString(), "integer value");
        return static_cast<int>(std::llround(d));
    }
    case FieldType::Float: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            conversionError(value.toString(), "floating point value");
        return d;
    }
    case FieldType::Date: {
        const QDate d = value.toDate();
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Boolean:
        return value.toBool();
    case FieldType::Memo:
        return value.toString();
    case FieldType::Blob:
        return value.toByteArray();
    }
    return value;
}

void Field::SetValue(const QVariant &value)
{
    m_dataSet->requireEditing();
    if (ReadOnly)
        throw DataSetError(QStringLiteral("Field '%1' cannot be modified").arg(m_name).toStdString());
    const QVariant converted = convert(value);
    QVariant &slot = m_dataSet->valueSlot(m_index);
    if (IsBlob()) {
        BlobSlot &blob = m_dataSet->m_current.blobs[static_cast<std::size_t>(m_index)];
        blob.data = m_type == FieldType::Memo ? m_dataSet->BlobOfText(converted.toString()) : converted.toByteArray();
        blob.loaded = true;
        blob.modified = true;
        slot = blob.data.isEmpty() ? QVariant() : QVariant(true);
    } else {
        slot = converted;
    }
    m_dataSet->fieldChanged(this);
}

void Field::Clear()
{
    SetValue(QVariant());
}

QString Field::AsString() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return QString();
    switch (m_type) {
    case FieldType::Date:
        return dateText(v.toDate(), QString());
    case FieldType::Float:
        return formatGeneral(v.toDouble(), Precision, platform::FormatSettings::current().decimalSeparator);
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

void Field::SetAsString(const QString &text)
{
    SetEditText(text);
}

int Field::AsInteger() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return 0;
    if (m_type == FieldType::String || m_type == FieldType::Memo) {
        bool ok = false;
        const int i = v.toString().trimmed().toInt(&ok);
        if (!ok)
            conversionError(v.toString(), "integer value");
        return i;
    }
    return static_cast<int>(std::llround(v.toDouble()));
}

void Field::SetAsInteger(int value)
{
    SetValue(value);
}

double Field::AsFloat() const
{
    const QVariant v = Value();
    return v.isValid() ? v.toDouble() : 0.0;
}

void Field::SetAsFloat(double value)
{
    SetValue(value);
}

QDate Field::AsDate() const
{
    return Value().toDate();
}

void Field::SetAsDate(const QDate &value)
{
    SetValue(value.isValid() ? QVariant(value) : QVariant());
}

bool Field::AsBoolean() const
{
    return Value().toBool();
}

void Field::SetAsBoolean(bool value)
{
    SetValue(value);
}

QByteArray Field::AsBytes() const
{
    const QVariant v = Value();
    return m_type == FieldType::Memo ? m_dataSet->BlobOfText(v.toString()) : v.toByteArray();
}

void Field::SetAsBytes(const QByteArray &bytes)
{
    SetValue(m_type == FieldType::Memo ? QVariant(m_dataSet->TextOfBlob(bytes)) : QVariant(bytes));
}

QString Field::DisplayTextOf(const QVariant &v) const
{
    if (!v.isValid())
        return QString();
    const platform::FormatSettings &fs = platform::FormatSettings::current();
    switch (m_type) {
    case FieldType::SmallInt:
    case FieldType::Integer:
        if (!DisplayFormat.isEmpty())
            return formatFloat(DisplayFormat, v.toDouble(), fs.decimalSeparator, fs.thousandSeparator);
        return QString::number(v.toInt());
    case FieldType::Float:
        if (!DisplayFormat.isEmpty())
            return formatFloat(DisplayFormat, v.toDouble(), fs.decimalSeparator, fs.thousandSeparator);
        return formatGeneral(v.toDouble(), Precision, fs.decimalSeparator);
    case FieldType::Date:
        return dateText(v.toDate(), DisplayFormat);
    case FieldType::Boolean: {
        const QStringList texts = (DisplayValues.isEmpty() ? QStringLiteral("True;False") : DisplayValues)
                                      .split(QLatin1Char(';'));
        return v.toBool() ? texts.value(0) : texts.value(1);
    }
    case FieldType::Memo:
        return v.toString();
    case FieldType::Blob:
        return QStringLiteral("(Blob)");
    case FieldType::String:
        break;
    }
    return v.toString();
}

QString Field::DisplayText() const
{
    if (IsBlob())
        return m_type == FieldType::Memo ? Value().toString() : QStringLiteral("(Blob)");
    return DisplayTextOf(Value());
}

QString Field::EditText() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return QString();
    const platform::FormatSettings &fs = platform::FormatSettings::current();
    switch (m_type) {
    case FieldType::Float:
        if (!EditFormat.isEmpty())
            return formatFloat(EditFormat, v.toDouble(), fs.decimalSeparator, QChar());
        return formatGeneral(v.toDouble(), Precision, fs.decimalSeparator);
    case FieldType::Date:
        return dateText(v.toDate(), EditFormat);
    case FieldType::SmallInt:
    case FieldType::Integer:
        return QString::number(v.toInt());
    default:
        return DisplayText();
    }
}

void Field::SetEditText(const QString &text)
{
    const QString t = m_type == FieldType::String || IsBlob() ? text : text.trimmed();
    if (t.isEmpty() && m_type != FieldType::String && m_type != FieldType::Memo) {
        Clear();
        return;
    }
    const platform::FormatSettings &fs = platform::FormatSettings::current();
    switch (m_type) {
    case FieldType::String:
    case FieldType::Memo:
        SetValue(t);
        return;
    case FieldType::SmallInt:
    case FieldType::Integer: {
        bool ok = false;
        const int i = t.toInt(&ok);
        if (!ok)
            conversionError(text, "integer value");
        SetValue(i);
        return;
    }
    case FieldType::Float: {
        QString n = t;
        n.remove(fs.thousandSeparator);
        n.replace(fs.decimalSeparator, QLatin1Char('.'));
        bool ok = false;
        const double d = n.toDouble(&ok);
        if (!ok)
            conversionError(text, "floating point value");
        SetValue(d);
        return;
    }
    case FieldType::Date: {
        const int epoch = QDate::currentDate().year() - 50 + 1;
        const auto d = xb::parseDate(t.toStdString(), fs.shortDateFormat.toStdString(), epoch);
        if (!d)
            conversionError(text, "date");
        SetValue(QDate(d->year, d->month, d->day));
        return;
    }
    case FieldType::Boolean: {
        const QChar c = t.at(0).toUpper();
        SetValue(c == QLatin1Char('T') || c == QLatin1Char('Y') || c == QLatin1Char('J') || c == QLatin1Char('1'));
        return;
    }
    case FieldType::Blob:
        SetValue(t.toUtf8());
        return;
    }
}

} // namespace tk
