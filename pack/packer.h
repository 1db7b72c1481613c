// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer: a teacher's questions (a bank.json folder, Aiken, GIFT or Moodle XML) read, checked and
// measured against the window, and written as a ready test program. The command line and the packer's
// window both work through this.
#pragma once

#include "bank/bankreader.h"
#include "bank/testdocument.h"
#include "pack/importer.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>
#include <span>
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

// The program morv that a test is appended to: the one beside the running program, else on the PATH.
QString defaultProgram();
// "файлът с въпросите е твърде голям: …": a source refused from its size alone.
QString tooLargeSource(qint64 size, qint64 most);

// The program to copy, as the build made it, or why it cannot be copied.
struct BaseProgram
{
    QByteArray code;
    QList<Problem> problems;
};
// Only the program itself, recognised by the mark its build puts in it, within its size limit.
BaseProgram readBaseProgram(const QString &path);
// Why a program may not be written at `output`, or nothing: never through a link, never over anything
// but a program morv-pack wrote before (so never over the source, a file it names, morv or morv-pack).
QList<Problem> outputProblems(const QString &output, const QString &sourceFile, const QString &program);
// Why the bank cannot be written into `folder`, or nothing: only a new or empty folder, never through a
// link, so that no file of the teacher's is replaced.
QList<Problem> jsonFolderProblems(const QString &folder);

// Writes the program, when program and output pass the checks above: the base program's own bytes,
// marked, and the bank, under a temporary name renamed when complete, executable. No problem when
// written.
QList<Problem> writeProgram(const QString &program, const QString &output, const BankFiles &files,
                            const QString &sourceFile = {});
// Writes the test as bank.json with its pictures into a new or empty folder, to go on editing. No
// problem when written.
QList<Problem> writeJson(const QString &folder, const BankFiles &files);
// Starts a program on its own: the caller gets back its terminal, and the program none of its output.
// A platform the caller chose only for itself (offscreen for measuring) is not passed on.
bool startPreview(const QString &program, bool dropChosenPlatform = false);

// A program written under a new temporary name and started, as --preview does.
struct PreviewProgram
{
    QString program;         // the name it was written under
    QList<Problem> problems; // none when written and started
};
PreviewProgram writeAndStartPreview(const QString &program, const BankFiles &files,
                                    bool dropChosenPlatform = false);

} // namespace morv
