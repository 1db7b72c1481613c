// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the formatted texts of other question formats into the program's plain text.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace morv {

// How a text of an imported question is written.
enum class TextFormat {
    Html,       // HTML: line breaks only from <p>, <br> and the like
    MoodleAuto, // HTML in which every line break also counts
    Plain,      // taken as written
    Markdown,   // taken as written: its marks stay readable as text
};

struct TextImage
{
    QString src;
    QString alt;
};

struct PlainText
{
    QString text;            // lines joined with '\n', each trimmed, no empty lines at either end
    QList<TextImage> images; // every <img> met, in order; the text keeps no trace of them
};

// Tags dropped, entities decoded, paragraphs and <br> as line breaks, runs of blanks as one space.
// Text that only looks like markup ("3 < 5", "A & B") stays as written.
PlainText htmlToText(QStringView html, TextFormat format = TextFormat::Html);
// The text in the program's plain form, whatever its format.
PlainText toPlainText(QStringView text, TextFormat format);

} // namespace morv
