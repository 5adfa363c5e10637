// Takes the pictures of the menu entry's AppStream data and of the user's
// guide from the real windows: the main window, every collection window that
// exists, and every dialog the tool bar opens. Run by take-screenshots.sh
// under Xvfb; windows that are not part of the program yet are skipped.
//
//   tessaron_screenshots OUTDIR
//
// Writes OUTDIR/<name>-de.png and OUTDIR/<name>-en.png.
#include "app/CollectionModules.h"
#include "app/Config.h"
#include "app/HelpWindow.h"
#include "app/Icons.h"
#include "app/Language.h"
#include "app/TfrmZV_Main.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/data/Field.h"
#include "toolkit/text/MessageBox.h"
#include "windows/CollectionWindow.h"
#include "windows/ExchangeCommands.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

namespace {

QString g_out;
int g_written = 0;

void settle(int milliseconds = 250)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void save(QWidget *widget, const QString &name, const QString &suffix)
{
    const QString path = g_out + QLatin1Char('/') + name + QLatin1Char('-') + suffix + QStringLiteral(".png");
    if (widget->grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
        ++g_written;
    }
}

// A few addresses, so that the address book shows what it is for.
void addSampleAddresses(const QString &dataDir)
{
    struct Person {
        const char *name, *first, *street, *plz, *town, *phone, *sex;
    };
    const Person people[] = {
        {"Bauer", "Anna", "Lindenweg 4", "50667", "K\xC3\xB6ln", "0221 557120", "W"},
        {"Hoffmann", "Jakob", "Am Markt 12", "53111", "Bonn", "0228 98 31 44", "M"},
        {"Keller", "Marie", "Rosenstra\xC3\x9F" "e 8", "40213", "D\xC3\xBCsseldorf", "0211 407733", "W"},
        {"Wagner", "Paul", "Bergstra\xC3\x9F" "e 21", "51147", "K\xC3\xB6ln", "02203 66 19 02", "M"},
    };
    TXbaseDataSet ds;
    ds.DatabaseName = dataDir;
    ds.SetTableName(QStringLiteral("ADRESS.DBF"));
    ds.Open();
    int key = 1;
    for (const Person &p : people) {
        ds.Append();
        const std::pair<const char *, const char *> values[] = {
            {"FAMNAME", p.name}, {"VORNAME", p.first}, {"STRASSE", p.street}, {"STAAT", "D"}, {"PLZ", p.plz},
            {"ORT", p.town},     {"TELNU", p.phone},   {"SEX", p.sex}};
        for (const auto &[field, value] : values)
            ds.FieldByName(QString::fromLatin1(field))->SetValue(QString::fromUtf8(value));
        ds.FieldByName(QStringLiteral("INR"))->SetValue(QStringLiteral("SHOT%1").arg(key++, 11, 10, QLatin1Char('0')));
        ds.Post();
    }
}

// The exchange menu of a collection window, and the summary of an import
// of a small vCard file in which one card is refused.
void shootExchange(CollectionWindow &window, const QString &suffix)
{
    QMenu *menu = window.exchange->menu();
    menu->popup(window.btnExchange->mapToGlobal(QPoint(0, window.btnExchange->height())));
    settle();
    save(menu, QStringLiteral("exchange-menu"), suffix);
    menu->hide();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Telefonbuch.vcf"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return;
    out.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Schmidt;Eva;;;\r\nFN:Eva Schmidt\r\n"
              "TEL;TYPE=CELL:0171 2345678\r\nEMAIL:eva.schmidt.privat@beispiel.example\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nowak;\xC5\x81ucja;;;\r\nFN:\xC5\x81ucja Nowak\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Yilmaz;Deniz;;;\r\nFN:Deniz Yilmaz\r\n"
              "BDAY:1985-13-40\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zimmer;Lars;;;\r\nFN:Lars Zimmer\r\n"
              "TEL;TYPE=HOME:0221 1\r\nTEL;TYPE=HOME:0221 2\r\nTEL;TYPE=HOME:0221 3\r\nEND:VCARD\r\n");
    out.close();
    window.exchange->chooseFile = [file](bool, ExchangeCommands::Format, const QString &) { return file; };
    window.exchange->runDialog = [suffix](QDialog &dialog) {
        dialog.show();
        settle();
        save(&dialog, QStringLiteral("import-summary"), suffix);
        dialog.close();
    };
    window.exchange->importFile(ExchangeCommands::Format::VCard);
    settle();
}

