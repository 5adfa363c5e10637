// A typed field of a dataset: the value of one column in the current record,
// with null, conversions and the texts shown and edited in controls.
//
// A Field belongs to its dataset and lives from the dataset's open to its
// close; pointers to it must not be kept past Close().
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVariant>

#include <functional>

namespace tk {

class DataSet;

enum class FieldType { String, SmallInt, Integer, Float, Date, Boolean, Memo, Blob };

class Field {
public:
    Field(DataSet *dataSet, int index, const QString &name, FieldType type, int size, int decimals);
    Field(const Field &) = delete;
    Field &operator=(const Field &) = delete;

    const QString &FieldName() const { return m_name; }
    FieldType DataType() const { return m_type; }
    // Width of a string field in characters; the column width for others.
    int Size() const { return m_size; }
    int Decimals() const { return m_decimals; }
    int Index() const { return m_index; }
    tk::DataSet *dataSet() const { return m_dataSet; }
    bool IsBlob() const { return m_type == FieldType::Memo || m_type == FieldType::Blob; }
    bool IsNumeric() const;

    // The value of the current record: an invalid QVariant for null, else a
    // QString, int, double, QDate, bool or (blobs) QByteArray.
    QVariant Value() const;
    bool IsNull() const;

    // Setting requires the dataset in edit or insert state (DataSetError
    // otherwise); it converts to the field's type, marks the record
    // modified, calls OnChange and tells the data sources.
    void SetValue(const QVariant &value);
    void Clear();

    QString AsString() const;
    void SetAsString(const QString &text);
    int AsInteger() const;
    void SetAsInteger(int value);
    double AsFloat() const;
    void SetAsFloat(double value);
    QDate AsDate() const;
    void SetAsDate(const QDate &value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    QByteArray AsBytes() const;
    void SetAsBytes(const QByteArray &bytes);

    // The text a control shows in browse, and the one it edits.
    QString DisplayText() const;
    QString EditText() const;
    // Converts typed text (empty: null); DataSetError when it does not
    // convert to the field's type.
    void SetEditText(const QString &text);

    // The display text of this field for a value of another row.
    QString DisplayTextOf(const QVariant &value) const;

    // Picture for numbers (see formatFloat) or a date pattern; empty: the
    // general number form and the short date format.
    QString DisplayFormat;
    QString EditFormat;
    // Significant digits of the general number form.
    int Precision = 15;
    // Texts of true and false, "True;False" when empty.
    QString DisplayValues;
    bool ReadOnly = false;

    // Called after the value changed.
    std::function<void(Field &)> OnChange;

private:
    QVariant convert(const QVariant &value) const;

    tk::DataSet *m_dataSet;
    int m_index;
    QString m_name;
    FieldType m_type;
    int m_size;
    int m_decimals;
};

} // namespace tk
