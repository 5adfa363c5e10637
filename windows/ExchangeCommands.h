// The exchange commands of a collection window: the shown records (filter
// and order as shown) or the current one to a file, and the records of a
// file as new records, with a progress bar and an import summary. The
// address book exchanges vCard, the appointments iCalendar, every
// collection CSV.
#pragma once

#include "storage/exchange/Exchange.h"

#include <QObject>

#include <functional>
#include <memory>

class CollectionWindow;
class QDialog;
class QMenu;
class QProgressDialog;
class QPushButton;

class ExchangeCommands : public QObject {
    Q_OBJECT

public:
    enum class Format { VCard, ICalendar, Csv };

    // The commands for `window`, offered in the menu of `button`.
    ExchangeCommands(CollectionWindow &window, QPushButton *button);

    QMenu *menu() const { return m_menu; }

    // The commands, public for the tests that drive them. Each asks for its
    // file (chooseFile); an empty answer does nothing.
    void exportShown(Format format);
    void exportCurrent(); // the current address as vCard
    void importFile(Format format);

    // Asks for a file to write (`save`) or to read; the default shows the
    // file dialog. Tests answer it.
    std::function<QString(bool save, Format format, const QString &suggested)> chooseFile;
    // Shows a finished dialog (the import summary); the default runs it modally.
    std::function<void(QDialog &dialog)> runDialog;
    // The result of the last import (tests).
    exchange::ImportResult lastImport;

private:
    int schemaPosition() const;
    QString tableFile() const;
    QString dataDir() const;
    bool refuseWhileEditing();
    bool writeFile(const QString &path, const QByteArray &bytes);
    exchange::Progress progressFor(const QString &label, qint64 total, std::unique_ptr<QProgressDialog> &holder);

    CollectionWindow &m_window;
    QMenu *m_menu = nullptr;
};