// Presses a tool button whose command opens a modal dialog, takes the
// dialog's picture and closes it. Message boxes (a command not offered yet)
// are answered at once and leave no picture.
void shootDialog(TfrmZV_Main &main, QToolButton *button, const QString &name, const QString &suffix)
{
    tk::MessageBox::clearPresets();
    for (int i = 0; i < 4; ++i)
        tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QTimer::singleShot(600, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != &main && !qobject_cast<QMessageBox *>(modal)) {
            save(modal, name, suffix);
            modal->close();
        }
    });
    const int children = main.childWindows().size();
    button->click();
    settle(700);
    // A command that opened a window of its own (the help).
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top != &main && top->isVisible() && top->objectName() == QLatin1String("HelpWindow")) {
            save(top, name, suffix);
            // And a search, as the user finds a page.
            if (auto *help = qobject_cast<HelpWindow *>(top)) {
                help->searchField()->setText(suffix == QLatin1String("de") ? QStringLiteral("Modem")
                                                                           : QStringLiteral("modem"));
                emit help->searchField()->returnPressed();
                settle();
                save(help, name + QStringLiteral("-search"), suffix);
            }
            top->close();
        }
    }
    // A command that opened a child window instead.
    if (main.childWindows().size() > children) {
        save(main.childWindows().last()->widget(), name, suffix);
        main.clientArea()->closeAllSubWindows();
        settle();
    }
    tk::MessageBox::clearPresets();
}

void shootLanguage(const QString &languageFile, const QString &suffix)
{
    QTemporaryDir home;
    Config &cfg = config();
    cfg = Config();
    LoadConfiguration(cfg, home.path());
    // The shipped files as an installation has them: language files and guide.
    const QString share = home.filePath(QStringLiteral("share"));
    QDir().mkpath(share);
    for (const char *lng : {"QorvaGER.lng", "QorvaENG.lng"})
        QFile::copy(QStringLiteral(TESSARON_SOURCE_DIR "/lang/") + QLatin1String(lng), share + QLatin1Char('/') + QLatin1String(lng));
    QFile::link(QStringLiteral(TESSARON_SOURCE_DIR "/doc/help"), share + QStringLiteral("/help"));
    cfg.ShareDir = share;
    cfg.Language = languageFile;
    cfg.ZVCalls = 1;
    cfg.Calculator = true;
    if (!LoadLanguage(cfg))
        return;

    TfrmZV_Main main;
    addSampleAddresses(cfg.ZVData);
    main.resize(820, 580);
    main.show();
    settle(500);
    save(&main, QStringLiteral("main-window"), suffix);
    for (QMenu *menu : main.menuBar()->findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (menu->objectName().isEmpty())
            continue;
        menu->popup(main.mapToGlobal(QPoint(10, 30)));
        settle();
        save(menu, QStringLiteral("menu-") + menu->objectName(), suffix);
        menu->hide();
    }

    struct Collection {
        Module module;
        const char *name;
    };
    const Collection collections[] = {{Module::Addresses, "address-book"}, {Module::Appointments, "appointments"},
                                      {Module::Music, "music"},           {Module::Videos, "videos"},
                                      {Module::Books, "books"}};
    for (const Collection &c : collections) {
        tk::MessageBox::clearPresets();
        tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
        const int before = main.childWindows().size();
        main.openModule(c.module);
        settle();
        if (main.childWindows().size() > before) {
            QMdiSubWindow *sub = main.childWindows().last();
            save(sub->widget(), QString::fromLatin1(c.name), suffix);
            if (c.module == Module::Addresses) {
                save(&main, QStringLiteral("main-window-address-book"), suffix);
                if (auto *window = qobject_cast<CollectionWindow *>(sub->widget()))
                    shootExchange(*window, suffix);
            }
        }
        main.clientArea()->closeAllSubWindows();
        settle();
    }

    const std::pair<QToolButton *, const char *> dialogs[] = {
        {main.sbtCalendar, "calendar"}, {main.sbtCalc, "calculator"},    {main.sbtVordef, "reference-tables"},
        {main.sbtConfig, "options"},    {main.sbtInfo, "information"}, {main.sbtHilfe, "help"}};
    for (const auto &[button, name] : dialogs)
        shootDialog(main, button, QString::fromLatin1(name), suffix);
    main.close();
    settle();
}

// All of our own pictures at menu and tool bar size and larger, to look at.
void saveIconSheet()
{
    const QStringList names = appicons::names();
    const int sizes[] = {16, 24, 48};
    const int cell = 60;
    QImage sheet(cell * 4 + 160, cell * names.size() / 1 + 10, QImage::Format_ARGB32);
    sheet.fill(QColor(0xee, 0xee, 0xee));
    QPainter painter(&sheet);
    int y = 5;
    for (const QString &name : names) {
        int x = 5;
        for (int size : sizes) {
            painter.drawPixmap(x + (cell - size) / 2, y + (cell - size) / 2, appicons::ownIcon(name).pixmap(size, size));
            x += cell;
        }
        painter.drawText(QRect(x, y, 200, cell), Qt::AlignVCenter, name);
        y += cell;
    }
    painter.end();
    sheet.save(g_out + QStringLiteral("/icon-sheet.png"));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaron_screenshots OUTDIR\n");
        return 2;
    }
    g_out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(g_out);
    registerCollectionWindows();
    if (qEnvironmentVariable("TESSARON_ICON_SHEET") == QLatin1String("1"))
        saveIconSheet();
    shootLanguage(QStringLiteral("QorvaGER.lng"), QStringLiteral("de"));
    shootLanguage(QStringLiteral("QorvaENG.lng"), QStringLiteral("en"));
    return g_written > 0 ? 0 : 1;
}
