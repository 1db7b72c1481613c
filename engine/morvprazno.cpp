// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/morvprazno.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace morv {

MORV_Prazno::MORV_Prazno(Bank bank, RandomSource &random, std::function<void()> endProgram)
    : m_bank(std::move(bank)), m_random(random), m_endProgram(std::move(endProgram)),
      m_state(FormState::fromLayout())
{}

int MORV_Prazno::drawScaled(float scale)
{
    const float scaled = m_random.draw() * scale;
    return int(std::nearbyint(scaled)); // the default rounding mode sends halves to the even neighbour
}

void MORV_Prazno::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_random.seedFromClock();
    m_state.Label1[Title].text = m_bank.settings().title;

    if (m_bank.settings().repeatQuestion) {
        const int m = int(m_bank.List1(Bank::CorrectAnswers).size());
        m_bank.setPicture1(m + 1, m_bank.Picture1(1), m_bank.pictureText(1));
        m_bank.setList1(Bank::CorrectAnswers, m_bank.List1(Bank::CorrectAnswers) +
                                                  QStringList{m_bank.List1(Bank::CorrectAnswers).value(0)});
        m_bank.setList1(m + 1, m_bank.List1(1));
        // The repeat is graded like question 1, so it explains itself like question 1 too.
        m_bank.setObqsnenie(m + 1, m_bank.Obqsnenie(1));
    }

    m_values.QuestionCount = qint16(m_bank.List1(Bank::CorrectAnswers).size());
    m_state.Picture1.background = colours::Red;
    ShuffleQuestions();
    m_values.AnsweredCount = 0;
    m_state.Text2[Preview].visible = m_bank.settings().phrasePreview;

    for (auto *row : {&m_state.Shape1, &m_state.Shape2}) {
        Control &done = (*row)[Done];
        Control &rest = (*row)[Rest];
        done.left = m_state.Command1[Forward].left;
        rest.left = done.left + done.width;
        rest.width = (m_state.Command1[Back].left + m_state.Command1[Back].width) - rest.left;
    }

    for (RunTable t : {Chosen, QuestionOrder, AnswerOrder, Grades, CorrectOption})
        m_state.List2[t].rows.clear();
    const int N = m_values.QuestionCount;
    const int x = m_values.ShuffleStep;
    for (int k = 1; k <= N; ++k) {
        m_state.List2[Chosen].rows.append(u"-1"_s);
        m_state.List2[QuestionOrder].rows.append(QString::number(N > 0 ? (k * x) % N : 0));
        const int n = int(m_bank.List1(k).size()) - 1;
        const QStringList &orders = Bank::Poredica(n);
        // A question outside 2..5 answers has no orders; a checked bank never has one.
        const int j = orders.isEmpty() ? 0 : drawScaled(1000.0f) % int(orders.size());
        m_state.List2[AnswerOrder].rows.append(orders.value(j));
        m_state.List2[Grades].rows.append(u"-1"_s);
        m_state.List2[CorrectOption].rows.append(u"-1"_s);
    }

    m_values.CurrentPosition = 0;
    m_state.List2[QuestionOrder].selected = 0;
    ShowQuestion();
}

void MORV_Prazno::ShuffleQuestions()
{
    const int N = m_values.QuestionCount;
    StringList &primes = m_state.List2[Primes];
    while (!primes.rows.isEmpty() && rowNumber(primes.rows.last()) >= N)
        primes.rows.removeLast();
    const int count = primes.count();
    if (count == 0) {
        // Fewer than three questions leave no prime; a checked bank never gets here.
        m_values.ShuffleStep = 1;
        return;
    }
    int i = 0;
    int x = 0;
    do {
        i = drawScaled(10.0f) % count;
        x = rowNumber(primes.row(i));
    } while (x <= 0 || N % x == 0);
    m_values.ShuffleStep = qint16(x);
    primes.selected = i;
}

void MORV_Prazno::fillAnswers(int b)
{
    const QStringList &question = m_bank.List1(b + 1);
    const int n = int(question.size()) - 1;
    const QString order = m_state.List2[AnswerOrder].row(b);
    for (int i = 0; i < OptionCount; ++i) {
        Control &box = m_state.Text2[answerBox(i)];
        Control &option = m_state.Option1[std::size_t(i)];
        if (i < n) {
            box.visible = true;
            option.visible = true;
            // Digit i of the order is the stored answer row shown in this box; a non-digit reads as 0.
            const int d = i < order.size() ? std::max(0, order[i].digitValue()) : 0;
            box.text = question.value(d);
        } else {
            box.visible = false;
            option.visible = false;
        }
    }
}

