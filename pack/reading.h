// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a teacher's source (a bank.json folder, Aiken, GIFT or Moodle XML): the test it holds, checked
// as the program will read it and measured against the window, with every problem and warning.
#pragma once

#include "bank/bankreader.h"
#include "bank/testdocument.h"
#include "pack/importer.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace morv {

struct PackOptions
{
    PackOptions(QString sourcePath = {}, SourceFormat sourceFormat = SourceFormat::Folder)
        : source(std::move(sourcePath)), format(sourceFormat)
    {}

    QString source; // a file, or a folder holding bank.json
    SourceFormat format;
    std::optional<QString> title; // none: the one a file МОРВ wrote carries, else the source file's name
    // None: as the Moodle XML file МОРВ wrote has them, else as in the shipped test. A bank.json folder
    // keeps its own settings whatever these say.
    std::array<std::optional<bool>, SwitchCount> switches;
    bool strict = false; // warnings become problems

    std::optional<bool> &operator[](Switch which) { return switches[std::size_t(which)]; }
    std::optional<bool> operator[](Switch which) const { return switches[std::size_t(which)]; }
};

// A source read, checked and measured: what the command line and the window show and write.
struct PackResult
{
    QString file; // the file the messages name: the source, or the folder's bank.json
    SourceFormat format = SourceFormat::Folder;
    // The test as read from the source, with its lines and the title and switches it is packed with.
    TestDocument document;
    // Every question an imported source begins when some could not be imported: also those refused,
    // numbered as the findings number them, with their pictures as the test shows them.
    std::vector<TestQuestion> begun;
    QList<Problem> problems;
    QList<Problem> warnings;  // what a pupil would not see whole; empty while there are problems
    std::optional<Bank> bank; // the bank as the program will read it, when the source holds
    BankFiles files;          // what a written program carries: the bank.json and the figures it names
    QByteArray payload;       // the files as one block, built once: what programs written or tried carry

    bool packable() const { return problems.isEmpty() && bank.has_value(); }
    // Every question of the source in its order, as far as it was read: what a window lists.
    const std::vector<TestQuestion> &questions() const { return begun.empty() ? document.questions : begun; }
    // Every problem, then every warning, one line each, as the command line prints them; the file is
    // named by `shownAs` when given.
    QStringList messages(const QString &shownAs = {}) const;
};

// Reads the source in its format, puts it through the bank's checks and, when it holds, measures its
// texts and pictures against the window.
PackResult pack(const PackOptions &options);

// The title and switches of a test made from an imported source: the shipped switches unless the
// options say otherwise, the title given or else `title`.
void setOptions(TestDocument &document, const PackOptions &options, const QString &title);
// "folder", "aiken", "gift" or "moodle", as --format names them.
std::optional<SourceFormat> formatNamed(const QString &name);
// "файлът с въпросите е твърде голям: …": a source refused from its size alone.
QString tooLargeSource(qint64 size, qint64 most);

} // namespace morv
