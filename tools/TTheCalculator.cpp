// The calculator window: tape, display, decimals editor, information labels
// and the keys. Every button and every typed key becomes one key code for the
// engine; the window sees keys before its controls do.
#include "tools/TTheCalculator.h"

#include "tools/CalculatorEngine.h"
#include "tools/DeskTools.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tools {

namespace {

QFont tapeFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    return font;
}

void setBackground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

const QString &TTheCalculator::contactAddress()
{
    static const QString address = QStringLiteral("feedback@tessaron.example");
    return address;
}

TTheCalculator::TTheCalculator(QWidget *parent)
    : TTheCalculator(platform::FormatSettings::current(), parent)
{
}

TTheCalculator::TTheCalculator(const platform::FormatSettings &format, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_engine(std::make_unique<CalculatorEngine>(format))
    , m_decimalSeparator(format.decimalSeparator)
{
    setObjectName(QStringLiteral("TheCalculator"));
    setWindowTitle(CalculatorEngine::caption());
    buildForm();
    // The window keeps the focus itself, so Enter never presses a button and
    // every key reaches the filter first.
    setFocusPolicy(Qt::StrongFocus);
    installEventFilter(this);
    Edit1->installEventFilter(this);
    refresh();
    // As narrow as the keys allow: the tape only needs a little over 14
    // characters.
    adjustSize();
    const int tapeWidth = QFontMetrics(ScreenTicket->font()).horizontalAdvance(QString(20, QLatin1Char('x')))
        + ScreenTicket->verticalScrollBar()->sizeHint().width();
    setFixedSize(std::max(layout()->minimumSize().width(), tapeWidth + 12), height());
    centreOnScreen(this);
}

TTheCalculator::~TTheCalculator() = default;

QPushButton *TTheCalculator::makeKey(const char *name, const QString &caption, int code)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    button->setMinimumSize(40, 28);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(button, &QPushButton::clicked, this, [this, code] { handleKey(code); });
    return button;
}

