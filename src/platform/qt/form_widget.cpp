#include "platform/qt/form_widget.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <vector>

namespace nagwick::platform::qt {

namespace {

// 8.25 points, in the desktop's default sans-serif face.
constexpr double kFontPointSize = 8.25;

// The program's icon, drawn for each size it is shown at. Read as PNG by
// name: letting Qt guess the format loads every image plugin at start-up.
const QIcon& ProgramIcon() {
    static const QIcon icon = [] {
        QIcon built;
        for (int size : {16, 32, 48}) {
            QImageReader reader(QString(":/icon/nagwick-%1.png").arg(size), "png");
            reader.setAutoDetectImageFormat(false);
            built.addPixmap(QPixmap::fromImage(reader.read()));
        }
        return built;
    }();
    return icon;
}

Qt::WindowFlags FlagsFor(FormKind kind) {
    const Qt::WindowFlags common = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (kind == FormKind::Main) return Qt::Window | common | Qt::WindowMinimizeButtonHint;
    return Qt::Dialog | common;
}

}  // namespace

FormWidget::FormWidget(const FormDesign& design, WindowEvents& events)
    : QWidget(nullptr, FlagsFor(design.kind)), design_(design), events_(&events) {
    setObjectName(QString::fromUtf8(design.name));
    setWindowTitle(QString::fromUtf8(design.caption));
    setWindowIcon(ProgramIcon());
    QFont font = QApplication::font();
    font.setPointSizeF(kFontPointSize);
    font.setBold(false);
    setFont(font);
    for (const auto& control : design.controls) CreateControl(control);
    Layout();
    ApplyTabOrder();
}

QWidget* FormWidget::CreateControl(const ControlDesign& control) {
    QWidget* widget = nullptr;
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
    case ControlKind::Label: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(text, this);
        // Enter presses the focused button, as on any dialog.
        button->setAutoDefault(true);
        connect(button, &QPushButton::clicked, this, [this, name = control.name] {
            if (events_) events_->OnClick(name);
        });
        widget = button;
        break;
    }
    case ControlKind::CheckBox:
        widget = new QCheckBox(text, this);
        break;
    }
    widget->setObjectName(QString::fromUtf8(control.name));
    if (control.bold) {
        QFont bold = font();
        bold.setBold(true);
        widget->setFont(bold);
    }
    return widget;
}

void FormWidget::Layout() {
    const int dpi = screen() ? qRound(screen()->logicalDotsPerInch()) : 96;
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    int clientWidth = px(design_.clientWidth);
    int clientHeight = px(design_.clientHeight);
    for (const auto& control : design_.controls) {
        auto* widget = findChild<QWidget*>(QString::fromUtf8(control.name), Qt::FindDirectChildrenOnly);
        QRect box(px(control.left), px(control.top), px(control.width), px(control.height));
        // Fonts differ from one desktop to the next: where a text needs more
        // room than its box, the box (and the window) grows; nothing is cut.
        const QSize needed = widget->sizeHint();
        if (control.kind == ControlKind::Label || control.kind == ControlKind::CheckBox) {
            box.setWidth(std::max(box.width(), needed.width()));
            box.setHeight(std::max(box.height(), needed.height()));
        }
        const int rightMargin = px(design_.clientWidth - control.left - control.width);
        clientWidth = std::max(clientWidth, box.right() + 1 + std::max(rightMargin, 0));
        const int bottomMargin = px(design_.clientHeight - control.top - control.height);
        clientHeight = std::max(clientHeight, box.bottom() + 1 + std::max(bottomMargin, 0));
        widget->setGeometry(box);
    }
    setFixedSize(clientWidth, clientHeight);
}

void FormWidget::ApplyTabOrder() {
    std::vector<const ControlDesign*> focusable;
    for (const auto& control : design_.controls)
        if (control.kind != ControlKind::Label) focusable.push_back(&control);
        else findChild<QWidget*>(QString::fromUtf8(control.name))->setFocusPolicy(Qt::NoFocus);
    std::ranges::sort(focusable, {}, &ControlDesign::tabIndex);
    QWidget* previous = nullptr;
    QWidget* first = nullptr;
    for (const ControlDesign* control : focusable) {
        auto* widget = findChild<QWidget*>(QString::fromUtf8(control->name));
        widget->setFocusPolicy(Qt::StrongFocus);
        if (previous) setTabOrder(previous, widget);
        else first = widget;
        previous = widget;
    }
    // The first in tab order has the focus when the window opens.
    if (first) first->setFocus();
}

QAbstractButton* FormWidget::Button(std::string_view name) const {
    return findChild<QAbstractButton*>(QString::fromUtf8(name));
}

void FormWidget::closeEvent(QCloseEvent* event) {
    // The form decides: its unload runs, and then its window goes.
    event->ignore();
    if (events_) events_->OnCloseRequested();
}

void FormWidget::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && design_.kind == FormKind::Dialog && event->key() == Qt::Key_Escape) {
        if (events_) events_->OnCloseRequested();
        return;
    }
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !design_.defaultButton.empty()) {
        if (auto* button = Button(design_.defaultButton); button && button->isEnabled()) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

}  // namespace nagwick::platform::qt
