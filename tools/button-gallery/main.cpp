// button-gallery OUT.png: draws the picture button in every state (up, hot, pressed, latched,
// disabled; raised and flat), the keypad's colours and the enabled and disabled caption, each
// with its label, and saves the picture. Runs on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise. The states are reached through the button's own event handling, as a user would.

#include <array>
#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include "controls/Abcbtn.h"

namespace {

constexpr int LabelWidth = 200;
constexpr int CellWidth = 74;
constexpr int CellHeight = 38;
constexpr int ButtonWidth = 64;
constexpr int ButtonHeight = 30;
constexpr int HeaderHeight = 44;

enum class Shown
{
    Up,
    Hot,
    Pressed,
    Latched,
    Disabled
};

constexpr std::array<Shown, 5> AllShown{Shown::Up, Shown::Hot, Shown::Pressed, Shown::Latched,
                                        Shown::Disabled};

const char* ShownName(Shown shown)
{
    switch (shown) {
    case Shown::Up:
        return "up";
    case Shown::Hot:
        return "hot";
    case Shown::Pressed:
        return "pressed";
    case Shown::Latched:
        return "latched";
    case Shown::Disabled:
        return "disabled";
    }
    return "";
}

class Gallery
{
public:
    Gallery()
    {
        sheet_.setAutoFillBackground(true);
        sheet_.setWindowTitle("Picture button gallery");
    }

    QWidget& Sheet() { return sheet_; }

    void Label(int x, int y, int width, const QString& text, bool bold = false)
    {
        auto* label = new QLabel(text, &sheet_);
        QFont font = label->font();
        font.setPointSize(8);
        font.setBold(bold);
        label->setFont(font);
        label->setGeometry(x, y, width, CellHeight - 8);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    // A keypad-like button at (x, y); `shown` is applied once the sheet is on screen.
    TabcPicSpeedBtn& Button(int x, int y, const QString& caption, Shown shown,
                            const std::function<void(TabcPicSpeedBtn&)>& configure = {})
    {
        auto* button = new TabcPicSpeedBtn(&sheet_);
        button->setGeometry(x, y, ButtonWidth, ButtonHeight);
        button->SetCaption(caption);
        QFont font("Arial", 10);
        font.setBold(true);
        button->setFont(font);
        button->SetFontColor(clNavy);
        if (configure) {
            configure(*button);
        }
        pending_.push_back({button, shown});
        return *button;
    }

    // Shows the sheet, brings every button into its state and returns the picture.
    QPixmap Render()
    {
        sheet_.show();
        sheet_.activateWindow();
        QElapsedTimer timer;
        timer.start();
        while (QApplication::activeWindow() != &sheet_ && timer.elapsed() < 3000) {
            QApplication::processEvents();
        }
        if (QApplication::activeWindow() != &sheet_) {
            std::fprintf(stderr, "button-gallery: the window did not become active; hot looks missing\n");
        }
        int group = 1;
        for (const auto& [button, shown] : pending_) {
            Apply(*button, shown, group++);
        }
        QApplication::processEvents();
        return sheet_.grab();
    }

private:
    static void Apply(TabcPicSpeedBtn& button, Shown shown, int group)
    {
        const QPointF centre(button.width() / 2.0, button.height() / 2.0);
        const QPointF global = button.mapToGlobal(centre);
        switch (shown) {
        case Shown::Up:
            break;
        case Shown::Hot: {
            QEnterEvent enter(centre, centre, global);
            QApplication::sendEvent(&button, &enter);
            break;
        }
        case Shown::Pressed: {
            QMouseEvent press(QEvent::MouseButtonPress, centre, centre, global, Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&button, &press);
            break;
        }
        case Shown::Latched:
            button.SetGroupIndex(group);
            button.SetDown(true);
            break;
        case Shown::Disabled:
            button.setEnabled(false);
            break;
        }
    }

    struct Pending
    {
        TabcPicSpeedBtn* button;
        Shown shown;
    };

    QWidget sheet_;
    std::vector<Pending> pending_;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: button-gallery OUT.png\n");
        return 2;
    }

    Gallery gallery;
    int y = 8;

    // Raised and flat, the five states each.
    for (std::size_t i = 0; i < AllShown.size(); ++i) {
        gallery.Label(LabelWidth + static_cast<int>(i) * CellWidth, y + 18, CellWidth,
                      ShownName(AllShown[i]));
    }
    y += HeaderHeight;
    for (const bool flat : {false, true}) {
        gallery.Label(8, y, LabelWidth, flat ? "flat (Popup on)" : "raised (Popup off)");
        for (std::size_t s = 0; s < AllShown.size(); ++s) {
            gallery.Button(LabelWidth + static_cast<int>(s) * CellWidth, y, "&Key 7", AllShown[s],
                           [&](TabcPicSpeedBtn& b) { b.SetPopup(flat); });
        }
        y += CellHeight;
    }

    // The keypad's look in two of the colour schemes.
    y += 12;
    struct Scheme
    {
        const char* name;
        TColor face;
        TColor text;
    };
    const std::array<Scheme, 3> schemes{{{"keypad, Default", clBtnFace, clNavy},
                                         {"keypad, Black", clBlack, clWhite},
                                         {"keypad, Desert", 0xE6EDF0u, clBlack}}};
    for (const Scheme& scheme : schemes) {
        gallery.Label(8, y, LabelWidth, scheme.name);
        for (std::size_t s = 0; s < AllShown.size(); ++s) {
            gallery.Button(LabelWidth + static_cast<int>(s) * CellWidth, y, "7", AllShown[s],
                           [&](TabcPicSpeedBtn& b) {
                               b.SetPopup(false);
                               b.SetColor(scheme.face);
                               b.SetFontColor(scheme.text);
                               QFont font("Arial", 14);
                               font.setBold(true);
                               b.setFont(font);
                           });
        }
        y += CellHeight;
    }

    // The enabled and the disabled caption.
    y += 12;
    gallery.Label(8, y, LabelWidth, "Captions", true);
    const std::array<const char*, 2> captionNames{"enabled", "disabled"};
    for (std::size_t i = 0; i < captionNames.size(); ++i) {
        gallery.Label(LabelWidth + static_cast<int>(i) * CellWidth, y, CellWidth, captionNames[i]);
    }
    y += 24;
    for (std::size_t i = 0; i < captionNames.size(); ++i) {
        gallery.Button(LabelWidth + static_cast<int>(i) * CellWidth, y, "Text",
                       i == 0 ? Shown::Up : Shown::Disabled, [&](TabcPicSpeedBtn& b) { b.SetPopup(false); });
    }
    y += CellHeight;

    gallery.Sheet().resize(LabelWidth + CellWidth * 5 + 8, y + 8);
    const QPixmap image = gallery.Render();
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "button-gallery: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
