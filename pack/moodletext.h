// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The form of the texts МОРВ writes into a Moodle XML file and reads back exactly: HTML that Moodle shows
// as the program does, and the category that carries the test's title and switches.
#pragma once

#include "bank/testdocument.h"
#include "pack/htmltext.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace morv::moodle {

// A text of the program as HTML: '<', '&' and '>' as entities, line breaks as <br>, a blank that HTML
// would drop or merge (at either end of a line, or beside another blank) as &nbsp;, tabs, carriage
// returns and no-break spaces as numeric references. The picture, if any, follows on a line of its own.
QString exactHtml(const QString &text, const std::optional<TextImage> &picture = std::nullopt);

struct ExactText
{
    QString text;
    std::optional<TextImage> picture;
};
// The text that exactHtml wrote, or nothing when html is not exactly what exactHtml writes (a text
// changed in Moodle, say): that one is read as any other HTML.
std::optional<ExactText> fromExactHtml(QStringView html);

// The description of the category МОРВ writes first: a first line that marks the file as МОРВ's, then
// one line a switch as "Проверка за Тото - 1" (the settings rows' own wording), then "Заглавие: " and
// the title to the end of the text.
QString settingsInfo(const TestDocument &document);

struct CategorySettings
{
    bool marked = false; // the description starts with МОРВ's mark
    QString title;
    TestSwitches switches;
    QString problem; // marked, but not as МОРВ writes it; in the teacher's words
};
// The title and switches of a category's description, when it carries МОРВ's mark.
CategorySettings readSettingsInfo(const QString &info);

// How much of the start of a file МОРВ wrote holds its category whole: the category stands first, its
// description a few hundred bytes, whatever the pictures after it.
inline constexpr qint64 CategoryBytes = 64 * 1024;
// Whether a file starts as a Moodle XML file that МОРВ wrote: its first question is the category with
// the mark. Only the first bytes are needed.
bool writtenByMorv(const QByteArray &start);
// The title and switches such a file carries, when its category holds them as МОРВ writes them.
std::optional<CategorySettings> carriedSettings(const QByteArray &start);

} // namespace morv::moodle
