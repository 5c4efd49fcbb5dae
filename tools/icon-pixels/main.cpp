// icon-pixels ICON.svg OUT.cpp: the program's icon as the window system is given it, written as
// C++ arrays for ui/WindowIcon.h. Qt hands an X11 window's icon over at 16, 32, 64 and 128 pixels,
// drawn from the SVG by Qt's SVG icon engine; these are those drawings, made at build time so that
// a start needs no SVG renderer. Run by the build (offscreen, no display needed).

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon-pixels ICON.svg OUT.cpp\n");
        return 2;
    }
    const QIcon icon(QString::fromLocal8Bit(argv[1]));
    // A scalable icon offers no sizes of its own; an empty one (no SVG icon engine) offers none either.
    if (icon.isNull() || !icon.availableSizes().isEmpty()) {
        std::fprintf(stderr,
                     "icon-pixels: %s is not drawn by Qt's SVG icon engine (Debian package libqt6svg6)\n",
                     argv[1]);
        return 1;
    }
    QByteArray out = "// Written by tools/icon-pixels from the program's icon at build time.\n"
                     "#include \"ui/WindowIcon.h\"\n\nnamespace ui {\nnamespace {\n\n";
    constexpr int sizes[] = {16, 32, 64, 128};
    for (const int size : sizes) {
        const QImage image =
            icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (image.size() != QSize(size, size)) {
            std::fprintf(stderr, "icon-pixels: the icon drew %dx%d for %d pixels\n", image.width(),
                         image.height(), size);
            return 1;
        }
        out += "constexpr unsigned icon" + QByteArray::number(size) + "[] = {";
        for (int y = 0; y < size; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < size; ++x)
                out +=
                    ((x + y * size) % 8 == 0 ? "\n    0x" : " 0x") + QByteArray::number(line[x], 16) + "u,";
        }
        out += "\n};\n\n";
    }
    out += "} // namespace\n\nconst IconPixels WindowIconPixels[] = {";
    for (const int size : sizes)
        out += "{" + QByteArray::number(size) + ", icon" + QByteArray::number(size) + "}, ";
    out += "};\n\n} // namespace ui\n";
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
        std::fprintf(stderr, "icon-pixels: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
