// The floor Nagwick's main window is measured against: a plain Qt 6 Widgets
// window with the same nine labels and three buttons, the same texts, font
// and pixel positions (at 96 dpi), and a fixed size, from Nagwick's own
// layout table and twips rule. Nothing else: no settings file, no signal
// handling, no D-Bus, no icon, no slots.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <algorithm>

#include "forms/form_design.h"
#include "ui/layouts.h"

namespace {

int Px(int twips) { return nagwick::forms::TwipsToPixels(twips, 96); }

}  // namespace

int main(int argc, char* argv[]) {
    using nagwick::forms::ControlKind;
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Bare window");
    QFont font = QApplication::font();
    font.setPointSizeF(8.25);
    window.setFont(font);

    const auto& design = nagwick::ui::MainFormDesign();
    int width = Px(design.clientWidth), height = Px(design.clientHeight);
    for (const auto& c : design.controls) {
        const bool button = c.kind == ControlKind::Button;
        const QString text = QString::fromUtf8(c.text.data(), static_cast<qsizetype>(c.text.size()));
        QWidget* widget = button ? static_cast<QWidget*>(new QPushButton(text, &window)) : new QLabel(text, &window);
        if (c.bold) {
            QFont bold = font;
            bold.setBold(true);
            widget->setFont(bold);
        }
        QRect box(Px(c.left), Px(c.top), Px(c.width), Px(c.height));
        // A label keeps its whole text, as in Nagwick's window: the box and
        // the window grow where the font needs more room.
        if (!button) {
            box.setWidth(std::max(box.width(), widget->sizeHint().width()));
            box.setHeight(std::max(box.height(), widget->sizeHint().height()));
        }
        widget->setGeometry(box);
        width = std::max(width, box.right() + 1 + std::max(Px(design.clientWidth - c.left - c.width), 0));
        height = std::max(height, box.bottom() + 1 + std::max(Px(design.clientHeight - c.top - c.height), 0));
    }
    window.setFixedSize(width, height);
    window.show();
    return app.exec();
}
