#pragma once
// TfrmHelp: the keyboard equivalents window. A modeless list of each calculator button and the key
// that drives it, in two pairs of columns; its only action is Close.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace ui {

class TfrmHelp : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmHelp(QWidget* owner);

    void btnCloseClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void memButton1Enter();

    QPushButton* btnClose_ = nullptr;
};

} // namespace ui
