// Tables for the collection window tests: empty tables of the schema with
// their tags in a data directory, rows added through a dataset of their
// own, and the set-up every window test shares.
#pragma once

#include "app/Config.h"
#include "reports/TfrmFilter.h"
#include "windows/CollectionWindow.h"
#include "platform/FormatSettings.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QVariant>

#include <initializer_list>
#include <utility>

namespace collectiontest {

// Creates the tables of the schema positions in `dir` with their tags.
inline bool createTables(const QString &dir, std::initializer_list<int> positions)
{
    for (int position : positions) {
        const SchemaTable &t = schema::table(position);
        if (!schema::createTable(position, schema::tablePath(dir, t.stem, QStringLiteral("DBF"))))
            return false;
        TXbaseDataSet ds;
        ds.DatabaseName = dir;
        ds.SetTableName(schema::tableFile(t.stem, QStringLiteral("DBF")));
        ds.Open();
        for (const SchemaTag &tag : t.tags) {
            if (!ds.IndexTag(QString(), tag.name, tag.key, 0, 0, QString()))
                return false;
        }
    }
    return true;
}

using Values = std::initializer_list<std::pair<const char *, QVariant>>;

// Appends one record with `values` to the table `file` of `dir`.
inline void addRow(const QString &dir, const char *file, int position, Values values)
{
    TXbaseDataSet ds;
    ds.DatabaseName = dir;
    ds.SetTableName(QString::fromLatin1(file));
    ds.Open();
    schema::applyPassword(ds, position);
    ds.Append();
    for (const auto &[field, value] : values)
        ds.FieldByName(QString::fromLatin1(field))->SetValue(value);
    ds.Post();
}

// The configuration in `dir`, German formats, a language file and no preset
// answers: what a window finds at start-up.
inline bool startUp(const QString &dir, const char *languageFile = "QorvaGER.lng")
{
    LoadConfiguration(config(), dir);
    config().NoticeText = QStringLiteral("notice");
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    QFile lang(QStringLiteral(TESSARON_SOURCE_DIR "/lang/") + QString::fromLatin1(languageFile));
    if (!lang.open(QIODevice::ReadOnly))
        return false;
    tk::Language::current().load(lang.readAll());
    tk::MessageBox::clearPresets();
    return true;
}

// The numbers of one language file that lie in [from, to).
inline QSet<int> textNumbers(const char *file, int from, int to)
{
    QFile f(QStringLiteral(TESSARON_SOURCE_DIR "/lang/") + QString::fromLatin1(file));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QSet<int> numbers;
    static const QRegularExpression line(QStringLiteral("^(\\d+)="));
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QRegularExpressionMatch m = line.match(QString::fromLatin1(raw));
        const int n = m.hasMatch() ? m.captured(1).toInt() : -1;
        if (n >= from && n < to)
            numbers.insert(n);
    }
    return numbers;
}

// Applies the address filter "surnames from `from`" through the filter
// dialog, as the user does.
inline void filterBySurname(CollectionWindow &window, const QString &from)
{
    QTimer::singleShot(0, [from] {
        auto *dialog = qobject_cast<TfrmFilter *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->Zuname1->setText(from);
        tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(window.btnFilter, Qt::LeftButton);
}

} // namespace collectiontest
