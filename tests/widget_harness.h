// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A window on an engine with a bank built in code and scripted draws, its controls found by name.
#pragma once

#include "engine/morvprazno.h"
#include "tests/support/scriptedrandom.h"
#include "tests/support/testbank.h"
#include "ui/mainwindow.h"
#include "ui/textbox.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace morv::test {

// Five questions "Въпрос k" with answers "k-1".."k-4", the first one correct, explanations on, the
// consistency check and the phrase preview off. The first draw (0) makes the shuffle step 2, so the
// positions show bank questions 3, 5, 2, 4, 1; every later draw (0) keeps the stored answer order.
inline BankSource fiveQuestions(int navigation = 0)
{
    return numberedSource(5, 4, settings(0, 0, 1, navigation, QStringLiteral("Тест по геометрия")));
}

class Harness
{
public:
    explicit Harness(const BankSource &source = fiveQuestions(), bool load = true)
        : engine(bankOf(source), random,
                 [this] {
                     ++endCalls;
                     if (onEnd)
                         onEnd();
                 }),
          window(engine)
    {
        if (load) {
            engine.Form_Load();
            window.sync();
        }
    }

    // Shown on the offscreen screen, so geometry, focus and pixels are those of a real window.
    void show()
    {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget *client() const { return window.centralWidget(); }

    template <typename T = QWidget>
    T *control(const QString &id) const
    {
        T *found = window.findChild<T *>(id);
        EXPECT_NE(found, nullptr) << id.toStdString();
        return found;
    }
    QRadioButton *option(int i) const { return control<QRadioButton>(QStringLiteral("Option1(%1)").arg(i)); }
    QAbstractButton *button(const QString &id) const { return control<QAbstractButton>(id); }
    QString rawText(const QString &id) const { return control<TextBox>(id)->rawText(); }
    QString caption(const QString &id) const { return control<QLabel>(id)->text(); }
    QAction *action(const QString &id) const { return control<QAction>(id); }

    // The place of a control in the client area, whatever its parent.
    QRect inClient(QWidget *widget) const { return {widget->mapTo(client(), QPoint(0, 0)), widget->size()}; }
    // The colour drawn at a point of a control, from a fresh rendering of the client area.
    QColor pixel(QWidget *widget, QPoint at) const
    {
        const QImage image = client()->grab().toImage();
        return image.pixelColor(widget->mapTo(client(), at));
    }

    ScriptedRandom random;
    int endCalls = 0;
    std::function<void()> onEnd;
    MORV_Prazno engine;
    MainWindow window;
};

inline std::string rgb(const QColor &colour)
{
    return QStringLiteral("(%1,%2,%3)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .toStdString();
}

} // namespace morv::test
