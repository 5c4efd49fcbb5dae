#pragma once
// TfrmHelp: the keyboard equivalents window. A modeless list of each calculator button and the key
// that drives it, in two pairs of columns; its only action is Close.

#include <QChar>

#include "ui/DialogParts.h"

class QPlainTextEdit;
class QPushButton;

namespace ui {

class TfrmHelp : public NoCancelDialog
{
    Q_OBJECT

public:
    // `decimalSeparator` is the locale's: the decimal key's caption and the key that types it.
    explicit TfrmHelp(QWidget* owner, QChar decimalSeparator = u'.');

    void btnCloseClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void memButton1Enter();

    QPushButton* btnClose_ = nullptr;
};

} // namespace ui
