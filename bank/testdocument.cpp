// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/testdocument.h"

#include "bank/bank.h"

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

constexpr std::array<SwitchInfo, SwitchCount> Switches = {{
    {Switch::Phrase, u"phrase", u"ЧЕО - фраза от 2 части", Bank::PhraseRow, 0,
     u"Фраза с избрания отговор на мястото на „_“ (езикови тестове)",
     u"режим за езикови тестове / phrase preview for language tests"},
    {Switch::Toto, u"toto", u"Проверка за Тото", Bank::TotoRow, 1,
     u"Проверка „Тото“: първият въпрос още веднъж",
     u"проверката „Тото“ / the repeated-question consistency check"},
    {Switch::Explanations, u"explanations", u"Дава описание", Bank::ExplanationRow, 1,
     u"Обясненията след оценяването", u"обясненията след оценяване / explanations after grading"},
    {Switch::Review, u"review", u"Дава обяснения", Bank::ResultsNavigationRow, 0,
     u"„Напред“ и „Назад“ след оценяването",
     u"„Напред“ и „Назад“ след оценяване / Forward and Back after grading"},
}};

const QString FirstRow = u"Настройки - последната цифра"_s;

} // namespace

int rowDigit(const QString &row)
{
    if (row.isEmpty())
        return 0;
    const QChar last = row.back();
    return last >= u'0' && last <= u'9' ? last.unicode() - u'0' : 0;
}

std::span<const SwitchInfo> switchTable()
{
    return Switches;
}

const SwitchInfo &switchInfo(Switch which)
{
    return Switches[std::size_t(which)];
}

bool TestSwitches::on(Switch which) const
{
    const int value = digit(which);
    return which == Switch::Toto || which == Switch::Explanations ? value > 0 : value == 1;
}

QStringList settingsRows(const TestDocument &document)
{
    const QStringList &kept = document.sourceRows;
    QStringList rows = {kept.value(0, FirstRow), {}, {}, document.title, {}, {}};
    for (const SwitchInfo &info : Switches) {
        const int digit = document.switches.digit(info.which);
        rows[info.row] = info.row < kept.size() && rowDigit(kept[info.row]) == digit
                             ? kept[info.row]
                             : info.rowLabel.toString() + u" - "_s + QString::number(digit);
    }
    // Rows beyond the six the program reads stay, so that a source's own mistake is still reported.
    for (qsizetype r = rows.size(); r < kept.size(); ++r)
        rows.append(kept[r]);
    return rows;
}

void readSettingsRows(TestDocument &document, const QStringList &rows)
{
    document.sourceRows = rows;
    document.rowsRead = true;
    document.title = rows.value(Bank::TitleRow);
    for (const SwitchInfo &info : Switches)
        document.switches.setDigit(info.which, rowDigit(rows.value(info.row)));
}

BankSource bankSource(const TestDocument &document)
{
    BankSource source;
    source.settings = settingsRows(document);
    // Fewer rows than the program reads are the source's own mistake, reported as such.
    if (document.rowsRead && document.sourceRows.size() < Bank::SettingsRows)
        source.settings = document.sourceRows;
    source.questions = document.questions;
    source.settingsLine = document.settingsLine;
    source.questionsLine = document.questionsLine;
    return source;
}

TestDocument testDocument(const BankSource &source, const QString &file)
{
    TestDocument document;
    readSettingsRows(document, source.settings);
    document.questions = source.questions;
    document.file = file;
    document.settingsLine = source.settingsLine;
    document.questionsLine = source.questionsLine;
    return document;
}

} // namespace morv
