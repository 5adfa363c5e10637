// The configuration dialog offscreen: filling from the record, the language
// list, storing on OK, Cancel, and how the main window opens it.
#include "app/Config.h"
#include "app/ConfigChoices.h"
#include "app/TfrmConfig.h"
#include "app/TfrmZV_Main.h"
#include "platform/Profile.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "testing/TestRegistry.h"

namespace {

const QString kRestartText = QStringLiteral("Please restart Tessaron to apply these changes.\n"
                                            "If you should encounter display problems, please check the help file.");

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

void loadLanguage(const char *file)
{
    tk::Language::current().load(readFile(QStringLiteral(TESSARON_SOURCE_DIR "/lang/") + QLatin1String(file)));
}

std::string iniValue(const char *section, const char *key)
{
    return config().profile().readString(section, key, "<missing>");
}

// A child window that refuses to close.
class Stubborn : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

// Runs `action`, which opens a modal dialog, and hands the dialog to
// `inspect` once it is shown; the dialog is then cancelled.
template <class Inspect>
bool whileModal(const std::function<void()> &action, Inspect inspect)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<TfrmConfig *>(QApplication::activeModalWidget())) {
            poll.stop();
            seen = true;
            inspect(dialog);
            dialog->reject();
        }
    });
    poll.start();
    action();
    return seen;
}

} // namespace

class TestfrmConfig : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fillsEveryControlFromTheRecord();
    void upperCaseLanguageIsPreselectedAndUnchangedOkNeedsNoRestart();
    void mixedCaseLanguagePreselectsNothingAndAnyChoiceIsAChange();
    void languageListCutsLongNamesAndSkipsFilesWithoutName();
    void newDataDirectoryIsStoredForTheNextStart();
    void modemSettingsChangeOnlyWithTheModem();
    void passwordIsStoredScrambledAndAskedAtTheNextStart();
    void okWritesTheKeysInOrderAndCancelWritesNothing();
    void fileManagerPresetsAndMissingProgramInRed();
    void directoryChooserDropsTrailingSlashes();
    void failedWriteIsReported();
    void englishTextsAndScreenshots();
    void mainWindowOpensTheDialogOnlyWithoutChildren();
    void missingFileManagerLeadsToTheOptions();

private:
    QString home() const { return m_dir->path(); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestfrmConfig::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    for (const char *lng : {"QorvaGER.lng", "QorvaENG.lng"})
        QVERIFY(QFile::copy(QStringLiteral(TESSARON_SOURCE_DIR "/lang/") + QLatin1String(lng),
                            m_dir->filePath(QLatin1String(lng))));
    LoadConfiguration(config(), home());
    loadLanguage("QorvaGER.lng");
    tk::MessageBox::clearPresets();
}

void TestfrmConfig::cleanup()
{
    TfrmZV_Main::clearModules();
    TfrmConfig::setDirectoryChooser(nullptr);
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
}

