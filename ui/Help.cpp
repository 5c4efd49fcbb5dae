#include "ui/Help.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <mutex>
#include <string_view>
#include <vector>

#include "ui/Keypad.h"

namespace ui {
namespace {

const QColor PaleYellow(0xFF, 0xFF, 0xE1);

struct Column
{
    const char* name;
    int left, width;
    const char* lines[13];
};

// Read across: a button, its key; an empty cell is an empty line. The adding machine's keys, which
// have no button, are named by what they print (#, Subtotal, GT).
constexpr Column columns[] = {
    {"memButton1", 16, 43, {"0-9", "00", "000", "", ".", "+/-", "#", "/", "*", "-", "+", "", "="}},
    {"memKeyboard1", 96, 47, {"0-9", "z", "x", "", ".", "F9", "#", "/", "*", "-", "+", "", "Enter"}},
    {"memButton2",
     216,
     81,
     {"sqrt", "%", "1/x", "Subtotal", "Backspace", "CE", "C", "GT", "MC", "MR", "MS", "M+", "M-"}},
    {"memKeyboard2",
     320,
     77,
     {"@", "%", "r", "s", "Backspace", "Delete", "Esc", "g", "Ctrl+L", "Ctrl+R", "Ctrl+M", "Ctrl+A",
      "Ctrl+S"}},
};

// A button's cell as it is spoken: the keypad's spoken name of the key with that caption.
QString SpokenButton(const QString& cell)
{
    if (cell == QLatin1String("0-9"))
        return QStringLiteral("Digits 0 to 9");
    if (cell == QLatin1String(".") || cell == QLatin1String(","))
        return QStringLiteral("Decimal point"); // whichever the locale's decimal character is
    if (cell == QLatin1String("#"))
        return QStringLiteral("Non-add");
    if (cell == QLatin1String("GT"))
        return QStringLiteral("Grand total");
    for (const KeySpec& k : Keypad()) {
        if (cell == QLatin1String(k.caption))
            return QString::fromLatin1(k.spokenName);
    }
    return cell;
}

// A key's cell as it is spoken: symbols by their names, letters as capitals, "Ctrl+" as "Control".
QString SpokenKey(const QString& cell)
{
    static const std::pair<const char*, const char*> names[] = {
        {"0-9", "0 to 9"},     {".", "period"},   {",", "comma"},       {"/", "slash"},
        {"*", "asterisk"},     {"-", "minus"},    {"+", "plus"},        {"@", "at sign"},
        {"%", "percent sign"}, {"Esc", "Escape"}, {"#", "number sign"},
    };
    for (const auto& [shown, spoken] : names) {
        if (cell == QLatin1String(shown))
            return QString::fromLatin1(spoken);
    }
    if (cell.startsWith(QLatin1String("Ctrl+")))
        return QStringLiteral("Control ") + cell.mid(5).toUpper();
    if (cell.size() == 1 && cell.at(0).isLetter())
        return cell.toUpper();
    return cell;
}

} // namespace

// The panel of the columns, as the keyboard and a screen reader use it: a list of rows, each a
// button and its key, with a current row moved by the arrow keys and framed while it has the focus.
class KeyTable : public QFrame
{
public:
    struct Row
    {
        QString spoken;
        QPlainTextEdit* button = nullptr; // the columns that show it (none for the note's lines)
        QPlainTextEdit* key = nullptr;
        int line = 0;
    };

    explicit KeyTable(QWidget* parent);
    ~KeyTable() override;

    void Add(Row row) { rows_.push_back(std::move(row)); }
    int Count() const { return static_cast<int>(rows_.size()); }
    const Row& At(int i) const { return rows_[static_cast<std::size_t>(i)]; }
    int Current() const { return current_; }
    // The row's place in the panel's coordinates (empty for the note's lines).
    QRect RowRect(int i) const;
    // The row as assistive technology knows it.
    QAccessibleInterface* RowInterface(int i);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SetCurrent(int i);
    void ShowCurrent();

    std::vector<Row> rows_;
    std::vector<QAccessible::Id> ids_;
    int current_ = 0;
    QWidget* marker_ = nullptr;
};

namespace {

// The frame around the current row, drawn above the columns.
class RowMarker : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(QPen(Qt::black, 1, Qt::DotLine)); // the panel's text colour, fixed as its background
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

class RowAccessible : public QAccessibleInterface
{
public:
    RowAccessible(KeyTable* table, int row) : table_(table), row_(row) {}

