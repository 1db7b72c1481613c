// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The plain state of every control of the main window; the engine writes it, the window shows it.
#pragma once

#include "engine/controls.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace morv {

struct Control
{
    QString name;
    int index = -1;
    Kind kind = Kind::Label;
    float left = 0, top = 0, width = 0, height = 0; // twips
    bool visible = true;
    bool enabled = true;
    bool selected = false; // option buttons only
    std::optional<Rgb> background;
    QString text;
};

// A hidden string list used as a table: rows of text and a selected row that nobody reads.
struct StringList
{
    QStringList rows;
    int selected = -1;

    int count() const { return int(rows.size()); }
    // Row r, or an empty row outside the table.
    QString row(int r) const { return r >= 0 && r < rows.size() ? rows[r] : QString(); }
    void write(int r, const QString &text);
};

struct FormState
{
    QString caption;
    std::array<Control, 5> Label1;
    std::array<Control, 2> Command1;
    std::array<Control, 3> Command2;
    std::array<Control, 7> Text2;
    std::array<Control, 2> Text1;
    std::array<Control, 5> Option1;
    std::array<Control, 2> Shape1;
    std::array<Control, 2> Shape2;
    Control Frame1;
    Control Picture1;
    Control Picture2;
    // The element of the bank's picture array whose image Picture2 shows; 0 before any question.
    int picture2Source = 0;
    std::array<StringList, 7> List2;

    // The window as laid out, before the load handler runs.
    static FormState fromLayout();
};

// A row read as a number: its leading decimal number, 0 when it has none.
int rowNumber(QStringView row);

} // namespace morv
