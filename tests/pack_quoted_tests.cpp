// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How the importers quote a teacher's text in a message: whole up to 60 characters, a longer one cut
// to 60 with "…" as the last of them.
#include "pack/importbuilder.h"
#include "tests/support/rows.h"
#include "tests/support/testbank.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace morv;

namespace {

// In the rows' own namespace, where GoogleTest looks for a failing row's PrintTo.
using morv::test::PrintTo;
using morv::test::RowName;

struct QuotedCase
{
    const char *name;
    QString text;
    QString quoted;
};

std::vector<QuotedCase> quotedTexts()
{
    const QString line = u"Основата на правата призма е успоредник със страни AB = 43 см и AD = 35 см."_s;
    return {
        {"a short text whole", u"Колко е 2 + 2?"_s, u"„Колко е 2 + 2?“"_s},
        {"an empty text", QString(), u"„“"_s},
        {"60 characters whole", QString(60, u'я'), u"„"_s + QString(60, u'я') + u"“"_s},
        {"61 characters cut to 59 and the ellipsis", QString(61, u'я'), u"„"_s + QString(59, u'я') + u"…“"_s},
        {"a long line cut after its 59th character", line,
         u"„Основата на правата призма е успоредник със страни AB = 43 …“"_s},
        // A character beyond the basic plane is one character, though two UTF-16 units.
        {"60 characters with astral ones kept whole", u"я𝑥"_s.repeated(30),
         u"„"_s + u"я𝑥"_s.repeated(30) + u"“"_s},
        {"61 characters cut after an astral 59th kept whole", QString(58, u'я') + u"𝑥яя"_s,
         u"„"_s + QString(58, u'я') + u"𝑥…“"_s},
        {"61 emoji cut to 59 whole ones", u"😀"_s.repeated(61), u"„"_s + u"😀"_s.repeated(59) + u"…“"_s},
    };
}

class Quoted : public testing::TestWithParam<QuotedCase>
{};

// A text of up to 60 characters is quoted whole; a longer one keeps its first 59 and "…".
TEST_P(Quoted, KeepsOrCutsTheText)
{
    EXPECT_EQ(importing::quoted(GetParam().text), GetParam().quoted);
    // Never more than the marks and 60 characters.
    EXPECT_LE(importing::quoted(GetParam().text).toUcs4().size(), 62);
}

INSTANTIATE_TEST_SUITE_P(Pack, Quoted, testing::ValuesIn(quotedTexts()), RowName());

} // namespace
