// The floor Nagwick's main window is measured against: a plain Qt 6 Widgets
// window with the same nine labels and three buttons, the same texts, font
// and pixel positions (at 96 dpi), and a fixed size. Nothing else: no
// settings file, no signal handling, no D-Bus, no icon, no slots.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <algorithm>

namespace {

struct Control {
    bool button;
    const char* text;
    int left, top, width, height;  // twips
    bool bold;
};

constexpr Control kControls[] = {
    {false, "Your flash drive is plugged in.", 240, 240, 2655, 255, true},
    {false, "Exit -", 240, 720, 450, 195, true},
    {false, "Exits this program, allowing you to safely remove the flash drive.", 840, 720, 4470, 195, false},
    {false, "You will not recieve any more nagwicks.  It is reccomended that", 840, 960, 4500, 195, false},
    {false, "you leave this widow open, then click Exit when you want to log off.", 840, 1200, 4785, 195, false},
    {false, "Hide -", 240, 1560, 525, 195, true},
    {false, "Hides this window, but leaves the program running.", 840, 1560, 3600, 195, false},
    {false, "You will recieve a nagwick when you log off, but you will not be", 840, 1800, 4470, 195, false},
    {false, "able to safely remove your flash drive.", 840, 2040, 2655, 195, false},
    {true, "Options", 360, 2520, 1215, 495, false},
    {true, "Hide", 2280, 2520, 1215, 495, false},
    {true, "Exit", 4200, 2520, 1215, 495, false},
};
constexpr int kClientWidth = 5775, kClientHeight = 3330;

// Twips to pixels at 96 dpi, rounded.
int Px(int twips) { return (twips * 96 + 720) / 1440; }

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Bare window");
    QFont font = QApplication::font();
    font.setPointSizeF(8.25);
    window.setFont(font);

    int width = Px(kClientWidth), height = Px(kClientHeight);
    for (const Control& c : kControls) {
        QWidget* widget = c.button ? static_cast<QWidget*>(new QPushButton(c.text, &window))
                                   : new QLabel(c.text, &window);
        if (c.bold) {
            QFont bold = font;
            bold.setBold(true);
            widget->setFont(bold);
        }
        QRect box(Px(c.left), Px(c.top), Px(c.width), Px(c.height));
        // A label keeps its whole text, as in Nagwick's window: the box and
        // the window grow where the font needs more room.
        if (!c.button) {
            box.setWidth(std::max(box.width(), widget->sizeHint().width()));
            box.setHeight(std::max(box.height(), widget->sizeHint().height()));
        }
        widget->setGeometry(box);
        width = std::max(width, box.right() + 1 + std::max(Px(kClientWidth - c.left - c.width), 0));
        height = std::max(height, box.bottom() + 1 + std::max(Px(kClientHeight - c.top - c.height), 0));
    }
    window.setFixedSize(width, height);
    window.show();
    return app.exec();
}
