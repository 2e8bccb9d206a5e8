#include "platform/qt/form_widget.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <vector>

#include "forms/form_layout.h"

namespace nagwick::platform::qt {

namespace {

// 8.25 points, in the desktop's default sans-serif face.
constexpr double kFontPointSize = 8.25;

Qt::WindowFlags FlagsFor(forms::FormKind kind) {
    // A fixed frame: no maximise box; the main window can be minimised.
    const Qt::WindowFlags common = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (kind == forms::FormKind::Main) return Qt::Window | common | Qt::WindowMinimizeButtonHint;
    return Qt::Dialog | common;
}

}  // namespace

FormWidget::FormWidget(const forms::FormDesign& design, QWidget* owner, forms::WindowEvents& events)
    : QDialog(owner, FlagsFor(design.kind)), design_(design), events_(&events) {
    setObjectName(QString::fromUtf8(design.name));
    setWindowTitle(QString::fromUtf8(design.caption));
    QFont font = QApplication::font();
    font.setPointSizeF(kFontPointSize);
    setFont(font);
    for (const auto& control : design.controls) CreateControl(control);
    LayOut();
    ApplyTabOrder();
    // With no default button, the focused button is the default (Enter
    // presses it) and keeps the default's frame while the window is inactive.
    // Auto-default buttons would not: QDialog would make the first one after
    // the focus (Hide) its default as it shows the window, and frame that one
    // whenever the focus leaves the window, under the warning say.
    if (design.defaultButton.empty())
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (auto* button = qobject_cast<QPushButton*>(now); button && button->window() == this)
                button->setDefault(true);
        });
    // Placed now, before the native window exists, where QDialog would place
    // it on showing: on xcb a later move resets a window that is minimised
    // but not yet mapped to normal, and it would never start iconic.
    adjustPosition(owner);
}

void FormWidget::CreateControl(const forms::ControlDesign& control) {
    QWidget* widget = nullptr;
    switch (control.kind) {
    case forms::ControlKind::Label: {
        auto* label = new QLabel(QString::fromUtf8(control.text), this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    case forms::ControlKind::Button: {
        auto* button = new QPushButton(QString::fromUtf8(control.text), this);
        button->setDefault(control.name == design_.defaultButton);
        button->setAutoDefault(!design_.defaultButton.empty());
        connect(button, &QPushButton::clicked, this, [this, name = control.name] {
            if (events_) events_->OnClick(name);
        });
        widget = button;
        break;
    }
    case forms::ControlKind::CheckBox:
        widget = new QCheckBox(QString::fromUtf8(control.text), this);
        break;
    }
    widget->setObjectName(QString::fromUtf8(control.name));
    if (control.bold) {
        QFont bold = font();
        bold.setBold(true);
        widget->setFont(bold);
    }
}

QWidget* FormWidget::Control(std::string_view name) const {
    return findChild<QWidget*>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
}

void FormWidget::LayOut() {
    const int dpi = screen() ? qRound(screen()->logicalDotsPerInch()) : 96;
    const forms::FormLayout layout = forms::LayOutForm(design_, dpi, [this](const forms::ControlDesign& control) {
        const QSize needed = Control(control.name)->sizeHint();
        return forms::Extent{needed.width(), needed.height()};
    });
    for (std::size_t i = 0; i < design_.controls.size(); ++i) {
        const forms::Box& box = layout.boxes[i];
        Control(design_.controls[i].name)->setGeometry(box.left, box.top, box.Width(), box.Height());
    }
    setFixedSize(layout.clientWidth, layout.clientHeight);
}

void FormWidget::ApplyTabOrder() {
    for (const auto& control : design_.controls)
        if (control.kind == forms::ControlKind::Label) Control(control.name)->setFocusPolicy(Qt::NoFocus);
    const std::vector<const forms::ControlDesign*> focusable = forms::TabOrder(design_);
    for (std::size_t i = 1; i < focusable.size(); ++i)
        setTabOrder(Control(focusable[i - 1]->name), Control(focusable[i]->name));
    // The first in tab order has the focus when the window opens.
    FocusFirst();
}

void FormWidget::FocusFirst() {
    const std::vector<const forms::ControlDesign*> focusable = forms::TabOrder(design_);
    if (!focusable.empty()) Control(focusable.front()->name)->setFocus(Qt::OtherFocusReason);
}

void FormWidget::closeEvent(QCloseEvent* event) {
    // The form decides: its unload runs, and then its window goes.
    event->ignore();
    if (events_) events_->OnCloseRequested();
}

void FormWidget::reject() {
    if (design_.kind == forms::FormKind::Dialog && events_) events_->OnCloseRequested();
}

}  // namespace nagwick::platform::qt
