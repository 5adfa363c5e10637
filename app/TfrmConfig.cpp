// The configuration dialog's form. The rules of storing live in
// ConfigChoices; this file moves values between them and the controls.
#include "app/TfrmConfig.h"

#include "app/Language.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"
#include "util/Ansi.h"
#include "util/TextUtil.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QValidator>
#include <QVBoxLayout>

#include <cstring>

namespace {

constexpr int kBase = 4900;
constexpr int kTextWriteFailed = 4990;
constexpr int kTextChooseDirectory = 4991;
constexpr int kMaxDataDirectory = 128;

const char kRestartText[] = "Please restart Tessaron to apply these changes.\n"
                            "If you should encounter display problems, please check the help file.";

TfrmConfig::DirectoryChooser &directoryChooser()
{
    static TfrmConfig::DirectoryChooser chooser = [](QWidget *parent, const QString &start) {
        return QFileDialog::getExistingDirectory(parent, LangText(kTextChooseDirectory), start);
    };
    return chooser;
}

template <class T>
T *named(T *object, const char *name, int tag)
{
    object->setObjectName(QString::fromLatin1(name));
    tk::setTag(object, tag);
    return object;
}

QLabel *label(QWidget *parent, const char *name, int tag, const char *caption)
{
    return named(new QLabel(QString::fromUtf8(caption), parent), name, tag);
}

QLineEdit *edit(QWidget *parent, const char *name, int tag, int maxLength)
{
    auto *e = named(new QLineEdit(parent), name, tag);
    e->setMaxLength(maxLength);
    return e;
}

QCheckBox *check(QWidget *parent, const char *name, int tag, const char *caption)
{
    return named(new QCheckBox(QString::fromUtf8(caption), parent), name, tag);
}

QRadioButton *radio(QWidget *parent, const char *name, int tag, const char *caption)
{
    return named(new QRadioButton(QString::fromUtf8(caption), parent), name, tag);
}

QToolButton *speedButton(QWidget *parent, const char *name, int tag, const char *caption)
{
    auto *b = named(new QToolButton(parent), name, tag);
    b->setText(QString::fromUtf8(caption));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

// A radio group: a titled box whose items are its direct radio children, in
// order, so the translator replaces caption and items from one text.
QGroupBox *radioGroup(QWidget *parent, const char *name, int tag, const char *caption,
                      std::initializer_list<const char *> items, int columns, QButtonGroup *buttons)
{
    auto *group = named(new QGroupBox(QString::fromUtf8(caption), parent), name, tag);
    group->setProperty("RadioGroup", true);
    auto *layout = new QGridLayout(group);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setVerticalSpacing(2);
    int i = 0;
    for (const char *item : items) {
        auto *button = new QRadioButton(QString::fromUtf8(item), group);
        button->setObjectName(QStringLiteral("%1Item%2").arg(QString::fromLatin1(name)).arg(i));
        buttons->addButton(button, i);
        layout->addWidget(button, i / columns, i % columns);
        ++i;
    }
    return group;
}

// Lets through only what Tessaron.INI can hold: a password character the
// code page lacks would be stored as "?" and lock the user out.
class AnsiValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        bool ok = false;
        toAnsi(input, &ok);
        return ok ? Acceptable : Invalid;
    }
};

void checkItem(QButtonGroup *group, int id)
{
    if (QAbstractButton *b = group->button(id))
        b->setChecked(true);
}

} // namespace

void TfrmConfig::setDirectoryChooser(DirectoryChooser chooser)
{
    directoryChooser() = std::move(chooser);
}

