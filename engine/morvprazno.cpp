// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/morvprazno.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

QString number(int value)
{
    return QString::number(value);
}

} // namespace

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
    m_state.Label1[0].text = m_bank.List2().value(Bank::TitleRow);

    if (m_bank.settingValue(Bank::TotoRow) == 1) {
        const int m = int(m_bank.List1(0).size());
        const QStringList first = m_bank.List1(1);
        m_bank.setPicture1(m + 1, m_bank.Picture1(1));
        m_bank.appendList1(0, m_bank.List1(0).value(0));
        m_bank.emptyList1(m + 1);
        for (const QString &row : first)
            m_bank.appendList1(m + 1, row);
        // The repeat is graded like question 1, so it explains itself like question 1 too.
        const QStringList explanation = m_bank.Obqsnenie(1);
        m_bank.emptyObqsnenie(m + 1);
        for (const QString &line : explanation)
            m_bank.appendObqsnenie(m + 1, line);
    }

    m_values.QuestionCount = qint16(m_bank.List1(0).size());
    m_state.Picture1.background = colours::Red;
    ShuffleQuestions();
    m_values.AnsweredCount = 0;
    m_state.Text2[6].visible = m_bank.settingValue(Bank::PhraseRow) == 1;

    for (auto *row : {&m_state.Shape1, &m_state.Shape2}) {
        Control &done = (*row)[0];
        Control &rest = (*row)[1];
        done.left = m_state.Command1[0].left;
        rest.left = done.left + done.width;
        rest.width = (m_state.Command1[1].left + m_state.Command1[1].width) - rest.left;
    }

    for (int t = 0; t <= 4; ++t)
        m_state.List2[std::size_t(t)].rows.clear();
    const int N = m_values.QuestionCount;
    const int x = m_values.ShuffleStep;
    for (int k = 1; k <= N; ++k) {
        m_state.List2[0].rows.append(u"-1"_s);
        m_state.List2[1].rows.append(number(N > 0 ? (k * x) % N : 0));
        const int n = int(m_bank.List1(k).size()) - 1;
        const QStringList &orders = Bank::Poredica(n);
        int f = 1;
        for (int d = 2; d <= n; ++d)
            f *= d;
        const int j = drawScaled(1000.0f) % f;
        m_state.List2[2].rows.append(orders.value(j));
        m_state.List2[3].rows.append(u"-1"_s);
        m_state.List2[4].rows.append(u"-1"_s);
    }

    m_values.CurrentPosition = 0;
    m_state.List2[1].selected = 0;
    ShowQuestion();
}