void TestfrmConfig::fillsEveryControlFromTheRecord()
{
    Config &cfg = config();
    cfg.Name = QStringLiteral("Jana Beispiel");
    cfg.email = QStringLiteral("jana@example.org");
    cfg.FileMan = 4;
    cfg.FileManN = QStringLiteral("/bin/sh -c true");
    cfg.Calculator = true;
    cfg.TOpen = cfg.BOpen = true;
    cfg.Style97 = false;
    cfg.CDStatus = 3;
    cfg.CDPlay = CdPlayMode::Analog;
    cfg.COMPort = 3;
    cfg.DialMode = QStringLiteral("P");
    cfg.MailTo = false;
    cfg.CDDBTimeOut = 5; // below the field's range
    TfrmConfig dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Einstellungen"));
    QCOMPARE(dialog.PageControl1->currentWidget(), dialog.TabSheet1);
    QCOMPARE(dialog.PageControl1->tabText(2), QStringLiteral("Kommunikation"));
    QCOMPARE(dialog.teName->text(), cfg.Name);
    QCOMPARE(dialog.edEmail->text(), cfg.email);
    QCOMPARE(dialog.teZVData->text(), cfg.ZVData);
    QVERIFY(dialog.rbOther->isChecked());
    QCOMPARE(dialog.edOtherName->text(), cfg.FileManN);
    QVERIFY(dialog.rgCalc->findChildren<QRadioButton *>().at(0)->isChecked());
    QVERIFY(dialog.cbTermine->isChecked() && dialog.cbBooks->isChecked() && !dialog.cbAdressen->isChecked());
    QVERIFY(!dialog.cbDiskette->isEnabled());
    QVERIFY(!dialog.cb97Style->isChecked());
    QVERIFY(!dialog.btnOK->autoRaise());
    QVERIFY(!dialog.btnHelp->isEnabled());
    QVERIFY(dialog.CDStatus->findChildren<QRadioButton *>().at(3)->isChecked());
    QCOMPARE(dialog.cbCDPlay->currentIndex(), 1);
    QVERIFY(dialog.rbTAPI->isChecked());
    QVERIFY(!dialog.teCOMInit->isEnabled() && !dialog.cbComPort->isEnabled() && !dialog.cbDialMode->isEnabled());
    QCOMPARE(dialog.cbComPort->currentText(), QStringLiteral("COM3"));
    QCOMPARE(dialog.cbDialMode->currentIndex(), 1);
    QVERIFY(!dialog.cbMailTo->isChecked());
    QCOMPARE(dialog.spCDDBTimeout->value(), kCddbTimeOutMin);

    // The record's values come back unchanged through the dialog.
    ConfigChoices expected = ConfigChoices::fromRecord(cfg);
    const ConfigChoices shown = dialog.choices();
    QCOMPARE(shown.fileManN, expected.fileManN);
    QCOMPARE(shown.openAtStart, expected.openAtStart);
    QCOMPARE(shown.cdPlay, CdPlayMode::Analog);
    QCOMPARE(shown.comPort, 3);
    QCOMPARE(shown.dialMode, QStringLiteral("P"));
}

void TestfrmConfig::upperCaseLanguageIsPreselectedAndUnchangedOkNeedsNoRestart()
{
    QVERIFY(config().profile().writeString("Setup", "Language", "QORVAGER.LNG"));
    TfrmConfig dialog;
    QCOMPARE(dialog.cbLang->count(), 2);
    QCOMPARE(dialog.cbLang->currentText(), QStringLiteral("German").leftJustified(30) + QStringLiteral("QORVAGER.LNG"));
    QCOMPARE(dialog.rememberedLanguageIndex(), 1);
    const int shown = tk::MessageBox::shownCount();
    dialog.btnOK->click();
    QCOMPARE(tk::MessageBox::shownCount(), shown);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(iniValue("Setup", "Language"), std::string("QORVAGER.LNG"));
}

void TestfrmConfig::mixedCaseLanguagePreselectsNothingAndAnyChoiceIsAChange()
{
    // No key at all reads as the mixed-case default.
    {
        TfrmConfig dialog;
        QCOMPARE(dialog.cbLang->currentIndex(), -1);
        QCOMPARE(dialog.rememberedLanguageIndex(), 2);
        dialog.btnOK->click(); // nothing chosen: no restart, nothing written
        QCOMPARE(iniValue("Setup", "Language"), std::string("<missing>"));
    }
    QVERIFY(config().profile().writeString("Setup", "Language", "QorvaGER.lng"));
    const QString inUse = config().Language = QStringLiteral("QorvaGER.lng");
    TfrmConfig dialog;
    QCOMPARE(dialog.cbLang->currentIndex(), -1);
    dialog.cbLang->setCurrentIndex(1); // the German entry, the one in use
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    dialog.btnOK->click();
    QCOMPARE(tk::MessageBox::lastText(), kRestartText);
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Information);
    QCOMPARE(iniValue("Setup", "Language"), std::string("QORVAGER.LNG"));
    QCOMPARE(config().Language, inUse); // until the next start
}

