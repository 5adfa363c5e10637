// The month calendar window: a month grid with a headline, buttons that move
// by month and year, a button back to today, and two smaller sizes (grid
// without the button row, headline only). It reads and writes no data.
#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QLabel;
class QPushButton;

namespace tools {

class TfrmCalendar : public QDialog {
    Q_OBJECT

public:
    // Text numbers of the window: base 0, so each Tag is its own number.
    static constexpr int kTranslationBase = 0;

    // How much of the window shows: everything, the grid without the button
    // row, or the headline row only.
    enum class Size { Full, NoButtons, OneLine };

    // Builds the window on today's date, translated from the current
    // language; `flatButtons` gives the buttons the flat look.
    explicit TfrmCalendar(QWidget *parent = nullptr, bool flatButtons = true);
    TfrmCalendar(const TfrmCalendar &) = delete;
    TfrmCalendar &operator=(const TfrmCalendar &) = delete;

    QDate selectedDate() const;
    // Today as the window saw it when it opened.
    QDate today() const { return m_today; }
    Size currentSize() const { return m_size; }

    // "8. Dezember 1999": day, fixed German month name, four-digit year.
    static QString headline(const QDate &date);
    // "8.12.1999": day, month and year without leading zeros.
    static QString shortDate(const QDate &date);
    // The fixed German name of month 1 to 12; empty for any other number.
    static QString monthName(int month);

private slots:
    void ZVCalendarChange();
    void btntodayClick();
    void ExpandBtnClick();
    void ShrinkBtnClick();
    void BitBtnPrevMnthClick();
    void BitBtnPrevYrClick();
    void BitBtnNextYrClick();
    void BitBtnNextMnthClick();
    void BtnOneLineClick();

private:
    void buildForm(bool flatButtons);
    void FormCreate();
    void applySize(Size size);
    void moveTo(const QDate &date);

    QDate m_today;
    Size m_size = Size::Full;
    QWidget *m_buttonRow = nullptr;

    QLabel *PanelMnth = nullptr;
    QPushButton *btntoday = nullptr;
    QPushButton *ExpandBtn = nullptr;
    QPushButton *ShrinkBtn = nullptr;
    QCalendarWidget *ZVCalendar = nullptr;
    QPushButton *BitBtnPrevMnth = nullptr;
    QPushButton *BitBtnPrevYr = nullptr;
    QPushButton *BitBtnNextYr = nullptr;
    QPushButton *BitBtnNextMnth = nullptr;
    QPushButton *BtnOneLine = nullptr;
};

} // namespace tools
