// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the embedded bank is read and checked, the load handler runs, then the window is shown.
#pragma once

#include "bank/bankreader.h"
#include "engine/morvprazno.h"
#include "engine/random.h"
#include "ui/mainwindow.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace morv {

// Shows the message of a refused bank; the program uses a dialog, tests a recorder.
using RefusalPresenter = std::function<void(const QString &message)>;

// "Тестът не може да започне:" on a line of its own, then every problem on its own line.
QString refusalMessage(const QStringList &problems);
// The program's presenter: a critical message box.
void showRefusalDialog(const QString &message);

// One run of the test: the random source, the engine and its window, for as long as the program runs.
class TestSession
{
public:
    // Runs the load handler, then builds the window on its result; the window is not shown yet.
    TestSession(Bank bank, std::unique_ptr<RandomSource> random, std::function<void()> endProgram);

    MORV_Prazno &engine() { return m_engine; }
    MainWindow &window() { return m_window; }

private:
    std::unique_ptr<RandomSource> m_random;
    MORV_Prazno m_engine;
    MainWindow m_window;
};

// Starts the test on a bank as read. A refused bank is shown once through present and gives no session
// and no window; otherwise the session's window is shown. Without a random source the clock seeds one.
std::unique_ptr<TestSession> startTest(BankLoad load, const RefusalPresenter &present,
                                       std::function<void()> endProgram,
                                       std::unique_ptr<RandomSource> random = nullptr);

} // namespace morv
