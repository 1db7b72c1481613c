// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the formatted texts of other question formats into the program's plain text.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace morv {

// How a text of an imported question is written.
enum class TextFormat {
    Html,       // HTML: line breaks only from <p>, <br> and the like
    MoodleAuto, // HTML in which every line break also counts
    Plain,      // taken as written
    Markdown,   // Markdown, read by Qt's own reader; HTML in it is not read
};

struct TextImage
{
    QString src;
    QString alt;
};

// A link's address and the words that carry it.
struct TextLink
{
    QString href;
    QString text;
};

// Sound, video or another file a text plays or shows in place: the program can do neither.
struct TextMedia
{
    QString tag; // "audio", "video", "object"…
    QString src; // empty when the element names no file
};

// A superscript or subscript with a character that has no such form in Unicode, or with another one
// inside it: kept as plain text.
struct TextScript
{
    bool super = true;
    QString text;
    QString nested; // with the scripts inside it written ^(…) and _(…); empty when there are none
};

struct PlainText
{
    QString text;              // lines joined with '\n', no empty lines at either end
    QList<TextImage> images;   // every <img> met, in order; the text keeps no trace of them
    QList<TextLink> links;     // every <a href>, in order; the text keeps their words
    QList<TextMedia> media;    // every <audio>, <video>, <object>, <embed> and <iframe>; gone from the text
    QList<TextScript> scripts; // superscripts and subscripts that could not be written as such
    QString markup;            // Markdown only: the first HTML tag in it, shown as written
    qsizetype scanned = 0;     // the characters looked at to read tags: the work that must stay linear
};

// The text in superscript (or subscript) characters, or nothing when one of its characters has no
// such form. Blanks stay blanks; '-' is taken as the minus sign.
std::optional<QString> toScript(QStringView text, bool super);
// Every character toScript can give, so that the window's fonts can be checked for them.
QString scriptCharacters();

// Tags dropped, entities decoded, paragraphs and <br> as line breaks, runs of blanks as one space
// except in <pre>, list items numbered or bulleted, <sup> and <sub> as superscript and subscript
// characters. Text that only looks like markup ("3 < 5", "A & B") stays as written.
PlainText htmlToText(QStringView html, TextFormat format = TextFormat::Html);
// The text in the program's plain form, whatever its format.
PlainText toPlainText(QStringView text, TextFormat format);

} // namespace morv
