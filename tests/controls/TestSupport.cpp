#include "TestSupport.h"

#include <QTest>

#include <gtest/gtest.h>

namespace controlstest {

QPalette TestPalette()
{
    QPalette palette = QApplication::palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, QColor(212, 208, 200));
        palette.setColor(group, QPalette::Button, QColor(212, 208, 200));
        palette.setColor(group, QPalette::Light, QColor(255, 255, 255));
        palette.setColor(group, QPalette::Midlight, QColor(236, 233, 216));
        palette.setColor(group, QPalette::Dark, QColor(160, 160, 160));
        palette.setColor(group, QPalette::Mid, QColor(180, 180, 180));
        palette.setColor(group, QPalette::Shadow, QColor(64, 64, 64));
        palette.setColor(group, QPalette::Base, QColor(255, 255, 255));
        palette.setColor(group, QPalette::Text, QColor(0, 0, 0));
        palette.setColor(group, QPalette::WindowText, QColor(0, 0, 0));
        palette.setColor(group, QPalette::ButtonText, QColor(0, 0, 0));
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(109, 109, 109));
    return palette;
}

void UseTestPalette()
{
    QApplication::setPalette(TestPalette());
}

QImage Grab(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void Settle()
{
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();
}

TestWindow::TestWindow() : window_(std::make_unique<QWidget>())
{
    window_->setGeometry(0, 0, 320, 160);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowActive(window_.get())) {
        ADD_FAILURE() << "the test window did not become active";
    }
    // Start with the pointer in a corner where no button lies.
    QTest::mouseMove(window_.get(), QPoint(310, 150));
    Settle();
}

TestWindow::~TestWindow()
{
    QTest::mouseMove(window_.get(), QPoint(310, 150));
}

TabcPicSpeedBtn& TestWindow::AddButton(const QRect& geometry, const QString& caption)
{
    auto* button = new TabcPicSpeedBtn(window_.get());
    button->setGeometry(geometry);
    button->SetCaption(caption);
    button->show();
    Settle();
    return *button;
}

ButtonLog::ButtonLog(TabcPicSpeedBtn& button)
{
    QObject::connect(&button, &TabcPicSpeedBtn::OnClick, [this] { ++clicks; });
}

} // namespace controlstest
