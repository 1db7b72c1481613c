// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Importers that turn questions written in other formats (Aiken, GIFT, Moodle XML) into a bank source.
#pragma once

#include "bank/testdocument.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace morv {

enum class SourceFormat { Folder, Aiken, Gift, MoodleXml };

// The largest picture a source may bring, before it is converted to fit the program's picture box.
inline constexpr qint64 MaxPictureBytes = 4 * 1024 * 1024;

// The largest source file of each format, refused from its size alone before more than the start that
// tells its format is read: far above any real export (a Moodle XML file carries its pictures inside
// it, in base64; GIFT and Aiken are text), and small enough that any source is refused within 2 s and
// 200 MB.
qint64 maxSourceBytes(SourceFormat format);

// What an importer made of a source. Problems carry their rule, their line (from 1; 0 for the whole
// source) and a text for the teacher; one about a question carries its number N, counting every
// question of the source from 1, refused ones included, and its text starts with "въпрос N: ". With no
// problems, source.questions holds every question of the source in order, so the numbers of checkBank's
// messages are the source's; otherwise it holds only the questions that imported cleanly. Pictures are kept
// as the source gives them (JPEG, PNG or GIF), for the caller to convert. A source of more than a
// thousand questions, or faults, is read only that far: the rest are counted, and a problem says so.
struct Import
{
    // The questions and their lines; the title and switches when hasSettings, else the caller's.
    TestDocument source;
    bool hasSettings = false; // a bank.json, or a Moodle XML file МОРВ wrote, brings the test's settings
    QList<Problem> problems;
    // What was written otherwise than the source has it, or left out though the pupil would not miss
    // it, in the same form as problems; `--strict` makes them problems.
    QList<Problem> warnings;
    // Every question the source begins, in order and numbered as the problems number them, as far as
    // it was read: the refused and broken ones too, one whose structure could not be read with its line
    // alone. With no problems, the same questions as source.questions.
    std::vector<QuestionSource> begun;
};

// The format of the source at path (a file, or a folder holding bank.json), told from its content;
// nothing when it cannot be told.
std::optional<SourceFormat> detectFormat(const QString &path);
// The same for the first bytes of a file.
std::optional<SourceFormat> detectTextFormat(const QByteArray &bytes);

// Whether an importer keeps the bytes of the picture files its source names beside it, or only checks
// them (that each is a file inside the source's folder, within MaxPictureBytes) and leaves them for the
// caller to read when it converts each: so that a test's pictures are never all held at once.
enum class PictureBytes { Kept, LeftInFile };

Import importAiken(const QByteArray &bytes);
// Pictures named by the source are read from `folder`, the source's own folder.
Import importGift(const QByteArray &bytes, const QString &folder, PictureBytes keep = PictureBytes::Kept);
Import importMoodleXml(const QByteArray &bytes);

} // namespace morv