void TestfrmConfig::languageListCutsLongNamesAndSkipsFilesWithoutName()
{
    writeFile(m_dir->filePath(QStringLiteral("QorvaFRA.lng")), "[Fran\xE7" "ais de France, version longue et d\xE9taill\xE9" "e]\r\n1=x\r\n");
    writeFile(m_dir->filePath(QStringLiteral("QorvaXXX.lng")), "; no name line\r\n[Hidden]\r\n");
    writeFile(m_dir->filePath(QStringLiteral("QorvaEsperanto.lng")), "[Esperanto\r\n");
    writeFile(m_dir->filePath(QStringLiteral("Other.lng")), "[Other]\r\n");
    const QStringList entries = languageEntries(home());
    QCOMPARE(entries, (QStringList{QStringLiteral("English").leftJustified(30) + QStringLiteral("QORVAENG.LNG"),
                                   QStringLiteral("Esperanto").leftJustified(30) + QStringLiteral("QORVAESPERANTO.LNG"),
                                   QStringLiteral("Français de France, version loQORVAFRA.LNG"),
                                   QStringLiteral("German").leftJustified(30) + QStringLiteral("QORVAGER.LNG")}));

    // The file name is stored whole, also beyond twelve characters.
    QVERIFY(config().profile().writeString("Setup", "Language", "QORVAESPERANTO.LNG"));
    TfrmConfig dialog;
    QCOMPARE(dialog.cbLang->currentIndex(), 1);
    dialog.cbLang->setCurrentIndex(2);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    dialog.btnOK->click();
    QCOMPARE(iniValue("Setup", "Language"), std::string("QORVAFRA.LNG"));
    QCOMPARE(languageIndex(entries, QStringLiteral("QORVAFRA.LNG")), 2);
    QCOMPARE(languageIndex(entries, QStringLiteral("QorvaFRA.lng")), 4);
}

void TestfrmConfig::newDataDirectoryIsStoredForTheNextStart()
{
    Config &cfg = config();
    const QString mixed = m_dir->filePath(QStringLiteral("Daten"));
    cfg.ZVData = mixed;
    QVERIFY(cfg.profile().writeString("Setup", "ZVData", mixed.toStdString()));
    QVERIFY(cfg.profile().writeString("Setup", "Language", "QORVAGER.LNG"));
    TfrmConfig dialog;
    const QString upper = mixed.toUpper();
    dialog.teZVData->setText(upper);
    QCOMPARE(dialog.teZVData->text(), upper); // kept as typed: the file system tells cases apart
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    dialog.btnOK->click();
    QCOMPARE(tk::MessageBox::lastText(), kRestartText);
    QCOMPARE(QString::fromStdString(iniValue("Setup", "ZVData")), upper);
    QCOMPARE(cfg.ZVData, mixed);
    QCOMPARE(iniValue("Setup", "Language"), std::string("QORVAGER.LNG"));
}

void TestfrmConfig::modemSettingsChangeOnlyWithTheModem()
{
    Config &cfg = config();
    {
        // With the desktop route the modem keys keep their values.
        TfrmConfig dialog;
        dialog.cbComPort->setCurrentIndex(0);
        dialog.teCOMInit->setText(QStringLiteral("ATZ"));
        dialog.btnOK->click();
        QVERIFY(cfg.TAPI);
        QCOMPARE(cfg.COMPort, 2);
        QCOMPARE(cfg.COMInit, QStringLiteral("ATX3"));
        QCOMPARE(iniValue("User", "COMPort"), std::string("2"));
    }
    TfrmConfig dialog;
    dialog.PageControl1->setCurrentWidget(dialog.TabSheet4);
    dialog.rbNotTAPI->click();
    QVERIFY(dialog.teCOMInit->isEnabled() && dialog.cbComPort->isEnabled() && dialog.cbDialMode->isEnabled());
    dialog.cbComPort->setCurrentIndex(dialog.cbComPort->findText(QStringLiteral("COM4")));
    dialog.cbDialMode->setCurrentIndex(1); // translated as "Impulswahl"
    QCOMPARE(dialog.cbDialMode->currentText(), tk::langText(4945).section(QLatin1Char('\n'), 1));
    dialog.teCOMInit->setText(QStringLiteral("ATZ E0"));
    dialog.btnOK->click();
    QVERIFY(!cfg.TAPI);
    QCOMPARE(cfg.COMPort, 4);
    QCOMPARE(cfg.DialMode, QStringLiteral("P"));
    QCOMPARE(iniValue("User", "TAPI"), std::string("0"));
    QCOMPARE(iniValue("User", "COMPort"), std::string("4"));
    QCOMPARE(iniValue("User", "DialMode"), std::string("P"));
    QCOMPARE(iniValue("User", "COMInit"), std::string("ATZ E0"));

    // Back to the desktop route: the modem controls go grey again.
    TfrmConfig again;
    QVERIFY(again.rbNotTAPI->isChecked() && again.cbComPort->isEnabled());
    again.rbTAPI->click();
    QVERIFY(!again.teCOMInit->isEnabled() && !again.cbComPort->isEnabled());
}