TfrmConfig::TfrmConfig(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Einstellungen"));
    tk::setTag(this, 1);
    setModal(true);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = named(createPersonalPage(), "TabSheet1", 10);
    TabSheet3 = named(createProgramPage(), "TabSheet3", 12);
    TabSheet4 = named(createCommunicationPage(), "TabSheet4", 13);
    PageControl1->addTab(TabSheet1, QStringLiteral("Persönlich"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Programm"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Kommunikation"));

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    btnOK = speedButton(panel, "btnOK", 2, "&OK");
    btnCancel = speedButton(panel, "btnCancel", 3, "&Abbruch");
    btnHelp = speedButton(panel, "btnHelp", 4, "&Hilfe");
    btnHelp->setEnabled(false);
    auto *buttons = new QVBoxLayout(panel);
    buttons->setContentsMargins(0, 22, 0, 0);
    for (QToolButton *b : {btnOK, btnCancel, btnHelp}) {
        b->setFixedSize(76, 28);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(panel);

    tk::translateWindow(this, kBase);

    const Config &cfg = config();
    fillFromRecord(cfg);
    fillLanguages(cfg);
    for (QToolButton *b : {btnOK, btnCancel, btnHelp, sbtDirSelect})
        b->setAutoRaise(cfg.Style97);
    PageControl1->setCurrentWidget(TabSheet1);

    connect(btnOK, &QToolButton::clicked, this, &TfrmConfig::btnOKClick);
    connect(btnCancel, &QToolButton::clicked, this, &QDialog::reject);
    connect(m_dialRoute, &QButtonGroup::idClicked, this, &TfrmConfig::rbTAPIClick);
    connect(m_fileMan, &QButtonGroup::idClicked, this, &TfrmConfig::FileManClick);
    connect(edOtherName, &QLineEdit::textChanged, this, &TfrmConfig::edOtherNameChange);
    connect(sbtDirSelect, &QToolButton::clicked, this, &TfrmConfig::sbtDirSelectClick);

    setFixedSize(layout->totalSizeHint().expandedTo(QSize(506, 350)));
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

QWidget *TfrmConfig::createPersonalPage()
{
    auto *page = new QWidget;
    Label3 = label(page, "Label3", 15, "Ihr &Name:");
    teName = edit(page, "teName", 16, ConfigWidth::kName);
    Label5 = label(page, "Label5", 17, "Ihre &Adresse:");
    teAdresse = edit(page, "teAdresse", 18, ConfigWidth::kAdresse);
    Label1 = label(page, "Label1", 19, "Ihre &Telefon-Nr.:");
    teTelefon = edit(page, "teTelefon", 20, 50);
    Label10 = label(page, "Label10", 49, "Ihr e-mail:");
    edEmail = edit(page, "edEmail", 50, ConfigWidth::kEmail);
    Label4 = label(page, "Label4", 21, "&Datenbank-Verzeichnis:");
    teZVData = edit(page, "teZVData", 22, kMaxDataDirectory);
    sbtDirSelect = speedButton(page, "sbtDirSelect", 23, "..");
    sbtDirSelect->setFixedWidth(26);
    Label8 = label(page, "Label8", 24, "Datei-Manager:");
    rbDirTree = radio(page, "rbDirTree", 25, "DirTree");
    rbWinCmd = radio(page, "rbWinCmd", 26, "Windows Commander");
    rbExplorer = radio(page, "rbExplorer", 27, "Windows Explorer");
    rbOther = radio(page, "rbOther", 28, "anderer:");
    edOtherName = edit(page, "edOtherName", 29, ConfigWidth::kFileManN);
    m_fileMan = new QButtonGroup(this);
    m_fileMan->addButton(rbDirTree, 1);
    m_fileMan->addButton(rbWinCmd, 2);
    m_fileMan->addButton(rbExplorer, 3);
    m_fileMan->addButton(rbOther, 4);
    m_calc = new QButtonGroup(this);
    rgCalc = radioGroup(page, "rgCalc", 52, "Rechner", {"intern", "Windows-Taschenrechner"}, 2, m_calc);

    Label3->setBuddy(teName);
    Label5->setBuddy(teAdresse);
    Label1->setBuddy(teTelefon);
    Label10->setBuddy(edEmail);
    Label4->setBuddy(teZVData);

    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setVerticalSpacing(4);
    int row = 0;
    for (auto [l, e] : {std::pair{Label3, teName}, {Label5, teAdresse}, {Label1, teTelefon}, {Label10, edEmail}}) {
        grid->addWidget(l, row, 0);
        grid->addWidget(e, row++, 1, 1, 2);
    }
    grid->addWidget(Label4, row, 0);
    grid->addWidget(teZVData, row, 1);
    grid->addWidget(sbtDirSelect, row++, 2);
    grid->addWidget(Label8, row, 0);
    auto *managers = new QGridLayout;
    managers->setVerticalSpacing(2);
    managers->addWidget(rbDirTree, 0, 0);
    managers->addWidget(rbWinCmd, 0, 1);
    managers->addWidget(rbExplorer, 1, 0, 1, 2);
    managers->addWidget(rbOther, 2, 0);
    managers->addWidget(edOtherName, 2, 1);
    managers->setColumnStretch(1, 1);
    grid->addLayout(managers, row++, 1, 1, 2);
    grid->addWidget(rgCalc, row++, 0, 1, 3);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget *TfrmConfig::createProgramPage()
{
    auto *page = new QWidget;
    Label2 = label(page, "Label2", 30, "Programm-&Passwort:");
    tePassword = edit(page, "tePassword", 31, ConfigWidth::kPassword);
    tePassword->setEchoMode(QLineEdit::Password);
    tePassword->setValidator(new AnsiValidator(tePassword));
    tePassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // '*'
    Label2->setBuddy(tePassword);
    Label6 = label(page, "Label6", 32, "Beim Programmstart folgende &Fenster automatisch öffnen:");
    cbAdressen = check(page, "cbAdressen", 33, "Adressen");
    cbTermine = check(page, "cbTermine", 34, "Termine");
    cbMusik = check(page, "cbMusik", 35, "Musik");
    cbDiskette = check(page, "cbDiskette", 36, "Disketten");
    cbVideo = check(page, "cbVideo", 37, "Video");
    cbBooks = check(page, "cbBooks", 38, "Bücherei");
    cbDiskette->setEnabled(false);
    Label6->setBuddy(cbAdressen);
    cb97Style = check(page, "cb97Style", 39, "Buttons im Windows98-Look");
    m_cdStatus = new QButtonGroup(this);
    CDStatus = radioGroup(page, "CDStatus", 51, "CD-Status anzeigen:",
                          {"Track time elapsed", "Track time remaining", "CD time elapsed", "CD time remaining"}, 2,
                          m_cdStatus);
    lblCDPlay = label(page, "lblCDPlay", 53, "CD-&Wiedergabe:");
    cbCDPlay = named(new QComboBox(page), "cbCDPlay", 54);
    cbCDPlay->addItems({QStringLiteral("automatisch"), QStringLiteral("analog"), QStringLiteral("digital")});
    lblCDPlay->setBuddy(cbCDPlay);
    Label11 = label(page, "Label11", 0, "Preferred language:");
    cbLang = named(new QComboBox(page), "cbLang", 256);
    // Name and file stand in columns, as the list lines them up by position.
    cbLang->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cbLang->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Label11->setBuddy(cbLang);

    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setVerticalSpacing(4);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(tePassword, 0, 1);
    grid->addWidget(Label6, 1, 0, 1, 3);
    auto *windows = new QGridLayout;
    windows->setContentsMargins(12, 0, 0, 0);
    windows->setVerticalSpacing(2);
    int i = 0;
    for (QCheckBox *c : {cbAdressen, cbTermine, cbMusik, cbDiskette, cbVideo, cbBooks}) {
        windows->addWidget(c, i / 3, i % 3);
        ++i;
    }
    grid->addLayout(windows, 2, 0, 1, 3);
    grid->addWidget(cb97Style, 3, 0, 1, 3);
    grid->addWidget(CDStatus, 4, 0, 1, 3);
    grid->addWidget(lblCDPlay, 5, 0);
    grid->addWidget(cbCDPlay, 5, 1, 1, 2);
    grid->addWidget(Label11, 6, 0, 1, 3);
    grid->addWidget(cbLang, 7, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(8, 1);
    return page;
}

QWidget *TfrmConfig::createCommunicationPage()
{
    auto *page = new QWidget;
    Label7 = label(page, "Label7", 40, "Telefon - Direktwahl:");
    rbTAPI = radio(page, "rbTAPI", 41, "über Windows95-&TAPI");
    rbNotTAPI = radio(page, "rbNotTAPI", 42, "&direkt, gemäß:   Initialisierung:");
    m_dialRoute = new QButtonGroup(this);
    m_dialRoute->addButton(rbTAPI, 1);
    m_dialRoute->addButton(rbNotTAPI, 0);
    teCOMInit = edit(page, "teCOMInit", 43, ConfigWidth::kCOMInit);
    cbComPort = named(new QComboBox(page), "cbComPort", 44);
    cbComPort->addItems({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4")});
    cbDialMode = named(new QComboBox(page), "cbDialMode", 45);
    cbDialMode->addItems({QStringLiteral("Tonwahl"), QStringLiteral("Pluswahl")});
    cbMailTo = check(page, "cbMailTo", 46, "bei e-mail-Aufrufen \"mailto:\" vor die Adresse plazieren");
    cbXELLog = check(page, "cbXELLog", 47, "Programmstarts und Parameter protokollieren [.LOG]");
    cbPlzAuto = check(page, "cbPlzAuto", 48, "Adreßdaten: Vorwahl automatisch eintragen");
    spCDDBTimeout = named(new QSpinBox(page), "spCDDBTimeout", 0);
    spCDDBTimeout->setRange(kCddbTimeOutMin, kCddbTimeOutMax);
    Label9 = label(page, "Label9", 50, "Sekunden Timeout bei CDDB-Abfragen erlauben");
    Label9->setBuddy(spCDDBTimeout);

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(Label7);
    layout->addWidget(rbTAPI);
    auto *direct = new QHBoxLayout;
    direct->addWidget(rbNotTAPI);
    direct->addWidget(teCOMInit, 1);
    layout->addLayout(direct);
    auto *modem = new QHBoxLayout;
    modem->setContentsMargins(22, 0, 0, 0);
    modem->addWidget(cbComPort);
    modem->addWidget(cbDialMode);
    modem->addStretch(1);
    layout->addLayout(modem);
    layout->addSpacing(10);
    layout->addWidget(cbMailTo);
    layout->addWidget(cbXELLog);
    layout->addWidget(cbPlzAuto);
    layout->addSpacing(10);
    auto *timeout = new QHBoxLayout;
    timeout->addWidget(spCDDBTimeout);
    timeout->addWidget(Label9, 1);
    layout->addLayout(timeout);
    layout->addStretch(1);
    return page;
}

void TfrmConfig::fillFromRecord(const Config &cfg)
{
    const ConfigChoices c = ConfigChoices::fromRecord(cfg);
    teName->setText(c.name);
    teAdresse->setText(c.adresse);
    teTelefon->setText(c.telefon);
    edEmail->setText(c.email);
    teZVData->setText(c.zvData);
    checkItem(m_fileMan, c.fileMan);
    edOtherName->setText(c.fileManN);
    edOtherNameChange();
    checkItem(m_calc, c.calculator ? 0 : 1);

    tePassword->setText(c.password);
    const std::array<QCheckBox *, kModuleCount> boxes{cbAdressen, cbTermine, cbMusik, cbDiskette, cbVideo, cbBooks};
    for (int i = 0; i < kModuleCount; ++i)
        boxes[i]->setChecked(c.openAtStart[i]);
    cb97Style->setChecked(c.style97);
    checkItem(m_cdStatus, c.cdStatus);
    cbCDPlay->setCurrentIndex(static_cast<int>(c.cdPlay));

    (c.tapi ? rbTAPI : rbNotTAPI)->setChecked(true);
    teCOMInit->setText(c.comInit);
    cbComPort->setCurrentIndex(c.comPort >= 1 && c.comPort <= 4 ? c.comPort - 1 : -1);
    cbDialMode->setCurrentIndex(c.dialMode == QLatin1String("T") ? 0 : 1);
    rbTAPIClick();
    cbMailTo->setChecked(c.mailTo);
    cbXELLog->setChecked(c.xelLog);
    cbPlzAuto->setChecked(c.plzAuto);
    spCDDBTimeout->setValue(c.cddbTimeOut);
}

void TfrmConfig::fillLanguages(const Config &cfg)
{
    const QStringList entries = languageEntries(cfg.shareDir());
    cbLang->addItems(entries);
    m_languageIndex = languageIndex(entries, storedLanguage(cfg));
    cbLang->setCurrentIndex(m_languageIndex < entries.size() ? m_languageIndex : -1);
}

ConfigChoices TfrmConfig::choices() const
{
    ConfigChoices c;
    c.name = teName->text();
    c.adresse = teAdresse->text();
    c.telefon = teTelefon->text();
    c.email = edEmail->text();
    c.zvData = teZVData->text();
    c.fileMan = m_fileMan->checkedId() > 0 ? m_fileMan->checkedId() : 4;
    c.fileManN = edOtherName->text();
    c.calculator = m_calc->checkedId() == 0;

    c.password = tePassword->text();
    const std::array<QCheckBox *, kModuleCount> boxes{cbAdressen, cbTermine, cbMusik, cbDiskette, cbVideo, cbBooks};
    for (int i = 0; i < kModuleCount; ++i)
        c.openAtStart[i] = boxes[i]->isChecked();
    c.style97 = cb97Style->isChecked();
    c.cdStatus = qMax(0, m_cdStatus->checkedId());
    c.cdPlay = cdPlayModeOf(cbCDPlay->currentIndex());

    c.tapi = rbTAPI->isChecked();
    c.comInit = teCOMInit->text();
    // By position: the items' captions may be translated.
    c.comPort = cbComPort->currentIndex() + 1;
    const int mode = cbDialMode->currentIndex();
    c.dialMode = mode < 0 ? QString() : mode == 0 ? QStringLiteral("T") : QStringLiteral("P");
    c.mailTo = cbMailTo->isChecked();
    c.xelLog = cbXELLog->isChecked();
    c.plzAuto = cbPlzAuto->isChecked();
    c.cddbTimeOut = spCDDBTimeout->value();
    return c;
}

void TfrmConfig::showFileManagerChoice()
{
    PageControl1->setCurrentWidget(TabSheet1);
    edOtherName->setFocus();
    edOtherName->selectAll();
}

void TfrmConfig::btnOKClick()
{
    Config &cfg = config();
    const ConfigChoices c = choices();
    storeChoices(cfg, c);
    int error = 0;
    bool written = writeChoices(cfg, c, &error);

    const int selected = cbLang->currentIndex();
    const bool languageChanged = selected >= 0 && selected != m_languageIndex;
    if (languageChanged || dataDirectoryChanged(cfg, c)) {
        tk::MessageBox::information(this, QString::fromLatin1(kRestartText));
        if (selected >= 0 && written)
            written = writeLanguage(cfg, cbLang->itemText(selected), &error);
    }
    if (!written)
        tk::MessageBox::error(this, tk::formatText(LangText(kTextWriteFailed),
                                                   {cfg.iniPath(), QString::fromLocal8Bit(std::strerror(error))}));
    accept();
}

void TfrmConfig::rbTAPIClick()
{
    const bool modem = rbNotTAPI->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{teCOMInit, cbComPort, cbDialMode})
        w->setEnabled(modem);
}

void TfrmConfig::FileManClick(int choice)
{
    const QString preset = fileManagerPreset(choice);
    if (!preset.isEmpty())
        edOtherName->setText(preset);
}

void TfrmConfig::edOtherNameChange()
{
    QPalette palette = edOtherName->parentWidget()->palette();
    if (!fileManagerExists(edOtherName->text()))
        palette.setColor(QPalette::Text, Qt::red);
    edOtherName->setPalette(palette);
}

void TfrmConfig::sbtDirSelectClick()
{
    const QString chosen = directoryChooser()(this, teZVData->text());
    if (chosen.isEmpty())
        return;
    const QString stripped = StripTrailing(QLatin1Char('/'), chosen);
    teZVData->setText((stripped.isEmpty() ? QStringLiteral("/") : stripped).left(kMaxDataDirectory));
}
