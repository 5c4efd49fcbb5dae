#pragma once
// TfrmHelp: the keyboard equivalents window. A modeless list of each calculator button and the key
// that drives it, in two pairs of columns; its only action is Close (Enter or Esc).
//
// A screen reader reads the columns as one list of rows, each named by its button and key ("Square
// root: at sign"): Tab moves from Close to the list, the arrow keys from row to row.

#include <QDialog>
#include <QStringList>

#include <QChar>

#include "ui/DialogParts.h"

class QPushButton;

namespace ui {

class KeyTable;

class TfrmHelp : public QDialog
{
    Q_OBJECT

public:
    // `decimalSeparator` is the locale's: the decimal key's caption and the key that types it.
    explicit TfrmHelp(QWidget* owner, QChar decimalSeparator = u'.');

    void btnCloseClick();

    // The rows as a screen reader reads them, in order.
    QStringList SpokenRows() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void memButton1Enter();

    QPushButton* btnClose_ = nullptr;
    KeyTable* table_ = nullptr;
};

} // namespace ui