void TestfrmConfig::passwordIsStoredScrambledAndAskedAtTheNextStart()
{
    TfrmConfig dialog;
    QCOMPARE(dialog.tePassword->echoMode(), QLineEdit::Password);
    QCOMPARE(dialog.tePassword->maxLength(), 12);
    // Only characters the profile can hold get in.
    for (const QString &typed : {QStringLiteral("S"), QStringLiteral("\u0142"), QStringLiteral("\u00F6")}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
        QApplication::sendEvent(dialog.tePassword, &key);
    }
    QCOMPARE(dialog.tePassword->text(), QStringLiteral("S\u00F6"));
    dialog.tePassword->setText(QStringLiteral("Sesam öffne"));
    dialog.btnOK->click();
    const std::string stored = iniValue("Setup", "ZVPass");
    QVERIFY(!stored.empty());
    QVERIFY(QString::fromLatin1(stored.c_str()) != QStringLiteral("Sesam öffne"));
    QCOMPARE(passwordOfStored(stored), QStringLiteral("Sesam öffne"));

    Config next;
    LoadConfiguration(next, home());
    QVERIFY(!next.AccessGranted);
    QCOMPARE(next.ZVPass, QStringLiteral("Sesam öffne"));

    // An empty entry removes the password again.
    LoadConfiguration(config(), home());
    TfrmConfig clear;
    QCOMPARE(clear.tePassword->text(), QStringLiteral("Sesam öffne"));
    clear.tePassword->clear();
    clear.btnOK->click();
    LoadConfiguration(next, home());
    QVERIFY(next.AccessGranted);
}

