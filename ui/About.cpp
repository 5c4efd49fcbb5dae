#include "ui/About.h"

#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>

#include "platform/VersionInfo.h"
#include "platform/qt/WindowGeometry.h"
#include "ui/ColorSchemes.h"
#include "ui/DialogService.h"
#include "ui/TapeOutput.h"

namespace ui {
namespace {

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const QRect& rect, const QFont& font,
                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(rect);
    l->setFont(font);
    l->setAlignment(alignment);
    return l;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* owner, const QString& executable)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quorlane Calculator"));
    setModal(true);
    setFixedSize(271, 289);
    const DesignFonts fonts;
    setFont(fonts.Font("MS Sans Serif", 11));

    QPalette purple = palette();
    const bool dark = IsDarkPalette(palette());
    purple.setColor(QPalette::WindowText, PurpleText(dark));
    lblCompany_ = AddLabel(this, "lblCompany", QStringLiteral("CompanyName"), {40, 12, 243, 39},
                           fonts.Font("Tahoma", 32, true));
    lblCompany_->setPalette(purple);
    lblProduct_ = AddLabel(this, "lblProduct", QStringLiteral("ProductName"), {40, 44, 253, 45},
                           fonts.Font("Tahoma", 37, true));
    lblProduct_->setPalette(purple);

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setGeometry(192, 16, 32, 32);
    logo->setPixmap(QIcon(QStringLiteral(":/icons/calculator.svg")).pixmap(32, 32));

    lblVersion_ = AddLabel(this, "lblVersion", QStringLiteral("FileVersion"), {8, 100, 253, 13},
                           fonts.Font("Arial", 11), Qt::AlignHCenter | Qt::AlignTop);
    lblCopyright_ = AddLabel(this, "lblCopyright", QStringLiteral("LegalCopyRight"), {8, 116, 253, 13},
                             fonts.Font("Arial", 11), Qt::AlignHCenter | Qt::AlignTop);
    lblHyperlink_ = AddLabel(this, "lblHyperlink", QString::fromLatin1(ProductWebAddress), {68, 136, 129, 13},
                             fonts.Font("MS Sans Serif", 11, false, true), Qt::AlignHCenter | Qt::AlignTop);
    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, BlueText(dark));
    lblHyperlink_->setPalette(blue);
    lblHyperlink_->setCursor(Qt::PointingHandCursor);
    lblHyperlink_->installEventFilter(this);

    auto* first = new LineBevel(LineBevel::Side::Bottom, this);
    first->setObjectName(QStringLiteral("bvlFirst"));
    first->setGeometry(8, 168, 253, 6);

    auto* warning = new QPlainTextEdit(this);
    warning->setObjectName(QStringLiteral("memWarning"));
    warning->setGeometry(8, 180, 261, 61);
    warning->setFrameStyle(QFrame::NoFrame);
    warning->setReadOnly(true);
    warning->setLineWrapMode(QPlainTextEdit::NoWrap);
    warning->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    warning->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    warning->setFont(fonts.Font("Arial", 9));
    QPalette face = warning->palette();
    face.setColor(QPalette::Base, palette().color(QPalette::Button));
    warning->setPalette(face);
    warning->viewport()->setCursor(Qt::ArrowCursor);
    warning->setPlainText(QStringLiteral("\n\n \n\n"));
    warning->viewport()->installEventFilter(this);
    warning->installEventFilter(this);
    memWarning_ = warning;

    auto* second = new LineBevel(LineBevel::Side::Bottom, this);
    second->setObjectName(QStringLiteral("bvlSecond"));
    second->setGeometry(8, 240, 253, 6);

    edtFocus_ = new QLineEdit(QStringLiteral("edtFocus"), this);
    edtFocus_->setObjectName(QStringLiteral("edtFocus"));
    edtFocus_->setGeometry(116, 260, 29, 21);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setGeometry(99, 256, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->raise(); // the focus sink lies behind it

    setTabOrder(ok, warning);
    setTabOrder(warning, edtFocus_);
    // The warning and the sink behind OK take the focus only from a click into the warning: Tab
    // would move it to a place a screen reader reads as a text while the keys go to OK.
    warning->setFocusPolicy(Qt::NoFocus);
    edtFocus_->setFocusPolicy(Qt::NoFocus);
    ok->setFocus(Qt::OtherFocusReason);

    FormCreate(executable);
}

void TfrmAbout::FormCreate(const QString& executable)
{
    const TStVersionInfo version(executable.isEmpty()
                                     ? std::string(platform::RunningExecutablePath)
                                     : std::string(QFile::encodeName(executable).constData()));
    lblCompany_->setText(QString::fromLatin1(version.CompanyName().c_str()));
    lblProduct_->setText(QString::fromLatin1(version.ProductName().c_str()));
    lblVersion_->setText(QString::fromLatin1(version.FileVersion().c_str()));
    lblCopyright_->setText(QString::fromLatin1(version.LegalCopyright().c_str()));
}

void TfrmAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred on the screen, not over the main window (where a dialog goes by default).
    if (!event->spontaneous()) {
        const QWidget* owner = parentWidget();
        platform::CentreOnScreen(this, owner != nullptr ? owner->screen() : screen());
    }
}

void TfrmAbout::lblHyperlinkClick()
{
    Dialogs().OpenUrl(QUrl(QStringLiteral("https://") + QString::fromLatin1(ProductWebAddress)));
}

void TfrmAbout::memWarningClick()
{
    edtFocus_->setFocus(Qt::MouseFocusReason);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblHyperlink_ && event->type() == QEvent::MouseButtonRelease) {
        lblHyperlinkClick();
        return true;
    }
    if ((watched == memWarning_ || watched == static_cast<QPlainTextEdit*>(memWarning_)->viewport()) &&
        (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::FocusIn)) {
        memWarningClick();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ui