    bool isValid() const override { return table_ != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return table_->window()->windowHandle(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(table_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? table_->At(row_).spoken : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const QRect r = table_->RowRect(row_);
        return r.isEmpty() ? r : QRect(table_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.focusable = true;
        s.selectable = true;
        s.readOnly = true;
        s.focused = table_->hasFocus() && table_->Current() == row_;
        s.selected = table_->Current() == row_;
        return s;
    }

private:
    QPointer<KeyTable> table_;
    int row_;
};

// The table as a list of its rows: the headings, columns and note it is drawn with are not read.
class TableAccessible : public QAccessibleWidget
{
public:
    explicit TableAccessible(KeyTable* table) : QAccessibleWidget(table, QAccessible::List) {}
    int childCount() const override { return Table()->Count(); }
    QAccessibleInterface* child(int i) const override
    {
        return i >= 0 && i < Table()->Count() ? Table()->RowInterface(i) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (int i = 0; i < Table()->Count(); ++i) {
            if (Table()->RowInterface(i) == child)
                return i;
        }
        return -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override
    {
        return Table()->hasFocus() ? Table()->RowInterface(Table()->Current()) : nullptr;
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? QStringLiteral("Buttons and their keys") : QAccessibleWidget::text(t);
    }

private:
    KeyTable* Table() const { return static_cast<KeyTable*>(widget()); }
};

QAccessibleInterface* TableFactory(const QString&, QObject* object)
{
    if (auto* table = dynamic_cast<KeyTable*>(object))
        return new TableAccessible(table);
    return nullptr;
}

} // namespace

KeyTable::KeyTable(QWidget* parent) : QFrame(parent)
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(TableFactory); });
    setFocusPolicy(Qt::TabFocus);
    marker_ = new RowMarker(this);
    marker_->setAttribute(Qt::WA_TransparentForMouseEvents);
    marker_->hide();
}

KeyTable::~KeyTable()
{
    for (const QAccessible::Id id : ids_)
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* KeyTable::RowInterface(int i)
{
    while (static_cast<int>(ids_.size()) < Count())
        ids_.push_back(
            QAccessible::registerAccessibleInterface(new RowAccessible(this, static_cast<int>(ids_.size()))));
    return QAccessible::accessibleInterface(ids_[static_cast<std::size_t>(i)]);
}

QRect KeyTable::RowRect(int i) const
{
    const Row& row = At(i);
    if (row.button == nullptr)
        return {};
    const QTextBlock block = row.button->document()->findBlockByNumber(row.line);
    const QRect line = row.button->cursorRect(QTextCursor(block));
    const QPoint top = row.button->viewport()->mapTo(this, QPoint(0, line.top()));
    const int right = row.key->geometry().right();
    return QRect(QPoint(row.button->x() - 3, top.y() - 1), QPoint(right + 3, top.y() + line.height()));
}

void KeyTable::SetCurrent(int i)
{
    current_ = std::clamp(i, 0, Count() - 1);
    ShowCurrent();
    if (QAccessible::isActive() && hasFocus()) {
        QAccessibleEvent event(RowInterface(current_), QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void KeyTable::ShowCurrent()
{
    const QRect r = hasFocus() ? RowRect(current_) : QRect();
    marker_->setVisible(!r.isEmpty());
    if (!r.isEmpty()) {
        marker_->setGeometry(r);
        marker_->raise();
    }
}

void KeyTable::keyPressEvent(QKeyEvent* event)
{
    const int page = 5;
    switch (event->key()) {
    case Qt::Key_Up:
        SetCurrent(current_ - 1);
        break;
    case Qt::Key_Down:
        SetCurrent(current_ + 1);
        break;
    case Qt::Key_PageUp:
        SetCurrent(current_ - page);
        break;
    case Qt::Key_PageDown:
        SetCurrent(current_ + page);
        break;
    case Qt::Key_Home:
        SetCurrent(0);
        break;
    case Qt::Key_End:
        SetCurrent(Count() - 1);
        break;
    default:
        QFrame::keyPressEvent(event);
    }
}

void KeyTable::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    // The current row gets the focus after the table: assistive technology hears of the table's
    // focus once this returns.
    ShowCurrent();
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            SetCurrent(current_);
    });
}

void KeyTable::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    ShowCurrent();
}

TfrmHelp::TfrmHelp(QWidget* owner, QChar decimalSeparator)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
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

    auto* panel = new KeyTable(this);
    table_ = panel;
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

    std::vector<QPlainTextEdit*> edits;
    for (const Column& c : columns) {
        auto* m = new QPlainTextEdit(panel);
        edits.push_back(m);
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
        m->setFocusPolicy(Qt::NoFocus); // the keys move through the rows of the panel instead
        m->installEventFilter(this);
    }
    // Each pair of columns read down, a row for each line with a button.
    for (std::size_t pair = 0; pair + 1 < std::size(columns); pair += 2) {
        for (int line = 0; line < static_cast<int>(std::size(columns[pair].lines)); ++line) {
            const QString button = edits[pair]->document()->findBlockByNumber(line).text();
            const QString key = edits[pair + 1]->document()->findBlockByNumber(line).text();
            if (!button.isEmpty())
                panel->Add({SpokenButton(button) + QStringLiteral(": ") + SpokenKey(key), edits[pair],
                            edits[pair + 1], line});
        }
    }

    // What the table has no row for: the commands on the tape's lines.
    auto* more = new QLabel(QStringLiteral("Ctrl+Shift+C copies the display without grouping.\n"
                                           "A double click on a tape line uses its value."),
                            panel);
    more->setObjectName(QStringLiteral("lblMore"));
    more->setGeometry(16, 262, 380, 30);
    more->setFont(fonts.Font("MS Sans Serif", 11));
    for (const QString& line : more->text().split(QLatin1Char('\n')))
        panel->Add({line});

    btnClose_ = new QPushButton(QStringLiteral("Close"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    btnClose_->setGeometry(166, 310, 75, 25);
    btnClose_->setDefault(true);
    connect(btnClose_, &QPushButton::clicked, this, &TfrmHelp::btnCloseClick);
    setTabOrder(btnClose_, panel);
    btnClose_->setFocus(Qt::OtherFocusReason);
}

QStringList TfrmHelp::SpokenRows() const
{
    QStringList rows;
    for (int i = 0; i < table_->Count(); ++i)
        rows << table_->At(i).spoken;
    return rows;
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
    return QDialog::eventFilter(watched, event);
}

} // namespace ui
