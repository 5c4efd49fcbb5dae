// The main window's tape beyond its lines: the tape kept between runs, a tape line re-used, the
// tape's context menu and Copy Without Grouping.

#include "ui/Calc.h"
#include "ui/CalcShared.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>

#include <algorithm>
#include <cstdio>

#include "engine/TextHelpers.h"
#include "ui/DialogService.h"
#include "ui/FocusSink.h"
#include "ui/KeptTape.h"
#include "ui/TapeView.h"

namespace ui {

void TfrmMain::mnuEditCopyWithoutGroupingClick()
{
    QApplication::clipboard()->setText(Latin1(engine_.DisplayWithoutGrouping()));
    edtFocus_->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::UseTapeLine(std::size_t line)
{
    if (line < memTape_->Lines().Count())
        Guarded([&] {
            Running(KeyKind::Result,
                    [&] { engine_.UseTapeLine(std::string(memTape_->Lines().Plain(line))); });
        });
    edtFocus_->setFocus(Qt::OtherFocusReason);
}

// The tape's own menu: Copy (the selected lines, else the line under the pointer), Copy Tape, Use
// Value and Copy Without Grouping for the line under the pointer, and Clear Tape.
void TfrmMain::CreateTapeMenu()
{
    mnuTape_ = new QMenu(this);
    mnuTape_->setObjectName(QStringLiteral("mnuTape"));
    const auto add = [this](const char* name, const QString& caption, auto handler) {
        QAction* a = mnuTape_->addAction(caption, this, handler);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    QAction* copy = add("mnuTapeCopy", QStringLiteral("&Copy"), [this] {
        QApplication::clipboard()->setText(memTape_->HasSelection() ? memTape_->SelectedText()
                                                                    : Latin1(TapeMenuLine()));
    });
    add("mnuTapeCopyTape", QStringLiteral("C&opy Tape"), [this] { mnuEditCopyTapeClick(); });
    QAction* useValue =
        add("mnuTapeUseValue", QStringLiteral("&Use Value"), [this] { UseTapeLine(tapeMenuLine_); });
    QAction* copyWithoutGrouping =
        add("mnuTapeCopyWithoutGrouping", QStringLiteral("Copy &Without Grouping"), [this] {
            if (const std::optional<std::string_view> number = engine::TapeLineNumber(TapeMenuLine()))
                QApplication::clipboard()->setText(Latin1(engine_.RemoveCommas(*number)));
        });
    mnuTape_->addSeparator();
    // Clear Tape is enabled as in the Edit menu: while the tape is shown, which it is here.
    add("mnuTapeClearTape", QStringLiteral("Clear &Tape..."), [this] { mnuEditClearTapeClick(); });
    CreateCorrectionItems(mnuTape_);
    connect(mnuTape_, &QMenu::aboutToShow, this, [=, this] {
        const bool number = engine::TapeLineNumber(TapeMenuLine()).has_value();
        copy->setEnabled(!memTape_->Lines().Empty());
        useValue->setEnabled(number);
        copyWithoutGrouping->setEnabled(number);
    });
}

std::string_view TfrmMain::TapeMenuLine() const
{
    const TapeModel& lines = memTape_->Lines();
    return tapeMenuLine_ < lines.Count() ? lines.Plain(tapeMenuLine_) : std::string_view();
}

void TfrmMain::memTapeContextPopup(const QPoint& pos)
{
    tapeMenuLine_ = memTape_->Lines().Empty() ? 0 : memTape_->LineAt(pos.y());
    mnuTape_->popup(memTape_->viewport()->mapToGlobal(pos));
    if (memTape_->MenuFromKeyboard()) {
        const QList<QAction*> actions = mnuTape_->actions();
        const auto first = std::find_if(actions.begin(), actions.end(), [](const QAction* a) {
            return a->isEnabled() && a->isVisible() && !a->isSeparator();
        });
        if (first != actions.end())
            mnuTape_->setActiveAction(*first);
    }
}

void TfrmMain::ToggleKeepTape()
{
    if (mnuOptionsKeepTape_->isChecked()) {
        if (!kept_)
            kept_ = KeepTape(true);
        return;
    }
    if (!kept_)
        return;
    // Until the question is answered the option stays on: the session may end meanwhile, and an
    // unanswered question changes nothing.
    mnuOptionsKeepTape_->setChecked(true);
    if (Dialogs().Box(this, BoxKind::Confirm, QStringLiteral("Confirm"),
                      QStringLiteral("Delete the kept tape?"), BoxButtons::YesNo) != BoxAnswer::Yes ||
        ended_)
        return;
    mnuOptionsKeepTape_->setChecked(false);
    kept_->Remove();
    RemoveRecord();
    kept_.reset();
    ShowKeptTapeProblem(QString());
}

std::unique_ptr<KeptTape> TfrmMain::KeepTape(bool write)
{
    // A background write that starts to fail is said once in the status bar, until one succeeds.
    const auto report = [this](const std::string& problem) {
        QMetaObject::invokeMethod(
            this, [this, problem] { ShowKeptTapeProblem(QString::fromLocal8Bit(problem)); },
            Qt::QueuedConnection);
    };
    return std::make_unique<KeptTape>(KeptTape::DefaultFile(), memTape_->Lines(), write,
                                      std::chrono::milliseconds(2000), report);
}

// Shows the kept tape's problem in the status bar; "" takes the last one away.
void TfrmMain::ShowKeptTapeProblem(const QString& problem)
{
    if (problem.isEmpty()) {
        if (!tapeProblem_.isEmpty() && statusBar_->currentMessage() == tapeProblem_)
            statusBar_->clearMessage();
    } else {
        statusBar_->showMessage(problem);
    }
    tapeProblem_ = problem;
}

// The tape of the last run, then a line that marks the restart. A file that cannot be restored in
// full is kept aside, and the status bar says where (the tape too when nothing was restored); the
// start goes on.
void TfrmMain::RestoreKeptTape()
{
    const std::filesystem::path file = KeptTape::DefaultFile();
    KeptTape::Restored restored = KeptTape::Restore(file);
    const bool problem = !restored.problem.empty();
    const bool any = !restored.lines.Empty();
    const std::size_t kept = restored.lines.Count();
    if (problem) { // said once, in the status bar
        std::fprintf(stderr, "quorcalc: %s\n", restored.problem.c_str());
        statusBar_->showMessage(QString::fromLocal8Bit(restored.problem));
    }
    if (!RestoreRecord(restored.lines)) {
        memTape_->SetLines(std::move(restored.lines));
        engine_.TextShown(kept);
    }
    const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();
    if (any || problem) {
        engine_.AppendText(engine::SeparatorLine);
        const QLocale locale;
        engine_.Restart(QStringLiteral("Restarted %1 %2")
                            .arg(locale.toString(now.date(), QLocale::ShortFormat),
                                 locale.toString(now.time(), QLocale::ShortFormat))
                            .toLatin1()
                            .toStdString());
        if (problem && !any)
            engine_.AppendText("Kept tape not restored");
    }
    kept_ = KeepTape(any || problem);
}

void TfrmMain::FlushKeptTape()
{
    if (!kept_)
        return;
    const std::string error = kept_->Flush();
    if (!error.empty())
        std::fprintf(stderr, "quorcalc: %s\n", error.c_str());
    KeepRecord();
}

} // namespace ui
