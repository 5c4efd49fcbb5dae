#include "ui/Help.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <string_view>

namespace ui {
namespace {

const QColor PaleYellow(0xFF, 0xFF, 0xE1);

struct Column
{
    const char* name;
    int left, width;
    const char* lines[13];
};

// Read across: a button, its key; an empty cell is an empty line.
constexpr Column columns[] = {
    {"memButton1", 16, 43, {"0-9", "00", "000", "", ".", "+/-", "", "/", "*", "-", "+", "", "="}},
    {"memKeyboard1", 96, 47, {"0-9", "z", "x", "", ".", "F9", "", "/", "*", "-", "+", "", "Enter"}},
    {"memButton2",
     216,
     81,
     {"sqrt", "%", "1/x", "", "Backspace", "CE", "C", "", "MC", "MR", "MS", "M+", "M-"}},
    {"memKeyboard2",
     320,
     77,
     {"@", "%", "r", "", "Backspace", "Delete", "Esc", "", "Ctrl+L", "Ctrl+R", "Ctrl+M", "Ctrl+A", "Ctrl+S"}},
};

} // namespace

TfrmHelp::TfrmHelp(QWidget* owner, QChar decimalSeparator)
    : NoCancelDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Keyboard Equivalents"));
    setModal(false);
    setFixedSize(406, 343);
    const DesignFonts fonts;
    setFont(fonts.Font("MS Sans Serif", 11));
    QPalette face = palette();
    face.setColor(QPalette::Window, palette().color(QPalette::Button));
    setPalette(face);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel"));
    panel->setGeometry(0, 0, 406, 299);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(3);
    panel->setAutoFillBackground(true);
    QPalette yellow = panel->palette();
    yellow.setColor(QPalette::Window, PaleYellow);
    yellow.setColor(QPalette::Base, PaleYellow);
    // A fixed background gets fixed text colours: the desktop's may be light.
    yellow.setColor(QPalette::WindowText, Qt::black);
    yellow.setColor(QPalette::Text, Qt::black);
    panel->setPalette(yellow);

    const std::pair<const char*, QRect> headings[] = {
        {"lblButton1", {16, 16, 44, 16}},
        {"lblKeyboard1", {96, 16, 68, 16}},
        {"lblButton2", {216, 16, 44, 16}},
        {"lblKeyboard2", {320, 16, 68, 16}},
    };
    for (const auto& [name, rect] : headings) {
        auto* l = new QLabel(
            QString::fromLatin1(std::string_view(name).find("Button") != std::string_view::npos ? "Button"
                                                                                                : "Keyboard"),
            panel);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(rect);
        l->setFont(fonts.Font("MS Sans Serif", 13, true, true));
    }

    auto* divider = new LineBevel(LineBevel::Side::Left, panel);
    divider->setObjectName(QStringLiteral("bvlLine"));
    divider->setGeometry(200, 48, 9, 197);

    for (const Column& c : columns) {
        auto* m = new QPlainTextEdit(panel);
        m->setObjectName(QString::fromLatin1(c.name));
        m->setGeometry(c.left, 40, c.width, 217);
        m->setFrameStyle(QFrame::NoFrame);
        m->setReadOnly(true);
        m->setLineWrapMode(QPlainTextEdit::NoWrap);
        m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m->setFont(fonts.Font("MS Sans Serif", 13));
        m->setPalette(yellow);
        m->viewport()->setCursor(Qt::ArrowCursor);
        m->document()->setDocumentMargin(0);
        QStringList lines;
        for (const char* line : c.lines) // the decimal key is shown with the locale's separator
            lines << (line == std::string_view(".") ? QString(decimalSeparator) : QString::fromLatin1(line));
        m->setPlainText(lines.join(QLatin1Char('\n')));
        m->setTextInteractionFlags(Qt::NoTextInteraction);
        m->installEventFilter(this);
    }

    // What the table has no row for: the commands on the tape's lines.
    auto* more = new QLabel(QStringLiteral("Ctrl+Shift+C copies the display without grouping.\n"
                                           "A double click on a tape line uses its value."),
                            panel);
    more->setObjectName(QStringLiteral("lblMore"));
    more->setGeometry(16, 262, 380, 30);
    more->setFont(fonts.Font("MS Sans Serif", 11));

    btnClose_ = new QPushButton(QStringLiteral("Close"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    btnClose_->setGeometry(166, 310, 75, 25);
    btnClose_->setDefault(true);
    connect(btnClose_, &QPushButton::clicked, this, &TfrmHelp::btnCloseClick);
    btnClose_->setFocus(Qt::OtherFocusReason);
}

void TfrmHelp::btnCloseClick()
{
    hide();
}

void TfrmHelp::memButton1Enter()
{
    btnClose_->setFocus(Qt::OtherFocusReason);
}

bool TfrmHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && qobject_cast<QPlainTextEdit*>(watched) != nullptr)
        memButton1Enter();
    return NoCancelDialog::eventFilter(watched, event);
}

} // namespace ui
