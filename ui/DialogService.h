#pragma once
// Every modal box, file or print dialog and desktop request of the program goes through this
// service, so that tests replace it with scripted answers and never block on a dialog.

#include <QString>

#include <optional>

class QDialog;
class QPrinter;
class QUrl;
class QWidget;

namespace ui {

enum class BoxKind
{
    Information,
    Error,
    Confirm,
    GeneralError
};
enum class BoxButtons
{
    Ok,
    YesNo,
    YesNoCancel,
    RetryCloseAnywayCancel,      // "&Retry" (the default), "Close &Anyway", "Cancel"
    RetrySaveAsCloseAnywayCancel // the same with "Save &As..." after "&Retry"
};
enum class BoxAnswer
{
    Ok,
    Yes,
    No,
    Cancel,
    Retry,
    SaveAs,
    CloseAnyway
};

class IDialogService
{
public:
    virtual ~IDialogService() = default;

    // A modal box captioned `caption`; "\r" in `text` breaks the line. Returns the button chosen
    // (closing the box counts as Cancel, or as No when there is no Cancel, or Ok).
    virtual BoxAnswer Box(QWidget* parent, BoxKind kind, const QString& caption, const QString& text,
                          BoxButtons buttons) = 0;

    // The save-file dialog: a file name, or nothing when cancelled.
    virtual std::optional<QString> SaveFileName(QWidget* parent, const QString& initialName,
                                                const QString& filter, const QString& defaultSuffix) = 0;

    // The print dialog on `printer`; false when cancelled.
    virtual bool PrintDialog(QWidget* parent, QPrinter& printer) = 0;

    // Asks the desktop to open `url` (the shell's "open" verb); false when it could not.
    virtual bool OpenUrl(const QUrl& url) = 0;

    // Shows one of the program's own modal windows until it closes; returns its result.
    virtual int Exec(QDialog& dialog) = 0;
};

// The real dialogs.
class QtDialogService : public IDialogService
{
public:
    BoxAnswer Box(QWidget* parent, BoxKind kind, const QString& caption, const QString& text,
                  BoxButtons buttons) override;
    std::optional<QString> SaveFileName(QWidget* parent, const QString& initialName, const QString& filter,
                                        const QString& defaultSuffix) override;
    bool PrintDialog(QWidget* parent, QPrinter& printer) override;
    bool OpenUrl(const QUrl& url) override;
    int Exec(QDialog& dialog) override;
};

// The service the program uses; tests install a fake. Never null.
IDialogService& Dialogs();
void SetDialogs(IDialogService* service); // nullptr: back to the real dialogs

} // namespace ui
