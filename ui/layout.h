// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's fixed layout: every control with its place in twips, colours and first text.
// Both the engine's initial control state and the window's widgets are made from this one table.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <span>

namespace morv {

struct Rgb
{
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

namespace colours {
inline constexpr Rgb Red{255, 0, 0};
inline constexpr Rgb Green{0, 255, 0};
inline constexpr Rgb LightBlue{192, 192, 255};
inline constexpr Rgb Window{192, 192, 255};
} // namespace colours

enum class Kind { Label, CommandButton, TextBox, Frame, OptionButton, PictureBox, Shape, StringList };

struct LayoutEntry
{
    QStringView name;
    int index; // -1 for a control that is not an element of an array
    Kind kind;
    int left, top, width, height; // twips; option buttons from the frame's corner
    bool visible;
    std::optional<Rgb> background; // none: the system colour of its kind
    QStringView text;              // caption or text; the rows of a string list, one per line
    QStringView parent;            // the container, empty for the window
};

namespace layout {
inline constexpr int TwipsPerPixel = 15;
inline constexpr int ClientWidth = 10905;
inline constexpr int ClientHeight = 6945;
inline constexpr QStringView FontFamily = u"Times New Roman";
inline constexpr int FontPointSize = 12;
inline constexpr QStringView WebAddress = u"https://morv.example.org";
inline constexpr QStringView ProductFamily = u"Малки отворени ресурси за всеки урок";
} // namespace layout

// Every control of the window, top to bottom, the hidden string lists last.
std::span<const LayoutEntry> layoutTable();
// The window caption: the web address, four blanks, then the program and its family.
QString windowCaption();
// The help text shown when the window opens: 25 lines, each ending in CR LF.
QString helpText();
// The hidden author's note.
QString authorNote();
// "Text2(3)" for an element of an array, the bare name otherwise.
QString controlId(QStringView name, int index);

} // namespace morv