void MORV_Prazno::ShowQuestion()
{
    const int p = m_values.CurrentPosition;
    const int b = rowNumber(m_state.List2[QuestionOrder].row(p));
    UpdateProgress();
    const QStringList &question = m_bank.List1(b + 1);
    const int n = int(question.size()) - 1;
    m_state.Text2[Question].text = question.value(0);
    fillAnswers(b);
    const QString correct = m_bank.List1(Bank::CorrectAnswers).value(b);
    for (int i = 0; i < std::min(n, OptionCount); ++i) {
        if (m_state.Text2[answerBox(i)].text == correct)
            m_state.List2[CorrectOption].write(p, QString::number(i));
    }
    SelectRunRow();
    for (int i = 0; i < OptionCount; ++i)
        deselectOption(i);
    const int c = rowNumber(m_state.List2[Chosen].row(p));
    if (c > -1)
        selectOption(c);
    m_state.Picture1.background =
        rowNumber(m_state.List2[Grades].row(p)) == -1 ? colours::Red : colours::Green;
    ShowPicture(qint16(b));
}

void MORV_Prazno::SelectRunRow()
{
    for (RunTable t : {Chosen, QuestionOrder, AnswerOrder, Grades, CorrectOption})
        m_state.List2[t].selected = m_values.CurrentPosition;
}

void MORV_Prazno::ShowPicture(qint16 b)
{
    m_state.picture2Source = b + 1;
}

void MORV_Prazno::UpdateProgress()
{
    m_state.Text2[Preview].text.clear();
    const float p = m_values.CurrentPosition;
    const float N = m_values.QuestionCount;
    const int a = m_values.AnsweredCount;
    const Control &back = m_state.Command1[Back];
    const float E = back.width + back.left - 50.0f;
    // A rest part never gets a negative width, however many questions the bank holds.
    auto layRow = [E, N](std::array<Control, 2> &row, float count) {
        row[Done].width = float(50.0 + double(E) * count / N);
        row[Rest].left = row[Done].left + row[Done].width;
        row[Rest].width = std::max(0.0f, E - row[Rest].left);
    };
    layRow(m_state.Shape1, p);
    layRow(m_state.Shape2, float(a >= 1 ? a - 1 : a));
    m_state.Label1[AnsweredCounter].text =
        u"Въведени отговори: "_s + QString::number(a) + u'/' + QString::number(m_values.QuestionCount);
}

void MORV_Prazno::selectOption(int index)
{
    if (index < 0 || index >= OptionCount)
        return;
    for (int i = 0; i < OptionCount; ++i)
        m_state.Option1[std::size_t(i)].selected = i == index;
    Option1_Click(qint16(index));
}

void MORV_Prazno::deselectOption(int index)
{
    if (index >= 0 && index < OptionCount)
        m_state.Option1[std::size_t(index)].selected = false;
}

void MORV_Prazno::Option1_Click(qint16 Index)
{
    // Only the five options exist; any other index would grade against another box.
    if (Index < 0 || Index >= OptionCount)
        return;
    const int c = Index;
    const int p = m_values.CurrentPosition;
    const int N = m_values.QuestionCount;
    m_state.List2[Chosen].write(p, QString::number(c));
    if (rowNumber(m_state.List2[Grades].row(p)) == -1) {
        ++m_values.AnsweredCount;
        UpdateProgress();
    }
    const qint16 b = qint16(rowNumber(m_state.List2[QuestionOrder].row(p)));
    const QString correct = m_bank.List1(Bank::CorrectAnswers).value(b);
    const QString chosen = m_state.Text2[answerBox(c)].text;
    m_state.List2[Grades].write(p, chosen == correct ? u"1"_s : u"0"_s);
    // Row 0 keeps the answer for bank question 1, row 1 the one for the last bank question.
    if (b == N - 1)
        m_state.List2[FirstAndLast].write(1, chosen);
    if (b == 0)
        m_state.List2[FirstAndLast].write(0, chosen);
    m_state.Picture1.background = colours::Green;
    m_state.List2[Grades].selected = p;
    m_values.ChosenOption = Index;
    ComposePhrase();
}

void MORV_Prazno::ComposePhrase()
{
    if (!m_bank.settings().phrasePreview)
        return;
    // The first run of underscores is the blank; an underscore is never half of a surrogate pair.
    const QString &question = m_state.Text2[Question].text;
    const qsizetype size = question.size();
    const qsizetype start = question.contains(u'_') ? question.indexOf(u'_') : size;
    qsizetype end = start;
    while (end < size && question[end] == u'_')
        ++end;
    // The character after the blank is dropped, a whole character even beyond the basic plane.
    qsizetype rest = end + 1;
    if (end < size && question[end].isHighSurrogate() && rest < size && question[rest].isLowSurrogate())
        ++rest;
    const QString prefix = question.first(start);
    const QString suffix = rest < size ? question.sliced(rest) : QString();
    const int chosen = m_values.ChosenOption;
    const QString answer =
        chosen >= 0 && chosen < OptionCount ? m_state.Text2[answerBox(chosen)].text : QString();
    m_state.Text2[Preview].text = prefix + u' ' + answer + u' ' + suffix;
}

