// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for what the window shows: every control of the program's window at its place, in its
// colours and font, with the first question of the shipped test, its four answers, the help text and
// the question's figure, built from Qt's own widgets in the plainest way. No test is read, checked or
// shuffled, and no engine runs: what this costs above the bare window is the cost of what the pupil
// sees, before anything the program does.
#include "engine/controls.h"
#include "engine/look.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

// The shipped test's first question (its figure is MORV_FIRST_FIGURE).
QString shownText(const morv::ControlEntry &entry)
{
    if (entry.name == u"Text1" && entry.index == morv::Help)
        return morv::helpText();
    if (entry.name != u"Text2")
        return entry.text.toString();
    switch (entry.index) {
    case morv::Question:
        return u"В триъгълника ABC е построена т.M на страната AB. Ако AC = BC = AM и CM = MB то ъгъл ACM = ?"_s;
    case morv::AnswerA:
        return u"50°"_s;
    case morv::AnswerB:
        return u"72°"_s;
    case morv::AnswerC:
        return u"60°"_s;
    case morv::AnswerD:
        return u"64°"_s;
    default:
        return {};
    }
}

// Shown when the window opens with a question of four answers; the rest as the table creates them.
bool shown(const morv::ControlEntry &entry)
{
    if (entry.name == u"Text2" && entry.index == int(morv::Preview))
        return false;
    const auto index = std::size_t(entry.index);
    if ((entry.name == u"Text2" && index >= morv::AnswerA && index <= morv::AnswerD) ||
        (entry.name == u"Option1" && index <= morv::OptionD))
        return true;
    return entry.visible;
}

void paintBackground(QWidget *widget, morv::Rgb rgb)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColor(rgb.r, rgb.g, rgb.b));
    palette.setColor(QPalette::Button, QColor(rgb.r, rgb.g, rgb.b));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(morv::windowCaption());
    window.menuBar()->addAction(u"Изход"_s, &app, &QApplication::quit);
    window.menuBar()->addAction(u"Автор"_s);
    auto *client = new QWidget;
    client->setFixedSize(morv::layout::ClientWidth / morv::layout::TwipsPerPixel,
                         morv::layout::ClientHeight / morv::layout::TwipsPerPixel);
    paintBackground(client, morv::colours::Window);
    client->setFont(morv::windowFont());
    window.setCentralWidget(client);

    QLabel *figure = nullptr;
    for (const morv::ControlEntry &entry : morv::controlTable()) {
        QWidget *parent =
            entry.parent.isEmpty() ? client : client->findChild<QWidget *>(entry.parent.toString());
        QWidget *widget = nullptr;
        switch (entry.kind) {
        case morv::Kind::Label: {
            auto *label = new QLabel(shownText(entry), parent);
            label->setWordWrap(true);
            widget = label;
            break;
        }
        case morv::Kind::CommandButton:
            widget = new QPushButton(shownText(entry), parent);
            break;
        case morv::Kind::TextBox: {
            auto *box = new QPlainTextEdit(parent);
            box->setReadOnly(true);
            box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            box->setPlainText(shownText(entry).replace(u"\r\n"_s, u"\n"_s));
            widget = box;
            break;
        }
        case morv::Kind::Frame:
            widget = new QFrame(parent);
            break;
        case morv::Kind::OptionButton:
            widget = new QRadioButton(shownText(entry), parent);
            break;
        case morv::Kind::FigureBox:
            figure = new QLabel(parent);
            widget = figure;
            break;
        case morv::Kind::PictureBox:
        case morv::Kind::Shape:
            widget = new QWidget(parent);
            break;
        }
        widget->setObjectName(entry.id());
        widget->setGeometry(morv::pixelRect(entry));
        widget->setVisible(shown(entry));
        if (entry.background)
            paintBackground(widget, *entry.background);
    }
    window.show();
    // The figure comes with the first pass of the event loop, as the program's comes with its first paint.
    QTimer::singleShot(0, figure,
                       [figure] { figure->setPixmap(QPixmap(QStringLiteral(MORV_FIRST_FIGURE))); });
    return app.exec();
}