void TTheCalculator::buildForm()
{
    ScreenTicket = new QTextEdit(this);
    ScreenTicket->setObjectName(QStringLiteral("ScreenTicket"));
    ScreenTicket->setReadOnly(true);
    ScreenTicket->setFocusPolicy(Qt::NoFocus);
    ScreenTicket->setFont(tapeFont());
    ScreenTicket->setLineWrapMode(QTextEdit::NoWrap);
    ScreenTicket->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QTextOption option(Qt::AlignRight);
    // The blanks after a number hold the operator column; keep them.
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    ScreenTicket->document()->setDefaultTextOption(option);
    setBackground(ScreenTicket, QColor(0xC0, 0xC0, 0xC0));
    const QFontMetrics tapeMetrics(ScreenTicket->font());
    ScreenTicket->setMinimumHeight(tapeMetrics.lineSpacing() * 10);

    Display = new QLabel(this);
    Display->setObjectName(QStringLiteral("Display"));
    Display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Display->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QFont displayFont = tapeFont();
    displayFont.setPointSize(13);
    displayFont.setBold(true);
    Display->setFont(displayFont);
    setBackground(Display, Qt::white);
    Display->setMinimumHeight(QFontMetrics(displayFont).height() + 10);

    Label1 = new QLabel(QStringLiteral("# Decimals"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setValidator(new QIntValidator(0, CalculatorEngine::kMaxDecimals, Edit1));
    Edit1->setMaxLength(1);
    Edit1->setFixedWidth(32);
    Edit1->setFocusPolicy(Qt::ClickFocus);
    Label1->setBuddy(Edit1);

    UpDown1 = new QWidget(this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    auto *upDownLayout = new QVBoxLayout(UpDown1);
    upDownLayout->setContentsMargins(0, 0, 0, 0);
    upDownLayout->setSpacing(0);
    for (int step : {1, -1}) {
        auto *arrow = new QToolButton(UpDown1);
        arrow->setObjectName(step > 0 ? QStringLiteral("UpDown1Up") : QStringLiteral("UpDown1Down"));
        arrow->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setFixedSize(18, 12);
        connect(arrow, &QToolButton::clicked, this, [this, step] { UpDown1Click(step); });
        upDownLayout->addWidget(arrow);
    }
    connect(Edit1, &QLineEdit::textChanged, this, &TTheCalculator::Edit1Change);

    Label2 = new QLabel(QStringLiteral("E-mail your comments to"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    Label3 = new QLabel(contactAddress(), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);

    // The display, the decimals editor and the information share one place.
    m_stateStack = new QStackedWidget(this);
    m_stateStack->addWidget(Display);
    auto *editorPage = new QWidget(m_stateStack);
    auto *editorLayout = new QHBoxLayout(editorPage);
    editorLayout->setContentsMargins(4, 0, 4, 0);
    editorLayout->addWidget(Label1);
    editorLayout->addStretch();
    editorLayout->addWidget(Edit1);
    editorLayout->addWidget(UpDown1);
    m_stateStack->addWidget(editorPage);
    auto *infoPage = new QWidget(m_stateStack);
    auto *infoLayout = new QVBoxLayout(infoPage);
    infoLayout->setContentsMargins(0, 0, 0, 0);
    infoLayout->setSpacing(0);
    infoLayout->addWidget(Label2);
    infoLayout->addWidget(Label3);
    m_stateStack->addWidget(infoPage);

    Button_0 = makeKey("Button_0", QStringLiteral("0"), '0');
    Button_1 = makeKey("Button_1", QStringLiteral("1"), '1');
    Button_2 = makeKey("Button_2", QStringLiteral("2"), '2');
    Button_3 = makeKey("Button_3", QStringLiteral("3"), '3');
    Button_4 = makeKey("Button_4", QStringLiteral("4"), '4');
    Button_5 = makeKey("Button_5", QStringLiteral("5"), '5');
    Button_6 = makeKey("Button_6", QStringLiteral("6"), '6');
    Button_7 = makeKey("Button_7", QStringLiteral("7"), '7');
    Button_8 = makeKey("Button_8", QStringLiteral("8"), '8');
    Button_9 = makeKey("Button_9", QStringLiteral("9"), '9');
    Button_Dec = makeKey("Button_Dec", QStringLiteral("."), CalculatorEngine::KeyDecimal);
    Button_Total = makeKey("Button_Total", QStringLiteral("="), CalculatorEngine::KeyTotal);
    Button_Plus = makeKey("Button_Plus", QStringLiteral("+"), CalculatorEngine::KeyPlus);
    Button_Minus = makeKey("Button_Minus", QStringLiteral("-"), CalculatorEngine::KeyMinus);
    Button_Times = makeKey("Button_Times", QStringLiteral("*"), CalculatorEngine::KeyTimes);
    Button_Div = makeKey("Button_Div", QStringLiteral("/"), CalculatorEngine::KeyDiv);
    Button_Percent = makeKey("Button_Percent", QStringLiteral("%"), CalculatorEngine::KeyPercent);
    Button_C = makeKey("Button_C", QStringLiteral("C"), CalculatorEngine::KeyC);
    Button_Opt = makeKey("Button_Opt", QStringLiteral("Opt"), CalculatorEngine::KeyOpt);
    Button_Print = makeKey("Button_Print", QString(), CalculatorEngine::KeyPrint);
    Button_MC = makeKey("Button_MC", QStringLiteral("MC"), CalculatorEngine::KeyMC);
    Button_MR = makeKey("Button_MR", QStringLiteral("MR"), CalculatorEngine::KeyMR);
    Button_MPlus = makeKey("Button_MPlus", QStringLiteral("M +"), CalculatorEngine::KeyMPlus);
    Button_MMinus = makeKey("Button_MMinus", QStringLiteral("M -"), CalculatorEngine::KeyMMinus);
    Button_Quit = makeKey("Button_Quit", QStringLiteral("Quit"), CalculatorEngine::KeyQuit);
    Button_Use = makeKey("Button_Use", QStringLiteral("Use"), CalculatorEngine::KeyUse);

    const QIcon printIcon = QIcon::fromTheme(QStringLiteral("document-print"));
    if (printIcon.isNull())
        Button_Print->setText(QStringLiteral("Print"));
    else
        Button_Print->setIcon(printIcon);
    Button_Print->setToolTip(QStringLiteral("Print"));
    // MR and MC come and go with the memory; the keys around them stay put.
    for (QPushButton *button : {Button_MR, Button_MC}) {
        QSizePolicy policy = button->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        button->setSizePolicy(policy);
    }

    auto *keys = new QGridLayout;
    keys->setSpacing(3);
    keys->addWidget(Button_C, 0, 0);
    keys->addWidget(Button_MC, 0, 1);
    keys->addWidget(Button_MR, 0, 2);
    keys->addWidget(Button_MMinus, 0, 3);
    keys->addWidget(Button_MPlus, 0, 4);
    keys->addWidget(Button_7, 1, 0);
    keys->addWidget(Button_8, 1, 1);
    keys->addWidget(Button_9, 1, 2);
    keys->addWidget(Button_Div, 1, 3);
    keys->addWidget(Button_Percent, 1, 4);
    keys->addWidget(Button_4, 2, 0);
    keys->addWidget(Button_5, 2, 1);
    keys->addWidget(Button_6, 2, 2);
    keys->addWidget(Button_Times, 2, 3);
    keys->addWidget(Button_Opt, 2, 4);
    keys->addWidget(Button_1, 3, 0);
    keys->addWidget(Button_2, 3, 1);
    keys->addWidget(Button_3, 3, 2);
    keys->addWidget(Button_Minus, 3, 3);
    keys->addWidget(Button_Total, 3, 4, 2, 1);
    keys->addWidget(Button_0, 4, 0, 1, 2);
    keys->addWidget(Button_Dec, 4, 2);
    keys->addWidget(Button_Plus, 4, 3);
    keys->addWidget(Button_Print, 5, 0);
    keys->addWidget(Button_Use, 5, 1, 1, 2);
    keys->addWidget(Button_Quit, 5, 3, 1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(ScreenTicket, 1);
    layout->addWidget(m_stateStack);
    layout->addLayout(keys);
}

void TTheCalculator::handleKey(int code)
{
    const CalculatorEngine::Action action = m_engine->press(code);
    refresh();
    // No control keeps the focus, so Enter never presses a button; only the
    // decimals editor takes it while it is shown.
    if (m_engine->optState() == CalculatorEngine::OptState::EditDecimals) {
        Edit1->setFocus();
        Edit1->selectAll();
    } else {
        setFocus();
    }
    switch (action) {
    case CalculatorEngine::Action::Print:
        printWithDialog();
        break;
    case CalculatorEngine::Action::Quit:
        reject();
        break;
    case CalculatorEngine::Action::Use:
        accept();
        break;
    case CalculatorEngine::Action::None:
        break;
    }
}

int TTheCalculator::keyCode(const QKeyEvent *event, QChar decimalSeparator)
{
    int code = 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        code = CalculatorEngine::KeyTotal;
        break;
    case Qt::Key_Escape:
        code = CalculatorEngine::KeyQuit;
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        code = CalculatorEngine::KeyOpt;
        break;
    case Qt::Key_Backspace:
        code = CalculatorEngine::KeyBackspace;
        break;
    default:
        if ((event->modifiers() & Qt::ControlModifier) && event->key() >= Qt::Key_A
            && event->key() <= Qt::Key_Z) {
            code = event->key() - Qt::Key_A + 1;
        } else if (!event->text().isEmpty()) {
            const QChar typed = event->text().at(0).toUpper();
            // The keypad's separator types the locale's one.
            code = typed == decimalSeparator ? int(CalculatorEngine::KeyDecimal) : int(typed.unicode());
        }
        break;
    }
    return CalculatorEngine::isKey(code) ? code : 0;
}

bool TTheCalculator::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || (watched != this && watched != Edit1))
        return QDialog::eventFilter(watched, event);
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    // While the decimals editor has the focus it takes what edits it.
    if (watched == Edit1 && Edit1->hasFocus()) {
        const int key = keyEvent->key();
        if ((key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Backspace || key == Qt::Key_Delete
            || key == Qt::Key_Left || key == Qt::Key_Right)
            return false;
    }
    const int code = keyCode(keyEvent, m_decimalSeparator);
    if (code == 0)
        return false;
    handleKey(code);
    return true;
}

void TTheCalculator::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    setFocus();
}

void TTheCalculator::Edit1Change(const QString &text)
{
    m_engine->setDecimalsText(text);
}

void TTheCalculator::UpDown1Click(int step)
{
    bool ok = false;
    int value = Edit1->text().toInt(&ok);
    if (!ok)
        value = m_engine->decimals();
    Edit1->setText(QString::number(std::clamp(value + step, 0, int(CalculatorEngine::kMaxDecimals))));
}

void TTheCalculator::refresh()
{
    Display->setText(m_engine->displayText());
    const auto state = m_engine->optState();
    m_stateStack->setCurrentIndex(static_cast<int>(state));
    if (state == CalculatorEngine::OptState::EditDecimals && Edit1->text() != m_engine->decimalsText())
        Edit1->setText(m_engine->decimalsText());
    Button_MR->setVisible(m_engine->memoryKeysVisible());
    Button_MC->setVisible(m_engine->memoryKeysVisible());

    const QStringList &tape = m_engine->tape();
    if (m_tapeLinesShown < tape.size()) {
        QTextCursor cursor(ScreenTicket->document());
        cursor.movePosition(QTextCursor::End);
        for (; m_tapeLinesShown < tape.size(); ++m_tapeLinesShown) {
            if (m_tapeLinesShown > 0)
                cursor.insertBlock();
            cursor.insertText(tape.at(m_tapeLinesShown));
        }
        ScreenTicket->verticalScrollBar()->setValue(ScreenTicket->verticalScrollBar()->maximum());
    }
}

bool TTheCalculator::printTape(QPrinter *printer) const
{
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    const QFont font(ScreenTicket->font(), printer);
    painter.setFont(font);
    const QFontMetrics metrics(font, printer);
    const int pageHeight = painter.viewport().height();
    int y = metrics.ascent();
    for (const QString &line : m_engine->tape()) {
        if (y + metrics.descent() > pageHeight) {
            printer->newPage();
            y = metrics.ascent();
        }
        painter.drawText(0, y, line);
        y += metrics.lineSpacing();
    }
    return painter.end();
}

void TTheCalculator::printWithDialog()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printTape(&printer);
}

} // namespace tools
