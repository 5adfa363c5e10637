// The calculator window: an adding machine with a paper tape, opened modally
// from the main window. The arithmetic lives in CalculatorEngine; this window
// forwards keys and button codes to it and shows the display and the tape.
#pragma once

#include <QDialog>

#include <memory>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QStackedWidget;
class QTextEdit;
class QToolButton;

namespace platform {
struct FormatSettings;
}

namespace tools {

class CalculatorEngine;

class TTheCalculator : public QDialog {
    Q_OBJECT

public:
    // The contact shown in the information state (Opt pressed twice).
    static const QString &contactAddress();

    // Builds the window with a fresh calculator. Number texts follow the
    // process-wide format settings, or `format` when given.
    explicit TTheCalculator(QWidget *parent = nullptr);
    TTheCalculator(const platform::FormatSettings &format, QWidget *parent);
    ~TTheCalculator() override;
    TTheCalculator(const TTheCalculator &) = delete;
    TTheCalculator &operator=(const TTheCalculator &) = delete;

    // Handles one key code exactly as the matching button does: updates the
    // display and the tape, prints, or ends the dialog (accepted after Use,
    // rejected after Quit or Escape).
    void handleKey(int code);

    // The key code a key event stands for, or 0 when the calculator has no
    // key for it: the typed character in upper case, Enter as "=", the
    // locale's decimal separator as ".", Ctrl+letter as its control code.
    static int keyCode(const QKeyEvent *event, QChar decimalSeparator);

    // Prints every tape line in the tape's font, one text line each,
    // starting new pages as needed. Returns false when painting could not
    // begin on `printer`.
    bool printTape(QPrinter *printer) const;

    // The engine, for inspection; owned by the window.
    const CalculatorEngine &engine() const { return *m_engine; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void Edit1Change(const QString &text);
    void UpDown1Click(int step);

private:
    void buildForm();
    QPushButton *makeKey(const char *name, const QString &caption, int code);
    void refresh();
    void printWithDialog();

    std::unique_ptr<CalculatorEngine> m_engine;
    QChar m_decimalSeparator;
    qsizetype m_tapeLinesShown = 0;
    bool m_centred = false;

    QTextEdit *ScreenTicket = nullptr;
    QStackedWidget *m_stateStack = nullptr;
    QLabel *Display = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QWidget *UpDown1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;

    QPushButton *Button_0 = nullptr;
    QPushButton *Button_1 = nullptr;
    QPushButton *Button_2 = nullptr;
    QPushButton *Button_3 = nullptr;
    QPushButton *Button_4 = nullptr;
    QPushButton *Button_5 = nullptr;
    QPushButton *Button_6 = nullptr;
    QPushButton *Button_7 = nullptr;
    QPushButton *Button_8 = nullptr;
    QPushButton *Button_9 = nullptr;
    QPushButton *Button_Dec = nullptr;
    QPushButton *Button_Total = nullptr;
    QPushButton *Button_Plus = nullptr;
    QPushButton *Button_Minus = nullptr;
    QPushButton *Button_Times = nullptr;
    QPushButton *Button_Div = nullptr;
    QPushButton *Button_Percent = nullptr;
    QPushButton *Button_C = nullptr;
    QPushButton *Button_Opt = nullptr;
    QPushButton *Button_Print = nullptr;
    QPushButton *Button_MC = nullptr;
    QPushButton *Button_MR = nullptr;
    QPushButton *Button_MPlus = nullptr;
    QPushButton *Button_MMinus = nullptr;
    QPushButton *Button_Quit = nullptr;
    QPushButton *Button_Use = nullptr;
};

} // namespace tools
