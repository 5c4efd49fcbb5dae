#pragma once
// Scripted answers for the dialog service: a test queues what the next boxes and dialogs answer and
// reads back what was shown. A box that nobody scripted fails the test (and answers Ok / Cancel).

#include <QDialog>
#include <QPrinter>
#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "ui/DialogService.h"

namespace uitest {

struct ShownBox
{
    ui::BoxKind kind;
    QString caption;
    QString text;
    ui::BoxButtons buttons;
};

class FakeDialogs : public ui::IDialogService
{
public:
    static FakeDialogs& Instance() { return *static_cast<FakeDialogs*>(&ui::Dialogs()); }

    // Forgets everything scripted and shown.
    void Reset()
    {
        boxes.clear();
        boxAnswers.clear();
        saveAnswers.clear();
        printAnswers.clear();
        expectBoxes = false;
        onBox = nullptr;
        openedUrls.clear();
        executed.clear();
        onExec = nullptr;
        saveRequests.clear();
    }

    ui::BoxAnswer Box(QWidget*, ui::BoxKind kind, const QString& caption, const QString& text,
                      ui::BoxButtons buttons) override
    {
        boxes.push_back({kind, caption, text, buttons});
        if (onBox)
            onBox(boxes.back());
        if (!boxAnswers.empty()) {
            const ui::BoxAnswer a = boxAnswers.front();
            boxAnswers.pop_front();
            return a;
        }
        if (!expectBoxes)
            ADD_FAILURE() << "unexpected box: " << caption.toStdString() << ": " << text.toStdString();
        return buttons == ui::BoxButtons::Ok ? ui::BoxAnswer::Ok : ui::BoxAnswer::Cancel;
    }

    std::optional<QString> SaveFileName(QWidget*, const QString& initialName, const QString& filter,
                                        const QString& defaultSuffix) override
    {
        saveRequests.push_back({initialName, filter, defaultSuffix});
        if (saveAnswers.empty()) {
            ADD_FAILURE() << "unexpected save dialog";
            return std::nullopt;
        }
        const std::optional<QString> a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }

    bool PrintDialog(QWidget*, QPrinter& printer) override
    {
        if (printAnswers.empty()) {
            ADD_FAILURE() << "unexpected print dialog";
            return false;
        }
        const auto answer = printAnswers.front();
        printAnswers.pop_front();
        return answer(printer);
    }

    bool OpenUrl(const QUrl& url) override
    {
        openedUrls.push_back(url.toString());
        return true;
    }

    int Exec(QDialog& dialog) override
    {
        executed.push_back(dialog.objectName());
        if (onExec)
            return onExec(dialog);
        ADD_FAILURE() << "unexpected modal window " << dialog.objectName().toStdString();
        return QDialog::Rejected;
    }

    struct SaveRequest
    {
        QString initialName, filter, defaultSuffix;
    };

    std::vector<ShownBox> boxes;
    std::deque<ui::BoxAnswer> boxAnswers;
    bool expectBoxes = false; // unscripted boxes are fine (answered Ok / Cancel)
    std::function<void(const ShownBox&)> onBox;
    std::deque<std::optional<QString>> saveAnswers;
    std::vector<SaveRequest> saveRequests;
    std::deque<std::function<bool(QPrinter&)>> printAnswers; // sets up the printer, returns accepted
    std::vector<QString> openedUrls;
    std::vector<QString> executed;       // object names of modal windows shown
    std::function<int(QDialog&)> onExec; // inspects a modal window and answers for it
};

} // namespace uitest
