// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/bank.h"

#include "bank/testdocument.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

const QStringList &noRows()
{
    static const QStringList empty;
    return empty;
}

template <typename List, std::size_t Size>
List *slot(std::array<List, Size> &lists, int k)
{
    return k >= 0 && k < int(Size) ? &lists[std::size_t(k)] : nullptr;
}

QStringList permutations(int n)
{
    QString digits = u"12345"_s.first(n);
    QStringList rows;
    do
        rows.append(digits);
    while (std::next_permutation(digits.begin(), digits.end()));
    return rows;
}

} // namespace

const QStringList &Bank::List1(int k) const
{
    return k >= 0 && k < QuestionSlots ? m_list1[std::size_t(k)] : noRows();
}

const QStringList &Bank::Obqsnenie(int k) const
{
    return k >= 0 && k < ExplanationSlots ? m_obqsnenie[std::size_t(k)] : noRows();
}

const QByteArray &Bank::Picture1(int k) const
{
    static const QByteArray none;
    return k >= 0 && k < PictureSlots ? m_picture1[std::size_t(k)] : none;
}

const QString &Bank::pictureText(int k) const
{
    static const QString none;
    return k >= 0 && k < PictureSlots ? m_pictureText[std::size_t(k)] : none;
}

const QStringList &Bank::Poredica(int n)
{
    static const std::array<QStringList, 6> orders = {QStringList(),   QStringList(),   permutations(2),
                                                      permutations(3), permutations(4), permutations(5)};
    return n >= 2 && n <= 5 ? orders[std::size_t(n)] : noRows();
}

int settingValue(const QStringList &settings, int row)
{
    return rowDigit(settings.value(row));
}

Settings Settings::fromRows(const QStringList &rows)
{
    TestDocument document;
    readSettingsRows(document, rows);
    const TestSwitches &switches = document.switches;
    Settings settings;
    settings.phrasePreview = switches.on(Switch::Phrase);
    settings.repeatQuestion = switches.repeatQuestion();
    settings.showVerdict = switches.on(Switch::Toto);
    settings.title = document.title;
    settings.explanations = switches.on(Switch::Explanations);
    settings.resultsNavigation = switches.on(Switch::Review);
    return settings;
}

void Bank::setSettings(const QStringList &rows)
{
    m_settings = rows;
    m_switches = Settings::fromRows(rows);
}

void Bank::setList1(int k, const QStringList &rows)
{
    if (auto *list = slot(m_list1, k))
        *list = rows;
}

void Bank::setObqsnenie(int k, const QStringList &rows)
{
    if (auto *list = slot(m_obqsnenie, k))
        *list = rows;
}

void Bank::setPicture1(int k, const QByteArray &jpeg, const QString &text)
{
    if (auto *picture = slot(m_picture1, k))
        *picture = jpeg;
    if (auto *description = slot(m_pictureText, k))
        *description = text;
}

} // namespace morv