void MORV_Prazno::ShuffleQuestions()
{
    const int N = m_values.QuestionCount;
    StringList &primes = m_state.List2[5];
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
    const QString order = m_state.List2[2].row(b);
    for (int i = 1; i <= 5; ++i) {
        Control &box = m_state.Text2[std::size_t(i)];
        Control &option = m_state.Option1[std::size_t(i - 1)];
        if (i <= n) {
            box.visible = true;
            option.visible = true;
            const int d = i <= order.size() ? rowNumber(QStringView(order).mid(i - 1, 1)) : 0;
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
    const int b = rowNumber(m_state.List2[1].row(p));
    UpdateProgress();
    const QStringList &question = m_bank.List1(b + 1);
    const int n = int(question.size()) - 1;
    m_state.Text2[0].text = question.value(0);
    fillAnswers(b);
    const QString correct = m_bank.List1(0).value(b);
    for (int i = 1; i <= std::min(n, 5); ++i) {
        if (m_state.Text2[std::size_t(i)].text == correct)
            m_state.List2[4].write(p, number(i - 1));
    }
    SelectRunRow();
    for (int i = 0; i <= 4; ++i)
        deselectOption(i);
    const int c = rowNumber(m_state.List2[0].row(p));
    if (c > -1)
        selectOption(c);
    m_state.Picture1.background = rowNumber(m_state.List2[3].row(p)) == -1 ? colours::Red : colours::Green;
    ShowPicture(qint16(b));
}

void MORV_Prazno::SelectRunRow()
{
    for (int t = 0; t <= 4; ++t)
        m_state.List2[std::size_t(t)].selected = m_values.CurrentPosition;
}

void MORV_Prazno::ShowPicture(qint16 b)
{
    m_state.picture2Source = b + 1;
}

void MORV_Prazno::UpdateProgress()
{
    m_state.Text2[6].text.clear();
    const float p = m_values.CurrentPosition;
    const float N = m_values.QuestionCount;
    const int a = m_values.AnsweredCount;
    const Control &back = m_state.Command1[1];
    const float E = back.width + back.left - 50.0f;
    // A rest part never gets a negative width, however many questions the bank holds.
    auto layRow = [E, N](std::array<Control, 2> &row, float count) {
        row[0].width = float(50.0 + double(E) * count / N);
        row[1].left = row[0].left + row[0].width;
        row[1].width = std::max(0.0f, E - row[1].left);
    };
    layRow(m_state.Shape1, p);
    layRow(m_state.Shape2, float(a >= 1 ? a - 1 : a));
    m_state.Label1[2].text = u"Въведени отговори: "_s + number(a) + u'/' + number(m_values.QuestionCount);
}

void MORV_Prazno::selectOption(int index)
{
    if (index < 0 || index > 4)
        return;
    for (int i = 0; i <= 4; ++i)
        m_state.Option1[std::size_t(i)].selected = i == index;
    Option1_Click(qint16(index));
}

void MORV_Prazno::deselectOption(int index)
{
    if (index >= 0 && index <= 4)
        m_state.Option1[std::size_t(index)].selected = false;
}

void MORV_Prazno::Option1_Click(qint16 Index)
{
    const int c = Index;
    const int p = m_values.CurrentPosition;
    const int N = m_values.QuestionCount;
    m_state.List2[0].write(p, number(c));
    if (rowNumber(m_state.List2[3].row(p)) == -1) {
        ++m_values.AnsweredCount;
        UpdateProgress();
    }
    const qint16 b = qint16(rowNumber(m_state.List2[1].row(p)));
    const QString correct = m_bank.List1(0).value(b);
    const QString chosen = m_state.Text2[std::size_t(c + 1)].text;
    m_state.List2[3].write(p, chosen == correct ? u"1"_s : u"0"_s);
    if (b == N - 1)
        m_state.List2[6].write(1, chosen);
    if (b == 0)
        m_state.List2[6].write(0, chosen);
    m_state.Picture1.background = colours::Green;
    m_state.List2[3].selected = p;
    m_values.ChosenOption = Index;
    ComposePhrase();
}

void MORV_Prazno::ComposePhrase()
{
    if (m_bank.settingValue(Bank::PhraseRow) != 1)
        return;
    // Positions count characters, so a figure outside the basic plane is never cut in half.
    const QList<uint> ucs4 = m_state.Text2[0].text.toUcs4();
    const auto *s = reinterpret_cast<const char32_t *>(ucs4.constData());
    const qsizetype L = ucs4.size();
    qsizetype i = 1;
    while (i <= L && s[i - 1] != U'_')
        ++i;
    const qsizetype blank = i; // everything before it is the prefix
    while (i <= L && s[i - 1] == U'_')
        ++i;
    const QString prefix = QString::fromUcs4(s, blank - 1);
    const QString suffix = L > i ? QString::fromUcs4(s + i, L - i) : QString();
    const int chosen = m_values.ChosenOption + 1;
    const QString answer = chosen >= 1 && chosen <= 5 ? m_state.Text2[std::size_t(chosen)].text : QString();
    m_state.Text2[6].text = prefix + u' ' + answer + u' ' + suffix;
}

void MORV_Prazno::Command1_Click(qint16 Index)
{
    const int last = m_values.QuestionCount - 1;
    if (Index == 0)
        m_values.CurrentPosition = qint16(std::min(m_values.CurrentPosition + 1, last));
    else if (Index == 1)
        m_values.CurrentPosition = qint16(std::max(m_values.CurrentPosition - 1, 0));
    ShowQuestion();
}

void MORV_Prazno::Command2_Click(qint16 Index)
{
    const int N = m_values.QuestionCount;
    if (Index == 0) {
        const int navigation = m_bank.settingValue(Bank::ResultsNavigationRow);
        m_state.Command2[0].enabled = false;
        m_state.Command1[0].visible = false;
        m_state.Command1[1].visible = false;
        m_state.Command2[1].visible = navigation == 1;
        m_state.Command2[2].visible = navigation == 1;
        for (Control &option : m_state.Option1) {
            option.enabled = false;
            option.background = colours::LightBlue;
        }
        const int correct = int(m_state.List2[3].rows.count(u"1"_s));
        const int percent = N > 0 ? int(std::floor(double(correct) * 100.0 / double(N))) : 0;
        m_state.Label1[1].text += number(correct) + u'/' + number(N) + u" = "_s + number(percent) + u'%';
        m_values.CurrentPosition = 0;
        m_state.Shape1[1].visible = true;
        ShowConsistencyCheck();
    } else if (Index == 1) {
        m_values.CurrentPosition = qint16(std::min(m_values.CurrentPosition + 1, N - 1));
    } else if (Index == 2) {
        m_values.CurrentPosition = qint16(std::max(m_values.CurrentPosition - 1, 0));
    }
    ShowGradedQuestion();
}

void MORV_Prazno::ShowGradedQuestion()
{
    const int p = m_values.CurrentPosition;
    const int b = rowNumber(m_state.List2[1].row(p));
    UpdateProgress();
    m_state.Text2[0].text = m_bank.List1(b + 1).value(0);
    for (int i = 0; i <= 4; ++i) {
        deselectOption(i);
        m_state.Option1[std::size_t(i)].background = colours::LightBlue;
    }
    fillAnswers(b);
    m_state.Text2[6].text.clear();
    const int c = rowNumber(m_state.List2[0].row(p));
    if (c > -1) {
        selectOption(c);
        const int k = rowNumber(m_state.List2[4].row(p));
        if (k >= 0 && k <= 4)
            m_state.Option1[std::size_t(k)].background = colours::Green;
        if (c <= 4) {
            const bool right = m_state.Text2[std::size_t(c + 1)].text == m_bank.List1(0).value(b);
            m_state.Option1[std::size_t(c)].background = right ? colours::Green : colours::Red;
        }
    }
    SelectRunRow();
    if (rowNumber(m_state.List2[3].row(p)) < 1)
        m_state.Picture1.background = colours::Red;
    ShowPicture(qint16(b));
    QString &help = m_state.Text1[0].text;
    help.clear();
    if (rowNumber(m_state.List2[3].row(p)) < 0) {
        help = u"Няма въведен отговор!"_s;
        return;
    }
    if (m_bank.settingValue(Bank::ExplanationRow) > 0) {
        for (const QString &line : m_bank.Obqsnenie(b + 1))
            help += line + u"\r\n"_s;
    }
}

void MORV_Prazno::ShowConsistencyCheck()
{
    Control &verdict = m_state.Label1[3];
    const StringList &firstAndLast = m_state.List2[6];
    verdict.text = firstAndLast.row(1) == firstAndLast.row(0) ? u"Проверка - Да"_s : u"Вероятно!"_s;
    if (m_values.AnsweredCount < m_values.QuestionCount)
        verdict.text = u"Частично!"_s;
    verdict.visible = m_bank.settingValue(Bank::TotoRow) > 0;
}

void MORV_Prazno::autor_Click()
{
    m_state.Text1[0].text = u"За повече информация посетете "_s + layout::WebAddress.toString() + u'.';
}

void MORV_Prazno::izhod_Click(qint16 Index)
{
    Q_UNUSED(Index);
    m_bank = Bank(); // the data window is unloaded before the program ends
    m_ended = true;
    if (m_endProgram)
        m_endProgram();
}

} // namespace morv
