// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One event of the window per benchmark: the engine alone, and (when the window library is built)
// the engine followed by bringing the widgets in line with its state, offscreen. The goals are
// under 50 µs per event for the engine and under 0.5 ms with the widgets, on the median.
#include "bank/bankreader.h"
#include "bank/picturecheck.h"
#include "engine/morvprazno.h"
#include "engine/random.h"

#include <benchmark/benchmark.h>

#include "ui/startup.h"

#include <QAbstractButton>
#include <QApplication>

#include <memory>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace {

using morv::Bank;
using morv::MORV_Prazno;

// The embedded bank as the program reads it at every start.
Bank embeddedBank()
{
    morv::BankLoad load = morv::readEmbeddedBank(morv::jpegHeaderProblem);
    if (!load.bank)
        throw std::runtime_error("the embedded bank does not load");
    return *load.bank;
}

// The shipped bank with Forward and Back offered in results mode (settings row 5 set to 1).
Bank bankWithResultsNavigation()
{
    morv::TestDocument document = morv::readEmbeddedBank(morv::jpegHeaderProblem).document;
    document.switches.set(morv::Switch::Review, true);
    return morv::buildBank(document);
}

struct Run
{
    morv::ClockRandom random;
    std::unique_ptr<MORV_Prazno> engine;

    explicit Run(Bank bank) : engine(std::make_unique<MORV_Prazno>(std::move(bank), random, [] {}))
    {
        engine->Form_Load();
    }
    int position() const { return engine->values().CurrentPosition; }
    int last() const { return engine->values().QuestionCount - 1; }
    // Chooses the first answer of every question and comes back to the first one.
    void answerAll()
    {
        for (int p = 0; p <= last(); ++p) {
            engine->selectOption(p % 2);
            engine->Command1_Click(morv::Forward);
        }
        while (position() > 0)
            engine->Command1_Click(morv::Back);
    }
};

void startUp(benchmark::State &state)
{
    for (auto _ : state) {
        morv::ClockRandom random;
        MORV_Prazno engine(embeddedBank(), random, [] {});
        engine.Form_Load();
        benchmark::DoNotOptimize(engine.values().QuestionCount);
    }
}

// Forward through the test; at the last question the walk goes back to the start untimed.
void forward(benchmark::State &state, bool answered)
{
    Run run(embeddedBank());
    if (answered)
        run.answerAll();
    for (auto _ : state) {
        run.engine->Command1_Click(morv::Forward);
        if (run.position() == run.last()) {
            state.PauseTiming();
            while (run.position() > 0)
                run.engine->Command1_Click(morv::Back);
            state.ResumeTiming();
        }
    }
    if (run.engine->values().QuestionCount < 3)
        state.SkipWithError("the test has too few questions");
}

void optionClick(benchmark::State &state)
{
    Run run(embeddedBank());
    int visible = 0;
    for (const auto &option : run.engine->state().Option1)
        visible += option.visible ? 1 : 0;
    if (visible < 2) {
        state.SkipWithError("the first question shows fewer than two options");
        return;
    }
    int i = 0;
    for (auto _ : state) {
        run.engine->selectOption(i);
        i = (i + 1) % visible;
    }
}

// Grade on a freshly loaded test whose questions are all answered.
void grade(benchmark::State &state)
{
    const Bank bank = embeddedBank();
    for (auto _ : state) {
        state.PauseTiming();
        auto run = std::make_unique<Run>(bank);
        run->answerAll();
        state.ResumeTiming();
        run->engine->Command2_Click(morv::Grade);
        state.PauseTiming();
        run.reset();
        state.ResumeTiming();
    }
}

// Forward in results mode, explanations shown; back to the start untimed at the last question.
void resultsStep(benchmark::State &state)
{
    Run run(bankWithResultsNavigation());
    run.answerAll();
    run.engine->Command2_Click(morv::Grade);
    if (!run.engine->state().Command2[morv::ResultsForward].visible) {
        state.SkipWithError("results mode offers no Forward");
        return;
    }
    for (auto _ : state) {
        run.engine->Command2_Click(morv::ResultsForward);
        if (run.position() == run.last()) {
            state.PauseTiming();
            while (run.position() > 0)
                run.engine->Command2_Click(morv::ResultsBack);
            state.ResumeTiming();
        }
    }
}

BENCHMARK(startUp)->Name("engine/start-up (bank + engine + Form_Load)")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(forward, unanswered, false)->Name("engine/Forward")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(forward, answered, true)
    ->Name("engine/Forward onto an answered question")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(optionClick)->Name("engine/option click")->Unit(benchmark::kMicrosecond);
BENCHMARK(grade)->Name("engine/Grade")->Unit(benchmark::kMicrosecond);
BENCHMARK(resultsStep)->Name("engine/results-mode Forward")->Unit(benchmark::kMicrosecond);

// The window as the program runs it, offscreen: each event is a click on the real widget, which
// runs the engine's handler and then MainWindow::sync(). With `paint` the repaint that follows is
// timed too; without it, the repaint still happens, untimed, so that no work piles up.
struct Session
{
    std::unique_ptr<morv::TestSession> session;

