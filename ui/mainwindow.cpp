// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"

#include "ui/appicon.h"
#include "ui/textbox.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

// Keyboard order of the window; controls that take no focus are passed over.
constexpr std::pair<QStringView, int> TabOrder[] = {
    {u"Text1", 0},     {u"Text1", 1},     {u"Label1", 0},   {u"Text2", 0},    {u"Text2", 1},
    {u"Text2", 2},     {u"Text2", 3},     {u"Text2", 4},    {u"Text2", 6},    {u"Frame1", -1},
    {u"Option1", 0},   {u"Option1", 1},   {u"Option1", 2},  {u"Option1", 3},  {u"Command1", 0},
    {u"Command1", 1},  {u"List2", 0},     {u"List2", 1},    {u"List2", 2},    {u"List2", 3},
    {u"Label1", 1},    {u"Command2", 0},  {u"Command2", 1}, {u"Command2", 2}, {u"Label1", 2},
    {u"Picture1", -1}, {u"Label1", 3},    {u"List2", 5},    {u"List2", 4},    {u"Text2", 5},
    {u"Label1", 4},    {u"Picture2", -1}, {u"List2", 6},    {u"Option1", 4},
};

// Edges are rounded, not the width, so neighbours laid out edge to edge stay edge to edge.
QRect pixelRect(float left, float top, float width, float height)
{
    auto edge = [](double twips) { return int(std::lround(twips / layout::TwipsPerPixel)); };
    const int x0 = edge(left);
    const int y0 = edge(top);
    const int x1 = edge(double(left) + double(width));
    const int y1 = edge(double(top) + double(height));
    return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

QColor toColor(Rgb rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

// A screen reader cannot see the indicator's or a graded answer's colour, so it is named.
QString colourName(Rgb rgb)
{
    if (rgb == colours::Red)
        return u"Червено"_s;
    if (rgb == colours::Green)
        return u"Зелено"_s;
    return {};
}

// Every colour of the window is set here.
void applyBackground(QWidget *widget, Kind kind, Rgb rgb)
{
    const QColor colour = toColor(rgb);
    if (kind == Kind::CommandButton) {
        // Only a stylesheet with a border shows the exact colour under Fusion, enabled and disabled.
        widget->setStyleSheet(u"QPushButton { background-color: %1; border: 1px solid gray; }"
                              "QPushButton:focus { border: 2px solid black; }"
                              "QPushButton:pressed { border: 2px inset gray; }"_s.arg(colour.name()));
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
    if (kind == Kind::OptionButton)
        palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(64, 64, 64));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    if (kind == Kind::OptionButton || kind == Kind::PictureBox)
        widget->setAccessibleDescription(colourName(rgb));
}

QString accessibleNameOf(const LayoutEntry &entry)
{
    static constexpr QStringView Letters[] = {u"A", u"B", u"C", u"D", u"E"};
    const QStringView name = entry.name;
    if (name == u"Text1")
        return entry.index == 0 ? u"Помощ"_s : u"Бележка на автора"_s;
    if (name == u"Text2") {
        if (entry.index == 0)
            return u"Въпрос"_s;
        if (entry.index == 6)
            return u"Фраза с избрания отговор"_s;
        return u"Текст на отговор "_s + Letters[entry.index - 1].toString();
    }
    if (name == u"Picture1")
        return u"Индикатор за въведен отговор"_s;
    if (name == u"Picture2")
        return u"Изображение към въпроса"_s;
    if (name == u"Frame1")
        return u"Отговори"_s;
    return entry.text.toString();
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
    QFont font(layout::FontFamily.toString(), layout::FontPointSize);
    // Cyrillic and Latin need no OpenType shaping; skipping it makes every new text a third cheaper.
    font.setStyleStrategy(QFont::PreferNoShaping);
    m_client->setFont(font);
    setCentralWidget(m_client);

    m_options = new QButtonGroup(this);
    for (const LayoutEntry &entry : layoutTable()) {
        if (entry.kind == Kind::StringList)
            continue; // the run tables are data, not widgets
        QWidget *parentWidget = entry.parent.isEmpty() ? m_client : widgetOf(entry.parent, -1);
        m_controls.push_back({&entry, createControl(entry, parentWidget),
                              m_engine.state().find(entry.name, entry.index), entry.background});
    }
    connect(m_options, &QButtonGroup::idClicked, this, [this](int id) {
        m_engine.selectOption(id);
        sync();
    });

    buildMenu();
    setTabOrderFromTable();
    // The client area keeps its size: the window can be neither resized nor maximised.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // The help text holds the focus when the window opens.
    widgetOf(u"Text1", 0)->setFocus();
    sync();
}

QWidget *MainWindow::createControl(const LayoutEntry &entry, QWidget *parent)
{
    QWidget *widget = nullptr;
    switch (entry.kind) {
    case Kind::Label: {
        auto *label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment((entry.name == u"Label1" && entry.index == 0 ? Qt::AlignHCenter : Qt::AlignLeft) |
                            Qt::AlignTop);
        label->setText(entry.text.toString());
        widget = label;
        break;
    }
    case Kind::CommandButton: {
        auto *button = new QPushButton(entry.text.toString(), parent);
        button->setAutoDefault(false);
        const int index = entry.index;
        if (entry.name == u"Command1")
            connect(button, &QPushButton::clicked, this, [this, index] {
                m_engine.Command1_Click(qint16(index));
                sync();
            });
        else
            connect(button, &QPushButton::clicked, this, [this, index] {
                m_engine.Command2_Click(qint16(index));
                sync();
            });
        widget = button;
        break;
    }
    case Kind::TextBox: {
        auto *box = new TextBox(parent);
        box->setRawText(entry.text.toString());
        widget = box;
        break;
    }
    case Kind::Frame: {
        auto *frame = new QFrame(parent);
        frame->setFrameShape(QFrame::NoFrame);
        widget = frame;
        break;
    }
    case Kind::OptionButton: {
        auto *option = new QRadioButton(entry.text.toString(), parent);
        m_options->addButton(option, entry.index);
        widget = option;
        break;
    }
    case Kind::PictureBox:
        if (entry.name == u"Picture2") {
            auto *picture = new QLabel(parent);
            // No border: a figure is drawn exactly as big as the box, and a border would cut it.
            picture->setFrameStyle(QFrame::NoFrame);
            picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            // No stored colour: the system colour of a picture box, not the window's.
            picture->setBackgroundRole(QPalette::Button);
            picture->setAutoFillBackground(true);
            m_picture = picture;
            widget = picture;
        } else {
            widget = new QWidget(parent);
        }
        break;
    case Kind::Shape:
        widget = new QWidget(parent);
        break;
    case Kind::StringList:
        break;
    }
    widget->setObjectName(controlId(entry.name, entry.index));
    // A label is read out by its current caption; a fixed name would go stale when the caption changes.
    if (entry.kind != Kind::Label)
        widget->setAccessibleName(accessibleNameOf(entry));
    widget->setGeometry(
        pixelRect(float(entry.left), float(entry.top), float(entry.width), float(entry.height)));
    widget->setVisible(entry.visible);
    if (entry.background)
        applyBackground(widget, entry.kind, *entry.background);
    return widget;
}

QWidget *MainWindow::widgetOf(QStringView name, int index) const
{
    for (const Bound &bound : m_controls) {
        if (bound.entry->name == name && bound.entry->index == index)
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
    QWidget *previous = nullptr;
    for (const auto &[name, index] : TabOrder) {
        QWidget *widget = widgetOf(name, index);
        if (!widget || !(widget->focusPolicy() & Qt::TabFocus))
            continue;
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
        if (!control)
            continue;
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
            static_cast<TextBox *>(widget)->setRawText(control->text);
            break;
        case Kind::Label:
            if (auto *label = static_cast<QLabel *>(widget); label->text() != control->text)
                label->setText(control->text);
            break;
        case Kind::CommandButton:
        case Kind::OptionButton:
            if (auto *button = static_cast<QAbstractButton *>(widget); button->text() != control->text)
                button->setText(control->text);
            break;
        default:
            break;
        }
    }
    syncOptions();
    showPicture(m_engine.picture2());
}

void MainWindow::syncOptions()
{
    int selected = -1;
    for (int i = 0; i < int(m_engine.state().Option1.size()); ++i) {
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

void MainWindow::showPicture(const QByteArray &jpeg)
{
    if (jpeg == m_shownPicture)
        return;
    m_shownPicture = jpeg;
    if (jpeg.isEmpty()) {
        m_picture->clear();
        return;
    }
    auto found = m_decoded.constFind(jpeg);
    if (found == m_decoded.constEnd()) {
        QPixmap pixmap;
        pixmap.loadFromData(jpeg, "JPG");
        found = m_decoded.insert(jpeg, pixmap);
    }
    if (found->isNull())
        m_picture->clear();
    else
        m_picture->setPixmap(*found);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The close box ends the program exactly as "Изход" does.
    if (!m_engine.ended())
        m_engine.izhod_Click(0);
    event->accept();
}

} // namespace morv
