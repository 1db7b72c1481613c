// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every control of the main window in one typed table: its place in twips, colours, first text, keyboard
// order, accessible name, alignment and the slot of the engine's state it maps to. The engine's first
// state and the window's widgets are both made from it.
#pragma once

#include <QRect>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <cstddef>
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

// Every colour of the window, by name: the table of controls, the engine and the window take theirs from
// here.
namespace colours {
inline constexpr Rgb Red{255, 0, 0};           // a wrong answer; the indicator without an answer
inline constexpr Rgb Green{0, 255, 0};         // the option buttons; a right answer; the indicator with one
inline constexpr Rgb LightBlue{192, 192, 255}; // the window; an option button after grading
inline constexpr Rgb MidBlue{128, 128, 255};   // Grade, the results buttons, the options' frame
inline constexpr Rgb Apricot{255, 192, 128};   // the captions
inline constexpr Rgb Orange{255, 128, 0};      // Forward; the answered row's done part
inline constexpr Rgb Rust{192, 64, 0};         // Back
inline constexpr Rgb Cyan{0, 255, 255};        // the position row's rest
inline constexpr Rgb Yellow{255, 255, 0};      // the answered row's rest
inline constexpr Rgb Grey{128, 128, 128};      // the command buttons' border
inline constexpr Rgb Black{0, 0, 0};           // a caption on a light background
inline constexpr Rgb White{255, 255, 255};     // a caption on a dark background
inline constexpr Rgb Window = LightBlue;
} // namespace colours

// FigureBox is the picture box that shows the question's figure; a PictureBox only shows its colour.
enum class Kind { Label, CommandButton, TextBox, Frame, OptionButton, PictureBox, FigureBox, Shape };

enum class Align { Left, Centre };

// Named elements of the control arrays: `Text2[Preview]`, `List2[Grades]`.
enum Label1Caption : std::size_t { Title, Result, AnsweredCounter, Verdict, AnswerCaption };
enum Command1Button : std::size_t { Forward, Back };
enum Command2Button : std::size_t { Grade, ResultsForward, ResultsBack };
enum Text2Box : std::size_t { Question, AnswerA, AnswerB, AnswerC, AnswerD, AnswerE, Preview };
enum Text1Box : std::size_t { Help, AuthorNote };
enum Option1Button : std::size_t { OptionA, OptionB, OptionC, OptionD, OptionE };
// Shape1 is the position row of the strip, Shape2 the answered row; each has a done and a rest part.
enum ShapePart : std::size_t { Done, Rest };
// The run tables List2(0..6).
enum RunTable : std::size_t {
    Chosen,
    QuestionOrder,
    AnswerOrder,
    Grades,
    CorrectOption,
    Primes,
    FirstAndLast
};

inline constexpr int OptionCount = 5;

// The answer box above option button `option` (0 for A): Text2(1) to Text2(5).
constexpr std::size_t answerBox(int option)
{
    return AnswerA + std::size_t(option);
}

struct Control;
struct FormState;
class MORV_Prazno;

// The engine's handler a command button runs when clicked, given the button's index in its array.
using ClickHandler = void (MORV_Prazno::*)(qint16 Index);

// Where a control's state lives in FormState, for reading and for writing.
struct ControlSlot
{
    Control &(*get)(FormState &);
    const Control &(*read)(const FormState &);

    Control &operator()(FormState &state) const { return get(state); }
    const Control &operator()(const FormState &state) const { return read(state); }
};

// A place in twips: an option button's from its frame's corner, any other control's from the client
// area's.
struct Twips
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// One row of the table of controls. Rows name their fields; what a row leaves out keeps the value
// given here.
struct ControlEntry
{
    QStringView name = {};
    int index = -1; // the element of a control array; -1 for a control that is not one
    Kind kind = Kind::Label;
    Twips place = {};
    bool visible = true;
    std::optional<Rgb> background = {}; // none: the system colour of its kind
    QStringView text = {};              // caption or text at creation
    QStringView parent = {};            // the container, empty for the window
    int tabIndex = -1;                  // place in the keyboard order; -1 for a control that takes no focus
    QStringView accessibleName = {};    // empty: read out by its caption
    Align align = Align::Left;
    ClickHandler onClick = nullptr; // a command button's handler
    ControlSlot slot = {};

    // "Text2(3)" for an element of an array, the bare name otherwise: the widget's objectName.
    QString id() const;
};

namespace layout {
inline constexpr int TwipsPerPixel = 15;
inline constexpr int ClientWidth = 10905;
inline constexpr int ClientHeight = 6945;
// The font of every text in the window, as the form names it; windowFont() in engine/look.h makes it.
inline constexpr QStringView FontFamily = u"Times New Roman";
inline constexpr int FontPointSize = 12;
inline constexpr QStringView WebAddress = u"https://morv.example.org";
inline constexpr QStringView ProductFamily = u"Малки отворени ресурси за всеки урок";
} // namespace layout

// Where a place in twips falls in pixels. Edges are rounded, not the width, so neighbours laid out
// edge to edge stay edge to edge.
QRect pixelRect(float left, float top, float width, float height);
// Where a control stands in pixels as laid out.
QRect pixelRect(const ControlEntry &entry);

// Where the boxes that show a text or a figure stand in pixels as laid out: the window, the fit of a
// text and the packer all measure against these.
QRect textBoxRect(Text2Box box);
QRect textBoxRect(Text1Box box);
QRect figureBoxRect(); // Picture2

// Every control of the window, top to bottom.
std::span<const ControlEntry> controlTable();
// The rows of the run tables List2(0..6) at creation, one per line: hidden lists, never widgets.
std::span<const QStringView> runTableRows();
// The window caption: the web address, four blanks, then the program and its family.
QString windowCaption();
// The help text shown when the window opens: 25 lines, each ending in CR LF.
QString helpText();
// The hidden author's note.
QString authorNote();

} // namespace morv
