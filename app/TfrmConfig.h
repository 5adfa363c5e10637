// The configuration dialog: owner data, data directory, file manager and
// calculator, access password, start windows, button style, CD display and
// playback, language, dialling, e-mail, log and CDDB time-out.
//
// Created for one use: it fills itself from the configuration record; OK
// stores the settings in the record and in Tessaron.INI (language and data
// directory take effect at the next start, which it tells the user),
// Cancel stores nothing.
#pragma once

#include "app/ConfigChoices.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QWidget;

class TfrmConfig : public QDialog {
    Q_OBJECT

public:
    explicit TfrmConfig(QWidget *parent = nullptr);

    // The settings as the controls show them now.
    ConfigChoices choices() const;

    // Shows the page with the file manager and puts the focus on its
    // program field.
    void showFileManagerChoice();

    // The index of the configured language's entry when the dialog opened;
    // the number of entries when it was not in the list.
    int rememberedLanguageIndex() const { return m_languageIndex; }

    // Asks for a directory, starting at `start`; returns the chosen one or
    // an empty text. The default is the desktop's directory chooser; tests
    // replace it.
    using DirectoryChooser = std::function<QString(QWidget *parent, const QString &start)>;
    static void setDirectoryChooser(DirectoryChooser chooser);

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet3 = nullptr, *TabSheet4 = nullptr;
    QToolButton *btnOK = nullptr, *btnCancel = nullptr, *btnHelp = nullptr;

    // Page "Persönlich".
    QLabel *Label3 = nullptr, *Label5 = nullptr, *Label1 = nullptr, *Label10 = nullptr, *Label4 = nullptr,
           *Label8 = nullptr;
    QLineEdit *teName = nullptr, *teAdresse = nullptr, *teTelefon = nullptr, *edEmail = nullptr,
              *teZVData = nullptr, *edOtherName = nullptr;
    QToolButton *sbtDirSelect = nullptr;
    QRadioButton *rbDirTree = nullptr, *rbWinCmd = nullptr, *rbExplorer = nullptr, *rbOther = nullptr;
    QGroupBox *rgCalc = nullptr;

    // Page "Programm".
    QLabel *Label2 = nullptr, *Label6 = nullptr, *Label11 = nullptr, *lblCDPlay = nullptr;
    QLineEdit *tePassword = nullptr;
    QCheckBox *cbAdressen = nullptr, *cbTermine = nullptr, *cbMusik = nullptr, *cbDiskette = nullptr,
              *cbVideo = nullptr, *cbBooks = nullptr, *cb97Style = nullptr;
    QGroupBox *CDStatus = nullptr;
    QComboBox *cbCDPlay = nullptr, *cbLang = nullptr;

    // Page "Kommunikation".
    QLabel *Label7 = nullptr, *Label9 = nullptr;
    QRadioButton *rbTAPI = nullptr, *rbNotTAPI = nullptr;
    QLineEdit *teCOMInit = nullptr;
    QComboBox *cbComPort = nullptr, *cbDialMode = nullptr;
    QCheckBox *cbMailTo = nullptr, *cbXELLog = nullptr, *cbPlzAuto = nullptr;
    QSpinBox *spCDDBTimeout = nullptr;

private slots:
    void btnOKClick();
    void rbTAPIClick();
    void FileManClick(int choice);
    void edOtherNameChange();
    void sbtDirSelectClick();

private:
    QWidget *createPersonalPage();
    QWidget *createProgramPage();
    QWidget *createCommunicationPage();
    void fillFromRecord(const Config &cfg);
    void fillLanguages(const Config &cfg);

    QButtonGroup *m_fileMan = nullptr;
    QButtonGroup *m_calc = nullptr;
    QButtonGroup *m_cdStatus = nullptr;
    QButtonGroup *m_dialRoute = nullptr;
    int m_languageIndex = 0;
};