    explicit Session(Bank bank)
        : session(std::make_unique<morv::TestSession>(std::move(bank), std::make_unique<morv::ClockRandom>(),
                                                      [] {}))
    {
        session->window().show();
        QCoreApplication::processEvents();
    }
    QAbstractButton *button(const QString &id) const
    {
        auto *found = session->window().findChild<QAbstractButton *>(id);
        if (!found)
            throw std::runtime_error("no button " + id.toStdString());
        return found;
    }
    int position() const { return session->engine().values().CurrentPosition; }
    int last() const { return session->engine().values().QuestionCount - 1; }
    void answerAll()
    {
        for (int p = 0; p <= last(); ++p) {
            button(u"Option1(%1)"_s.arg(p % 2))->click();
            button(u"Command1(0)"_s)->click();
        }
        while (position() > 0)
            button(u"Command1(1)"_s)->click();
        QCoreApplication::processEvents();
    }
};

void settle(benchmark::State &state, bool paint)
{
    if (paint) {
        QCoreApplication::processEvents();
        return;
    }
    state.PauseTiming();
    QCoreApplication::processEvents();
    state.ResumeTiming();
}

void widgetStartUp(benchmark::State &state)
{
    for (auto _ : state) {
        auto session = morv::startTest(morv::readEmbeddedBank(morv::jpegHeaderProblem), {}, [] {});
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (!session) {
            state.SkipWithError("the embedded bank is refused");
            break;
        }
        session.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void widgetForward(benchmark::State &state, bool answered, bool paint)
{
    Session run(embeddedBank());
    if (answered)
        run.answerAll();
    QAbstractButton *forward = run.button(u"Command1(0)"_s);
    QAbstractButton *back = run.button(u"Command1(1)"_s);
    for (auto _ : state) {
        forward->click();
        settle(state, paint);
        if (run.position() == run.last()) {
            state.PauseTiming();
            while (run.position() > 0)
                back->click();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
    }
}

void widgetOptionClick(benchmark::State &state, bool paint)
{
    Session run(embeddedBank());
    std::vector<QAbstractButton *> options;
    for (int i = 0; i < 5; ++i) {
        QAbstractButton *option = run.button(u"Option1(%1)"_s.arg(i));
        if (option->isVisible())
            options.push_back(option);
    }
    if (options.size() < 2) {
        state.SkipWithError("the first question shows fewer than two options");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        options[i]->click();
        settle(state, paint);
        i = (i + 1) % options.size();
    }
    if (run.session->engine().values().AnsweredCount != 1)
        state.SkipWithError("the clicks did not reach the engine");
}

void widgetGrade(benchmark::State &state, bool paint)
{
    const Bank bank = embeddedBank();
    for (auto _ : state) {
        state.PauseTiming();
        auto run = std::make_unique<Session>(bank);
        run->answerAll();
        QAbstractButton *grade = run->button(u"Command2(0)"_s);
        state.ResumeTiming();
        grade->click();
        settle(state, paint);
        state.PauseTiming();
        if (grade->isEnabled())
            state.SkipWithError("Grade left its button enabled");
        run.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void widgetResultsStep(benchmark::State &state, bool paint)
{
    Session run(bankWithResultsNavigation());
    run.answerAll();
    run.button(u"Command2(0)"_s)->click();
    QCoreApplication::processEvents();
    QAbstractButton *forward = run.button(u"Command2(1)"_s);
    QAbstractButton *back = run.button(u"Command2(2)"_s);
    if (!forward->isVisible()) {
        state.SkipWithError("results mode offers no Forward");
        return;
    }
    for (auto _ : state) {
        forward->click();
        settle(state, paint);
        if (run.position() == run.last()) {
            state.PauseTiming();
            while (run.position() > 0)
                back->click();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
    }
}

// Each of these sets up a whole window untimed per iteration: a fixed count keeps the run short.
BENCHMARK(widgetStartUp)
    ->Name("widgets/start-up (bank + engine + window + first paint)")
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100);
BENCHMARK_CAPTURE(widgetForward, synced, false, false)
    ->Name("widgets/Forward")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(widgetForward, answered, true, false)
    ->Name("widgets/Forward onto an answered question")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(widgetOptionClick, synced, false)
    ->Name("widgets/option click")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(widgetGrade, synced, false)
    ->Name("widgets/Grade")
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100);
BENCHMARK_CAPTURE(widgetResultsStep, synced, false)
    ->Name("widgets/results-mode Forward")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(widgetForward, painted, false, true)
    ->Name("widgets+paint/Forward")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(widgetForward, answeredPainted, true, true)
    ->Name("widgets+paint/Forward onto an answered question")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(widgetOptionClick, painted, true)
    ->Name("widgets+paint/option click")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(widgetGrade, painted, true)
    ->Name("widgets+paint/Grade")
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100);
BENCHMARK_CAPTURE(widgetResultsStep, painted, true)
    ->Name("widgets+paint/results-mode Forward")
    ->Unit(benchmark::kMicrosecond);

} // namespace
