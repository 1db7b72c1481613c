// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer: a teacher's questions (a bank.json folder, Aiken, GIFT or Moodle XML) read, checked and
// measured against the window, and written as a ready test program. The command line and the packer's
// window both work through this.
#pragma once

#include "bank/bankreader.h"
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

// The four switches a teacher sets, each on its own settings row.
enum class Switch { Phrase, Toto, Explanations, Review };
inline constexpr std::size_t SwitchCount = 4;

struct SwitchRow
{
    Switch which;
    QStringView option;  // the command line's name for it, without "--"
    QStringView rowText; // the row's text before " - " and its value
    int row;             // Bank::PhraseRow…
    bool shipped;        // its value in the shipped test, the default
};

// The switches in the order of their rows.
std::span<const SwitchRow> switchRows();

struct PackOptions
{
    PackOptions(QString sourcePath = {}, SourceFormat sourceFormat = SourceFormat::Folder)
        : source(std::move(sourcePath)), format(sourceFormat)
    {}

    QString source; // a file, or a folder holding bank.json
    SourceFormat format;
    std::optional<QString> title; // none: the source file's name
    // None: as in the shipped test. A bank.json folder keeps its own settings whatever these say.
    std::array<std::optional<bool>, SwitchCount> switches;
    bool strict = false; // warnings become problems

    std::optional<bool> &operator[](Switch which) { return switches[std::size_t(which)]; }
    std::optional<bool> operator[](Switch which) const { return switches[std::size_t(which)]; }
};

struct PackResult
{
    QString file; // the file the messages name: the source, or the folder's bank.json
    SourceFormat format = SourceFormat::Folder;
    BankLoad load;     // the bank and the bytes a program carries, when the source holds
    BankSource source; // as read from the source, with its lines and the settings it is packed with
    // Every question of the source in its order, numbered as the findings number them, as far as it
    // was read: also those refused, and with their pictures as the test shows them. What a window lists.
    std::vector<QuestionSource> questions;
    QList<Problem> problems;
    QList<Problem> warnings; // what a pupil would not see whole; empty while there are problems

    bool packable() const { return problems.isEmpty() && load.bank.has_value(); }
    // Every problem, then every warning, one line each, as the command line prints them; the file is
    // named by `shownAs` when given.
    QStringList messages(const QString &shownAs = {}) const;
};

// Reads the source in its format, puts it through the bank's checks and, when it holds, measures its
// texts and pictures against the window.
PackResult pack(const PackOptions &options);

// The settings rows of a test made from an imported source: the shipped switches unless the options
// say otherwise, the title given or else `title`.
QStringList settingsFor(const PackOptions &options, const QString &title);
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
    QString problem;
};
// Only the program itself, within its size limit, recognised by its structure (bank/programfile.h):
// as built, or a copy with a test whose trailer holds.
BaseProgram readBaseProgram(const QString &path);
// Why a program may not be written at `output`, or nothing: never through a link, never over anything
// but a whole program morv-pack wrote before (so never over the source, a file it names, morv or
// morv-pack, an archive holding a program, or a program whose test was cut or changed).
QString outputProblem(const QString &output, const QString &sourceFile, const QString &program);
// Why the bank cannot be written into `folder`, or nothing: only a new or empty folder, never through a
// link, so that no file of the teacher's is replaced.
QString jsonFolderProblem(const QString &folder);

// Writes the program, when program and output pass the checks above: the base program's own bytes,
// marked, and the bank, under a temporary name renamed when complete, executable. Empty when written,
// otherwise why not.
QString writeProgram(const QString &program, const QString &output, const BankFiles &files,
                     const QString &sourceFile = {});
// Writes the test as bank.json with its pictures into a new or empty folder, to go on editing. Empty
// when written.
QString writeJson(const QString &folder, const BankLoad &load);
// Starts a program on its own: the caller gets back its terminal, and the program none of its output.
// A platform the caller chose only for itself (offscreen for measuring) is not passed on.
bool startPreview(const QString &program, bool dropChosenPlatform = false);

// A program written under a new temporary name and started, as --preview does.
struct PreviewProgram
{
    QString program; // the name it was written under
    QString failure; // empty when written and started
};
PreviewProgram writeAndStartPreview(const QString &program, const BankFiles &files,
                                    bool dropChosenPlatform = false);

} // namespace morv