void TestfrmConfig::okWritesTheKeysInOrderAndCancelWritesNothing()
{
    const QString ini = config().iniPath();
    const QByteArray before = readFile(ini);
    {
        TfrmConfig dialog;
        dialog.teName->setText(QStringLiteral("Nobody"));
        dialog.cbAdressen->setChecked(true);
        dialog.btnCancel->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    QCOMPARE(readFile(ini), before);
    QCOMPARE(config().Name, QString::fromLatin1(ConfigDefault::kOwnerName));
    QVERIFY(!config().AOpen);

    TfrmConfig dialog;
    dialog.teName->setText(QStringLiteral("Ein Name, der viel, viel länger als dreißig Zeichen ist"));
    dialog.teTelefon->setText(QString(50, QLatin1Char('7')));
    dialog.cbAdressen->setChecked(true);
    dialog.cbCDPlay->setCurrentIndex(2);
    dialog.spCDDBTimeout->setValue(90);
    dialog.btnOK->click();
    const Config &cfg = config();
    QCOMPARE(cfg.Name.size(), 30);
    QCOMPARE(cfg.Telefon, QString(30, QLatin1Char('7')));
    QVERIFY(cfg.AOpen);
    QCOMPARE(cfg.CDPlay, CdPlayMode::Digital);
    QCOMPARE(cfg.CDDBTimeOut, 90);

    // Keys the first start did not write follow in the dialog's order.
    const QByteArray text = readFile(ini);
    qsizetype last = -1;
    for (const char *key : {"AOpen=1", "TOpen=0", "MOpen=0", "DOpen=0", "VOpen=0", "BOpen=0", "email=",
                            "CDStatus=0", "CDDBTimeOut=90", "Calculator=0", "CDPlay=2"}) {
        const qsizetype at = text.indexOf(QByteArray("\n") + key);
        QVERIFY2(at > last, key);
        last = at;
    }
    QVERIFY(text.indexOf("[User]") < text.indexOf("AOpen="));

    Config next;
    LoadConfiguration(next, home());
    QCOMPARE(next.Name, cfg.Name);
    QCOMPARE(next.CDPlay, CdPlayMode::Digital);
    QCOMPARE(next.CDDBTimeOut, 90);
    QVERIFY(next.AOpen && !next.BOpen);
}

void TestfrmConfig::fileManagerPresetsAndMissingProgramInRed()
{
    config().FileManN = m_dir->filePath(QStringLiteral("nowhere/fm"));
    TfrmConfig dialog;
    const QColor red(Qt::red);
    QCOMPARE(dialog.edOtherName->palette().color(QPalette::Text), red);
    dialog.edOtherName->setText(QStringLiteral("/bin/sh -c 'exit 0'"));
    QVERIFY(dialog.edOtherName->palette().color(QPalette::Text) != red);
    dialog.rbDirTree->click();
    QCOMPARE(dialog.edOtherName->text(), fileManagerPreset(1));
    dialog.rbWinCmd->click();
    QCOMPARE(dialog.edOtherName->text(), fileManagerPreset(2));
    dialog.rbExplorer->click();
    QCOMPARE(dialog.edOtherName->text(), fileManagerPreset(3));
    dialog.rbOther->click();
    QCOMPARE(dialog.edOtherName->text(), fileManagerPreset(3)); // left as it was
    dialog.edOtherName->setText(QStringLiteral("/opt/missing/manager"));
    QCOMPARE(dialog.edOtherName->palette().color(QPalette::Text), red);
    dialog.btnOK->click(); // stored all the same
    QCOMPARE(config().FileMan, 4);
    QCOMPARE(config().FileManN, QStringLiteral("/opt/missing/manager"));
    QCOMPARE(iniValue("User", "FileMan"), std::string("4"));
    QVERIFY(fileManagerPreset(4).isEmpty());
}

void TestfrmConfig::directoryChooserDropsTrailingSlashes()
{
    QString asked;
    TfrmConfig::setDirectoryChooser([&](QWidget *, const QString &start) {
        asked = start;
        return m_dir->filePath(QStringLiteral("Neue Daten//"));
    });
    TfrmConfig dialog;
    dialog.sbtDirSelect->click();
    QCOMPARE(asked, config().ZVData);
    QCOMPARE(dialog.teZVData->text(), m_dir->filePath(QStringLiteral("Neue Daten")));
    TfrmConfig::setDirectoryChooser([](QWidget *, const QString &) { return QString(); });
    dialog.sbtDirSelect->click(); // cancelled: unchanged
    QCOMPARE(dialog.teZVData->text(), m_dir->filePath(QStringLiteral("Neue Daten")));
}

void TestfrmConfig::failedWriteIsReported()
{
    // A directory where the profile should be: no write can replace it.
    const QString ini = config().iniPath();
    QVERIFY(QFile::remove(ini));
    QVERIFY(QDir().mkpath(ini + QStringLiteral("/blocked")));
    TfrmConfig dialog;
    dialog.teName->setText(QStringLiteral("Kept for this run"));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    dialog.btnOK->click();
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
    QVERIFY(tk::MessageBox::lastText().contains(ini));
    QCOMPARE(config().Name, QStringLiteral("Kept for this run"));
}

void TestfrmConfig::englishTextsAndScreenshots()
{
    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    for (const char *lng : {"QorvaENG.lng", "QorvaGER.lng"}) {
        loadLanguage(lng);
        QVERIFY(config().profile().writeString("Setup", "Language", QByteArray(lng).toUpper().toStdString()));
        config().FileManN = QString::fromLatin1(ConfigDefault::kFileManDesktop);
        TfrmConfig dialog;
        // Every control with a caption has one in this language.
        for (int tag : {1, 2, 3, 4, 10, 12, 13, 15, 17, 19, 21, 23, 24, 25, 26, 27, 28, 30, 32, 33, 34, 35, 36, 37,
                        38, 39, 40, 41, 42, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 90, 91})
            QVERIFY2(!tk::langText(4900 + tag).isEmpty(), qPrintable(QString::number(tag)));
        QCOMPARE(dialog.windowTitle(), tk::langText(4901));
        QCOMPARE(dialog.PageControl1->tabText(1), tk::langText(4912));
        QCOMPARE(dialog.CDStatus->title(), tk::langText(4951).section(QLatin1Char('\n'), 0, 0));
        QCOMPARE(dialog.CDStatus->findChildren<QRadioButton *>().at(1)->text(),
                 tk::langText(4951).section(QLatin1Char('\n'), 2, 2));
        QCOMPARE(dialog.cbCDPlay->itemText(2), tk::langText(4954).section(QLatin1Char('\n'), 2, 2));
        QCOMPARE(dialog.cbComPort->itemText(3), QStringLiteral("COM4"));
        QCOMPARE(dialog.btnOK->toolTip(), tk::langText(9902).section(QLatin1Char('|'), 0, 0));
        if (shots.isEmpty())
            continue;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QString language = QString::fromLatin1(lng).mid(5, 3).toLower();
        for (int page = 0; page < 3; ++page) {
            dialog.PageControl1->setCurrentIndex(page);
            if (page == 2)
                dialog.rbNotTAPI->click();
            QTest::qWait(20);
            dialog.grab().save(shots + QStringLiteral("/config-%1-page%2.png").arg(language).arg(page + 1));
        }
    }
}

void TestfrmConfig::mainWindowOpensTheDialogOnlyWithoutChildren()
{
    TfrmZV_Main::Options options;
    options.databaseChecks = false;
    TfrmZV_Main::registerModule(Module::Books, [](QWidget *parent) { return new Stubborn(QStringLiteral("Bücher"), parent); });
    TfrmZV_Main::registerModule(Module::Videos, [](QWidget *parent) { return new QLabel(QStringLiteral("Videos"), parent); });
    TfrmZV_Main main(options);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    // A child that refuses to close keeps the dialog shut.
    main.sbtBooks->click();
    QCOMPARE(main.childWindows().size(), 1);
    QVERIFY(!whileModal([&] { main.sbtConfig->click(); }, [](TfrmConfig *) {}));
    QCOMPARE(main.childWindows().size(), 1);
    for (QMdiSubWindow *sub : main.childWindows())
        delete sub;
    QTRY_VERIFY(main.childWindows().isEmpty());

    // Otherwise every child goes first, then the dialog opens.
    main.sbtVideo->click();
    QCOMPARE(main.childWindows().size(), 1);
    int childrenWhileOpen = -1;
    QVERIFY(whileModal([&] { main.Einstellungen1->trigger(); },
                       [&](TfrmConfig *dialog) {
                           childrenWhileOpen = static_cast<int>(main.childWindows().size());
                           QCOMPARE(dialog->PageControl1->currentWidget(), dialog->TabSheet1);
                       }));
    QCOMPARE(childrenWhileOpen, 0);
    QVERIFY(!config().open(Module::Videos));
}

void TestfrmConfig::missingFileManagerLeadsToTheOptions()
{
    TfrmZV_Main::Options options;
    options.databaseChecks = false;
    config().FileManN = m_dir->filePath(QStringLiteral("no/such/filemanager"));
    TfrmZV_Main main(options);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QWidget *focused = nullptr;
    QVERIFY(whileModal([&] { main.sbtFileMgr->click(); },
                       [&](TfrmConfig *dialog) {
                           QCOMPARE(dialog->PageControl1->currentWidget(), dialog->TabSheet1);
                           focused = dialog->focusWidget();
                           QCOMPARE(focused, static_cast<QWidget *>(dialog->edOtherName));
                       }));
    QVERIFY(focused);
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
    QVERIFY(tk::MessageBox::lastText().contains(config().FileManN));
}

TESSARON_TEST(TestfrmConfig)
#include "TestfrmConfig.moc"
