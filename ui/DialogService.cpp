#include "ui/DialogService.h"
#include "ui/Printing.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace ui {
namespace {

QtDialogService realDialogs;
IDialogService* current = nullptr;

} // namespace

IDialogService& Dialogs()
{
    return current != nullptr ? *current : realDialogs;
}

void SetDialogs(IDialogService* service)
{
    current = service;
}

BoxAnswer QtDialogService::Box(QWidget* parent, BoxKind kind, const QString& caption, const QString& text,
                               BoxButtons buttons)
{
    QMessageBox box(parent);
    QAbstractButton* closeAnyway = nullptr;
    QAbstractButton* saveAs = nullptr;
    box.setWindowTitle(caption);
    // "\r" (the box texts' line break) as the line break Qt shows.
    box.setText(QString(text)
                    .replace(QLatin1String("\r\n"), QLatin1String("\n"))
                    .replace(QLatin1Char('\r'), QLatin1Char('\n')));
    switch (kind) {
    case BoxKind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case BoxKind::Error:
    case BoxKind::GeneralError:
        box.setIcon(QMessageBox::Critical);
        break;
    case BoxKind::Confirm:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case BoxButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case BoxButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case BoxButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case BoxButtons::RetryCloseAnywayCancel:
    case BoxButtons::RetrySaveAsCloseAnywayCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Retry);
        box.setEscapeButton(QMessageBox::Cancel);
        if (buttons == BoxButtons::RetrySaveAsCloseAnywayCancel)
            saveAs = box.addButton(QStringLiteral("Save &As..."), QMessageBox::ActionRole);
        closeAnyway = box.addButton(QStringLiteral("Close &Anyway"), QMessageBox::DestructiveRole);
        break;
    }
    const int chosen = box.exec();
    if (closeAnyway != nullptr && box.clickedButton() == closeAnyway)
        return BoxAnswer::CloseAnyway;
    if (saveAs != nullptr && box.clickedButton() == saveAs)
        return BoxAnswer::SaveAs;
    switch (chosen) {
    case QMessageBox::Retry:
        return BoxAnswer::Retry;
    case QMessageBox::Yes:
        return BoxAnswer::Yes;
    case QMessageBox::No:
        return BoxAnswer::No;
    case QMessageBox::Cancel:
        return BoxAnswer::Cancel;
    default:
        return buttons == BoxButtons::Ok      ? BoxAnswer::Ok
               : buttons == BoxButtons::YesNo ? BoxAnswer::No
                                              : BoxAnswer::Cancel;
    }
}

std::optional<QString> QtDialogService::SaveFileName(QWidget* parent, const QString& initialName,
                                                     const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filter.split(QLatin1String(";;")));
    dialog.setDefaultSuffix(defaultSuffix);
    // The program asks about overwriting itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!initialName.isEmpty())
        dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool QtDialogService::PrintDialog(QWidget* parent, QPrinter& printer)
{
    return Printing().dialog(parent, printer);
}

bool QtDialogService::OpenUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

int QtDialogService::Exec(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace ui
