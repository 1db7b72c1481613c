// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the program's start-up: the least a Qt Widgets window of the same size costs,
// a menu bar with two commands and one label, in the same fonts, shown at once. As in the program, the
// client area is in Times New Roman and the menu bar in the desktop's own font.
#include <QAction>
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.menuBar()->addAction(QStringLiteral("Изход"), &app, &QApplication::quit);
    window.menuBar()->addAction(QStringLiteral("Автор"));
    auto *label = new QLabel(QStringLiteral("Празен прозорец"));
    label->setFont(QFont(QStringLiteral("Times New Roman"), 12));
    label->setFixedSize(727, 463); // the program's client area, below the menu bar
    window.setCentralWidget(label);
    window.show();
    return app.exec();
}
