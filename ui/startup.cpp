// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/startup.h"

#include "bank/bankreader.h"
#include "bank/picturecheck.h"

#include <QMessageBox>

using namespace Qt::Literals::StringLiterals;

namespace morv {

QString refusalMessage(const QStringList &problems)
{
    QString message = u"Тестът не може да започне:"_s;
    for (const QString &problem : problems)
        message += u'\n' + problem;
    return message;
}

void showRefusalDialog(const QString &message)
{
    QMessageBox::critical(nullptr, u"МОРВ"_s, message);
}

namespace {

// The load handler runs before the window is built, which then lays out each text it shows once.
MORV_Prazno &loaded(MORV_Prazno &engine)
{
    engine.Form_Load();
    return engine;
}

} // namespace

TestSession::TestSession(Bank bank, std::unique_ptr<RandomSource> random, std::function<void()> endProgram)
    : m_random(std::move(random)), m_engine(std::move(bank), *m_random, std::move(endProgram)),
      m_window(loaded(m_engine))
{}

std::unique_ptr<TestSession> startTest(BankLoad load, const RefusalPresenter &present,
                                       std::function<void()> endProgram, std::unique_ptr<RandomSource> random)
{
    if (!load.bank) {
        QStringList problems = texts(load.problems);
        if (problems.isEmpty())
            problems.append(u"банката с въпроси не може да бъде прочетена."_s);
        if (present)
            present(refusalMessage(problems));
        return nullptr;
    }
    if (!random)
        random = std::make_unique<ClockRandom>();
    auto session =
        std::make_unique<TestSession>(std::move(*load.bank), std::move(random), std::move(endProgram));
    session->window().show();
    return session;
}

} // namespace morv
