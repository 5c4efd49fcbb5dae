// screen-grab WINDOW-ID OUT.png: writes a picture of one X11 window (or of the whole screen for
// window id 0) of the display in $DISPLAY. Used by scripts/screenshot under Xvfb, where no other
// screenshot program is needed.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: screen-grab WINDOW-ID OUT.png\n");
        return 2;
    }
    bool ok = false;
    const WId id = QString::fromLocal8Bit(argv[1]).toULongLong(&ok, 0);
    if (!ok) {
        std::fprintf(stderr, "screen-grab: not a window id: %s\n", argv[1]);
        return 2;
    }
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(id);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "screen-grab: could not capture window %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
