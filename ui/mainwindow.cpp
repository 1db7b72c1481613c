// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"

#include "engine/look.h"
#include "engine/spoken.h"
#include "ui/appicon.h"
#include "ui/commandbutton.h"
#include "ui/figurebox.h"
#include "ui/spokenwidget.h"
#include "ui/textbox.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

QColor toColor(Rgb rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

// Relative luminance of a colour as readability guidelines define it.
double luminance(const QColor &colour)
{
    auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

// Black or white, whichever reads better on the background: the background stays as laid out, and a
// caption on it, enabled or not, is never the toolkit's faint grey.
QColor captionOn(const QColor &background)
{
    const double light = luminance(background);
    return toColor((light + 0.05) / 0.05 >= 1.05 / (light + 0.05) ? colours::Black : colours::White);
}

// An option button that marks the keyboard focus with an outline in its caption's colour, clear on
// green, red and light blue alike.
class OptionButton final : public QRadioButton
{
public:
    using QRadioButton::QRadioButton;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QRadioButton::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};

// Every colour of the window is set here.
void applyBackground(QWidget *widget, Kind kind, Rgb rgb)
{
    const QColor colour = toColor(rgb);
    const QColor caption = captionOn(colour);
    if (kind == Kind::CommandButton) {
        static_cast<CommandButton *>(widget)->setColours(colour, caption);
        return;
    }
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, colour);
        // An option button paints its background from this role, also while disabled; elsewhere it
        // would tint the children's scroll bars and buttons.
        if (kind == Kind::OptionButton)
            palette.setColor(group, QPalette::Button, colour);
    }
    // In results mode the disabled captions still tell the examinee which answer is which.
    if (kind == Kind::OptionButton || kind == Kind::Label) {
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::WindowText, caption);
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

MainWindow::MainWindow(MORV_Prazno &engine, QWidget *parent) : QMainWindow(parent), m_engine(engine)
{
    setWindowIcon(programIcon());
    m_client = new QWidget(this);
    m_client->setObjectName(u"client"_s);
    m_client->setFixedSize(layout::ClientWidth / layout::TwipsPerPixel,
                           layout::ClientHeight / layout::TwipsPerPixel);
    applyBackground(m_client, Kind::Frame, colours::Window);
    m_client->setFont(windowFont());
    setCentralWidget(m_client);

    // Assistive technology learns what the indicator and the strip mean, not only their colours.
    static const bool spokenWidgetsKnown = [] {
        QAccessible::installFactory(spokenWidgetAccessible);
        return true;
    }();
    Q_UNUSED(spokenWidgetsKnown);
    m_options = new QButtonGroup(this);
    for (const ControlEntry &entry : controlTable()) {
        QWidget *parentWidget =
            entry.parent.isEmpty() ? m_client : m_client->findChild<QWidget *>(entry.parent.toString());
        m_controls.push_back(
            {&entry, createControl(entry, parentWidget), &entry.slot(m_engine.state()), entry.background});
    }
    connect(m_options, &QButtonGroup::idClicked, this, [this](int id) {
        m_engine.selectOption(id);
        sync();
    });

    const FormState &state = m_engine.state();
    m_indicator = qobject_cast<SpokenWidget *>(widgetOf(state.Picture1));
    m_positionRow = qobject_cast<SpokenWidget *>(widgetOf(state.Shape1[Done]));
    m_answeredRow = qobject_cast<SpokenWidget *>(widgetOf(state.Shape2[Done]));
    buildMenu();
    setTabOrderFromTable();
    // The client area keeps its size: the window can be neither resized nor maximised.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // The help text holds the focus when the window opens.
    widgetOf(m_engine.state().Text1[Help])->setFocus();
    sync();
}

QWidget *MainWindow::createControl(const ControlEntry &entry, QWidget *parent)
{
    QWidget *widget = nullptr;
    switch (entry.kind) {
    case Kind::Label: {
        auto *label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment((entry.align == Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        label->setText(entry.text.toString());
        widget = label;
        break;
    }
    case Kind::CommandButton: {
        auto *button = new CommandButton(entry.text.toString(), parent);
        button->setAutoDefault(false);
        if (const ClickHandler handler = entry.onClick)
            connect(button, &QPushButton::clicked, this, [this, handler, index = qint16(entry.index)] {
                // Not `(m_engine.*handler)(index)`: inside a lambda GCC 12's vptr check reads a wrong
                // address for it and the sanitizer build stops.
                std::invoke(handler, m_engine, index);
                sync();
            });
        widget = button;
        break;
    }
    case Kind::TextBox:
        // Its text comes with the first sync: laid out here, the table's text would only be laid out
        // again.
        widget = new TextBox(parent);
        break;
    case Kind::Frame: {
        auto *frame = new QFrame(parent);
        frame->setFrameShape(QFrame::NoFrame);
        widget = frame;
        break;
    }
    case Kind::OptionButton: {
        auto *option = new OptionButton(entry.text.toString(), parent);
        m_options->addButton(option, entry.index);
        widget = option;
        break;
    }
    case Kind::FigureBox: {
        m_picture = new FigureBox(parent);
        widget = m_picture;
        break;
    }
    case Kind::PictureBox:
    case Kind::Shape: {
        auto *spoken = new SpokenWidget(parent);
        // The indicator and each row of the strip speak; the rest of a row is only its length.
        if (!entry.accessibleName.isEmpty())
            spoken->setSpokenRole(entry.kind == Kind::PictureBox ? QAccessible::StaticText
                                                                 : QAccessible::ProgressBar);
        widget = spoken;
        break;
    }
    }
    widget->setObjectName(entry.id());
    // A label is read out by its current caption; a fixed name would go stale when the caption changes.
    if (!entry.accessibleName.isEmpty())
        widget->setAccessibleName(entry.accessibleName.toString());
    widget->setGeometry(pixelRect(entry));
    widget->setVisible(entry.visible);
    if (entry.background)
        applyBackground(widget, entry.kind, *entry.background);
    return widget;
}

QWidget *MainWindow::widgetOf(const Control &control) const
{
    for (const Bound &bound : m_controls) {
        if (bound.control == &control)
            return bound.widget;
    }
    return nullptr;
}

void MainWindow::buildMenu()
{
    QAction *exit = menuBar()->addAction(u"Изход"_s);
    exit->setObjectName(u"izhod(0)"_s);
    connect(exit, &QAction::triggered, this, [this] { m_engine.izhod_Click(0); });
    QAction *author = menuBar()->addAction(u"Автор"_s);
    author->setObjectName(u"autor"_s);
    connect(author, &QAction::triggered, this, [this] {
        m_engine.autor_Click();
        sync();
    });
}

void MainWindow::setTabOrderFromTable()
{
    std::vector<const Bound *> order;
    for (const Bound &bound : m_controls) {
        if (bound.entry->tabIndex >= 0 && (bound.widget->focusPolicy() & Qt::TabFocus))
            order.push_back(&bound);
    }
    std::ranges::sort(order, {}, [](const Bound *bound) { return bound->entry->tabIndex; });
    QWidget *previous = nullptr;
    for (const Bound *bound : order) {
        QWidget *widget = bound->widget;
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

void MainWindow::sync()
{
    // After Exit the bank is unloaded and nothing is left to show.
    if (m_engine.ended())
        return;
    const FormState &state = m_engine.state();
    if (windowTitle() != state.caption)
        setWindowTitle(state.caption);
    for (Bound &bound : m_controls) {
        const Control *control = bound.control;
        QWidget *widget = bound.widget;
        const QRect rect = pixelRect(control->left, control->top, control->width, control->height);
        if (widget->geometry() != rect)
            widget->setGeometry(rect);
        if (widget->isHidden() == control->visible)
            widget->setVisible(control->visible);
        if (widget->testAttribute(Qt::WA_Disabled) == control->enabled)
            widget->setEnabled(control->enabled);
        if (control->background && control->background != bound.shownBackground) {
            applyBackground(widget, control->kind, *control->background);
            bound.shownBackground = control->background;
        }
        switch (control->kind) {
        case Kind::TextBox:
            if (auto *box = qobject_cast<TextBox *>(widget))
                box->setRawText(control->text);
            break;
        case Kind::Label:
            if (auto *label = qobject_cast<QLabel *>(widget); label && label->text() != control->text)
                label->setText(control->text);
            break;
        case Kind::CommandButton:
        case Kind::OptionButton:
            if (auto *button = qobject_cast<QAbstractButton *>(widget);
                button && button->text() != control->text)
                button->setText(control->text);
            break;
        default:
            break;
        }
    }
    syncOptions();
    m_picture->setJpeg(m_engine.picture2());
    speak();
}

void MainWindow::speak()
{
    const Spoken spoken = spokenState(m_engine.state(), m_engine.values());
    for (int i = 0; i < OptionCount; ++i) {
        QAbstractButton *option = m_options->button(i);
        if (option->accessibleDescription() != spoken.options[std::size_t(i)])
            option->setAccessibleDescription(spoken.options[std::size_t(i)]);
    }
    m_indicator->setSpokenValue(spoken.indicator);
    m_positionRow->setSpokenValue(spoken.position);
    m_answeredRow->setSpokenValue(spoken.answered);
    if (const QString figure = m_engine.picture2Text(); m_picture->accessibleDescription() != figure)
        m_picture->setAccessibleDescription(figure);
}

void MainWindow::syncOptions()
{
    int selected = -1;
    for (int i = 0; i < OptionCount; ++i) {
        if (m_engine.state().Option1[std::size_t(i)].selected)
            selected = i;
    }
    // Checking from code emits no click, so the engine's handler is never entered from here.
    if (selected >= 0) {
        if (QAbstractButton *button = m_options->button(selected); !button->isChecked())
            button->setChecked(true);
    } else if (QAbstractButton *checked = m_options->checkedButton()) {
        // An exclusive group refuses to uncheck its last button.
        m_options->setExclusive(false);
        checked->setChecked(false);
        m_options->setExclusive(true);
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The close box ends the program exactly as "Изход" does.
    if (!m_engine.ended())
        m_engine.izhod_Click(0);
    event->accept();
}

} // namespace morv

// The meta-object code is compiled here, not in a file of its own that would read the Qt headers again.
#include "moc_mainwindow.cpp"