void MORV_Prazno::Command1_Click(qint16 Index)
{
    const int last = m_values.QuestionCount - 1;
    if (Index == Forward)
        m_values.CurrentPosition = qint16(std::min(m_values.CurrentPosition + 1, last));
    else if (Index == Back)
        m_values.CurrentPosition = qint16(std::max(m_values.CurrentPosition - 1, 0));
    else
        return;
    ShowQuestion();
}

void MORV_Prazno::Command2_Click(qint16 Index)
{
    const int N = m_values.QuestionCount;
    if (Index == Grade) {
        const bool navigation = m_bank.settings().resultsNavigation;
        m_state.Command2[Grade].enabled = false;
        m_state.Command1[Forward].visible = false;
        m_state.Command1[Back].visible = false;
        m_state.Command2[ResultsForward].visible = navigation;
        m_state.Command2[ResultsBack].visible = navigation;
        for (Control &option : m_state.Option1) {
            option.enabled = false;
            option.background = colours::LightBlue;
        }
        const int correct = int(m_state.List2[Grades].rows.count(u"1"_s));
        const int percent = N > 0 ? int(std::floor(double(correct) * 100.0 / double(N))) : 0;
        m_state.Label1[Result].text +=
            QString::number(correct) + u'/' + QString::number(N) + u" = "_s + QString::number(percent) + u'%';
        m_values.CurrentPosition = 0;
        m_state.Shape1[Rest].visible = true;
        ShowConsistencyCheck();
    } else if (Index == ResultsForward) {
        m_values.CurrentPosition = qint16(std::min(m_values.CurrentPosition + 1, N - 1));
    } else if (Index == ResultsBack) {
        m_values.CurrentPosition = qint16(std::max(m_values.CurrentPosition - 1, 0));
    } else {
        return;
    }
    ShowGradedQuestion();
}

void MORV_Prazno::ShowGradedQuestion()
{
    const int p = m_values.CurrentPosition;
    const int b = rowNumber(m_state.List2[QuestionOrder].row(p));
    UpdateProgress();
    m_state.Text2[Question].text = m_bank.List1(b + 1).value(0);
    for (int i = 0; i < OptionCount; ++i) {
        deselectOption(i);
        m_state.Option1[std::size_t(i)].background = colours::LightBlue;
    }
    fillAnswers(b);
    m_state.Text2[Preview].text.clear();
    const int c = rowNumber(m_state.List2[Chosen].row(p));
    if (c > -1) {
        selectOption(c);
        const int k = rowNumber(m_state.List2[CorrectOption].row(p));
        if (k >= 0 && k < OptionCount)
            m_state.Option1[std::size_t(k)].background = colours::Green;
        if (c < OptionCount) {
            const bool right =
                m_state.Text2[answerBox(c)].text == m_bank.List1(Bank::CorrectAnswers).value(b);
            m_state.Option1[std::size_t(c)].background = right ? colours::Green : colours::Red;
        }
    }
    SelectRunRow();
    if (rowNumber(m_state.List2[Grades].row(p)) < 1)
        m_state.Picture1.background = colours::Red;
    ShowPicture(qint16(b));
    QString &help = m_state.Text1[Help].text;
    help.clear();
    if (rowNumber(m_state.List2[Grades].row(p)) < 0) {
        help = u"Няма въведен отговор!"_s;
        return;
    }
    if (m_bank.settings().explanations) {
        for (const QString &line : m_bank.Obqsnenie(b + 1))
            help += line + u"\r\n"_s;
    }
}

void MORV_Prazno::ShowConsistencyCheck()
{
    Control &verdict = m_state.Label1[Verdict];
    const StringList &firstAndLast = m_state.List2[FirstAndLast];
    verdict.text = firstAndLast.row(1) == firstAndLast.row(0) ? u"Проверка - Да"_s : u"Вероятно!"_s;
    if (m_values.AnsweredCount < m_values.QuestionCount)
        verdict.text = u"Частично!"_s;
    verdict.visible = m_bank.settings().showVerdict;
}

void MORV_Prazno::autor_Click()
{
    m_state.Text1[Help].text = u"За повече информация посетете "_s + layout::WebAddress.toString() + u'.';
}

void MORV_Prazno::izhod_Click(qint16 Index)
{
    // The menu array has the one command Exit.
    if (Index != 0)
        return;
    m_bank = Bank(); // the data window is unloaded before the program ends
    m_ended = true;
    if (m_endProgram)
        m_endProgram();
}

QString MORV_Prazno::picture2Text() const
{
    if (picture2().isEmpty())
        return {};
    const QString &text = m_bank.pictureText(m_state.picture2Source);
    return text.isEmpty() ? u"Чертеж към въпроса"_s : text;
}

} // namespace morv
