// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer window's state and decisions, without a widget: the source open, the test read from it,
// the question chosen, the title and switches asked for, what can be written and what the status line
// says. The window shows this and forwards the teacher's actions, as the test's window does over its
// engine.
#pragma once

#include "pack/reading.h"

#include <QString>

#include <optional>

namespace morv {

class PackerEngine
{
public:
    // The source a path names: the folder of a bank.json, else the path itself, made absolute.
    static QString sourcePath(const QString &path);
    // Opens a source: a file, a folder holding bank.json, or that bank.json itself, and reads it. The
    // title and the switches start from the command line's defaults. When nothing is there, nothing
    // changes and the message says so.
    std::optional<QString> open(const QString &path);
    // Reads the source again, with the title and switches as they stand; the question chosen stays
    // chosen, or the last one when the source has fewer now.
    void reload();

    // The title typed; empty: the file's name.
    void setTitle(const QString &title) { m_title = title; }
    void setSwitch(Switch which, bool on) { m_switches.set(which, on); }
    // The question shown, from 1 in the source's order; a number outside the source changes nothing.
    void chooseQuestion(int number);

    // The file, or the folder holding bank.json; empty before one is opened.
    const QString &source() const { return m_source; }
    const PackResult &result() const { return m_result; }
    int chosenQuestion() const { return m_chosen; }
    // The question chosen, or none.
    const TestQuestion *chosen() const;
    // The title typed, as the title box shows it.
    const QString &title() const { return m_title; }
    // A bank.json folder brings its own title and switches: shown, never changed.
    bool ownSettings() const { return m_formatKnown && m_result.format == SourceFormat::Folder; }
    // The switches as the written test will have them: the folder's own, or those asked for.
    const TestSwitches &switches() const { return ownSettings() ? m_result.document.switches : m_switches; }
    // What the note under the switches says of a folder's own settings, those a check box cannot show
    // included.
    QString ownSettingsNote() const;
    // Whether the test can be tried and written now.
    bool canWrite() const { return m_result.packable(); }
    // "Въпроси: 3 · проблеми: 0 · предупреждения: 0. Тестът може да се запише."
    QString status() const;
    // Where the program is offered: beside the source, named after it; a folder's beside the folder.
    QString suggestedProgram() const;

private:
    PackOptions options(SourceFormat format) const;

    QString m_source;
    QString m_title;
    TestSwitches m_switches;
    PackResult m_result;
    bool m_formatKnown = false;
    int m_chosen = 0;
};

} // namespace morv
