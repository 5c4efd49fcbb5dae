#pragma once
// TfrmAbout: the modal about window. Company, product, file version and copyright come from the
// version block of the program's own executable; the web address opens in the desktop's browser.

#include <QDialog>

#include "ui/DialogParts.h"
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

class TfrmAbout : public QDialog
{
    Q_OBJECT

public:
    // Reads the version block of `executable` (empty: the running program). A missing block raises
    // the version reader's error, and the window is then not shown.
    explicit TfrmAbout(QWidget* owner, const QString& executable = QString());

    void lblHyperlinkClick();
    void memWarningClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate(const QString& executable);

    QLabel* lblCompany_ = nullptr;
    QLabel* lblProduct_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblCopyright_ = nullptr;
    QLabel* lblHyperlink_ = nullptr;
    QLineEdit* edtFocus_ = nullptr;
    QWidget* memWarning_ = nullptr;
};

} // namespace ui
