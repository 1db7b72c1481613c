// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/controls.h"

#include "engine/formstate.h"
#include "engine/morvprazno.h"

#include <algorithm>
#include <cmath>

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

template <auto Array, std::size_t Index>
constexpr ControlSlot element()
{
    return {[](FormState &state) -> Control & { return (state.*Array)[Index]; },
            [](const FormState &state) -> const Control & { return (state.*Array)[Index]; }};
}

template <auto Member>
constexpr ControlSlot single()
{
    return {[](FormState &state) -> Control & { return state.*Member; },
            [](const FormState &state) -> const Control & { return state.*Member; }};
}

// Every control of the window, top to bottom; a row names only what differs from ControlEntry's defaults.
// clang-format off
constexpr ControlEntry Table[] = {
    {.name = u"Label1", .index = Title, .kind = Kind::Label, .place = {3000, 0, 5655, 375},
     .background = colours::Apricot, .text = u"МОРВ по Чуждоeзиково Обучение", .tabIndex = 2,
     .align = Align::Centre, .slot = element<&FormState::Label1, Title>()},
    {.name = u"Command1", .index = Forward, .kind = Kind::CommandButton, .place = {240, 120, 1575, 285},
     .background = colours::Orange, .text = u"Напред", .tabIndex = 14, .accessibleName = u"Напред",
     .onClick = &MORV_Prazno::Command1_Click, .slot = element<&FormState::Command1, Forward>()},
    {.name = u"Command2", .index = ResultsForward, .kind = Kind::CommandButton,
     .place = {360, 120, 1575, 285}, .visible = false, .background = colours::MidBlue, .text = u"Напред",
     .tabIndex = 22, .accessibleName = u"Напред", .onClick = &MORV_Prazno::Command2_Click,
     .slot = element<&FormState::Command2, ResultsForward>()},
    {.name = u"Command1", .index = Back, .kind = Kind::CommandButton, .place = {9000, 120, 1575, 285},
     .background = colours::Rust, .text = u"Назад", .tabIndex = 15, .accessibleName = u"Назад",
     .onClick = &MORV_Prazno::Command1_Click, .slot = element<&FormState::Command1, Back>()},
    {.name = u"Command2", .index = ResultsBack, .kind = Kind::CommandButton, .place = {9120, 120, 1575, 285},
     .visible = false, .background = colours::MidBlue, .text = u"Назад", .tabIndex = 23,
     .accessibleName = u"Назад", .onClick = &MORV_Prazno::Command2_Click,
     .slot = element<&FormState::Command2, ResultsBack>()},
    {.name = u"Text2", .index = Question, .kind = Kind::TextBox, .place = {120, 480, 10635, 765},
     .text = u"Текст на задавания въпрос\r\n", .tabIndex = 3, .accessibleName = u"Въпрос",
     .slot = element<&FormState::Text2, Question>()},
    {.name = u"Text2", .index = AnswerA, .kind = Kind::TextBox, .place = {120, 1320, 2500, 1005},
     .visible = false, .text = u"1-ви отговор\r\nasdfasdfasdfas\r\n", .tabIndex = 4,
     .accessibleName = u"Текст на отговор A", .slot = element<&FormState::Text2, AnswerA>()},
    {.name = u"Text2", .index = AnswerB, .kind = Kind::TextBox, .place = {2640, 1320, 2500, 1005},
     .visible = false, .text = u"2-ри отговор\r\n", .tabIndex = 5, .accessibleName = u"Текст на отговор B",
     .slot = element<&FormState::Text2, AnswerB>()},
    {.name = u"Text2", .index = AnswerC, .kind = Kind::TextBox, .place = {5160, 1320, 2500, 1005},
     .visible = false, .text = u"3-ти отговор\r\n", .tabIndex = 6, .accessibleName = u"Текст на отговор C",
     .slot = element<&FormState::Text2, AnswerC>()},
    {.name = u"Text2", .index = AnswerD, .kind = Kind::TextBox, .place = {7680, 1320, 2500, 1005},
     .visible = false, .text = u"4-ти отговор\r\n", .tabIndex = 7, .accessibleName = u"Текст на отговор D",
     .slot = element<&FormState::Text2, AnswerD>()},
    {.name = u"Text2", .index = AnswerE, .kind = Kind::TextBox, .place = {10320, 1320, 540, 1005},
     .visible = false, .text = u"5-ти отговор\r\n", .tabIndex = 29, .accessibleName = u"Текст на отговор E",
     .slot = element<&FormState::Text2, AnswerE>()},
    {.name = u"Frame1", .kind = Kind::Frame, .place = {120, 2400, 10695, 495}, .background = colours::MidBlue,
     .text = u"Frame1", .tabIndex = 9, .accessibleName = u"Отговори", .slot = single<&FormState::Frame1>()},
    {.name = u"Option1", .index = OptionA, .kind = Kind::OptionButton, .place = {360, 120, 1800, 285},
     .visible = false, .background = colours::Green, .text = u"Отговор A", .parent = u"Frame1",
     .tabIndex = 10, .accessibleName = u"Отговор A", .slot = element<&FormState::Option1, OptionA>()},
    {.name = u"Option1", .index = OptionB, .kind = Kind::OptionButton, .place = {2760, 120, 1800, 285},
     .visible = false, .background = colours::Green, .text = u"Отговор B", .parent = u"Frame1",
     .tabIndex = 11, .accessibleName = u"Отговор B", .slot = element<&FormState::Option1, OptionB>()},
    {.name = u"Option1", .index = OptionC, .kind = Kind::OptionButton, .place = {5280, 120, 1800, 285},
     .visible = false, .background = colours::Green, .text = u"Отговор C", .parent = u"Frame1",
     .tabIndex = 12, .accessibleName = u"Отговор C", .slot = element<&FormState::Option1, OptionC>()},
    {.name = u"Option1", .index = OptionD, .kind = Kind::OptionButton, .place = {7800, 120, 1800, 285},
     .visible = false, .background = colours::Green, .text = u"Отговор D", .parent = u"Frame1",
     .tabIndex = 13, .accessibleName = u"Отговор D", .slot = element<&FormState::Option1, OptionD>()},
    {.name = u"Option1", .index = OptionE, .kind = Kind::OptionButton, .place = {9960, 120, 600, 285},
     .visible = false, .background = colours::Green, .text = u"Отговор E", .parent = u"Frame1",
     .tabIndex = 33, .accessibleName = u"Отговор E", .slot = element<&FormState::Option1, OptionE>()},
    {.name = u"Label1", .index = AnswerCaption, .kind = Kind::Label, .place = {240, 2880, 2055, 315},
     .background = colours::Apricot, .text = u"Въведен отговор: ", .tabIndex = 30,
     .slot = element<&FormState::Label1, AnswerCaption>()},
    {.name = u"Picture1", .kind = Kind::PictureBox, .place = {2400, 2880, 6135, 200},
     .background = colours::Red, .tabIndex = 25, .accessibleName = u"Въведен отговор",
     .slot = single<&FormState::Picture1>()},
    {.name = u"Text2", .index = Preview, .kind = Kind::TextBox, .place = {120, 3120, 10635, 525},
     .text = u"При посочен отговор се извежда цялата фраза.\r\n", .tabIndex = 8,
     .accessibleName = u"Фраза с избрания отговор", .slot = element<&FormState::Text2, Preview>()},
    {.name = u"Shape1", .index = Done, .kind = Kind::Shape, .place = {120, 3700, 135, 255},
     .background = colours::Green, .accessibleName = u"Позиция в теста",
     .slot = element<&FormState::Shape1, Done>()},
    {.name = u"Shape1", .index = Rest, .kind = Kind::Shape, .place = {240, 3700, 9855, 255},
     .background = colours::Cyan, .slot = element<&FormState::Shape1, Rest>()},
    {.name = u"Shape2", .index = Done, .kind = Kind::Shape, .place = {120, 4000, 135, 255},
     .background = colours::Orange, .accessibleName = u"Въведени отговори",
     .slot = element<&FormState::Shape2, Done>()},
    {.name = u"Shape2", .index = Rest, .kind = Kind::Shape, .place = {240, 4000, 9855, 255},
     .background = colours::Yellow, .slot = element<&FormState::Shape2, Rest>()},
    {.name = u"Label1", .index = AnsweredCounter, .kind = Kind::Label, .place = {1800, 4395, 3015, 285},
     .background = colours::Apricot, .text = u"Въведени отговори: ", .tabIndex = 24,
     .slot = element<&FormState::Label1, AnsweredCounter>()},
    {.name = u"Label1", .index = Verdict, .kind = Kind::Label, .place = {4920, 4395, 1815, 285},
     .visible = false, .background = colours::Apricot, .text = u"Тото: ", .tabIndex = 26,
     .slot = element<&FormState::Label1, Verdict>()},
    {.name = u"Label1", .index = Result, .kind = Kind::Label, .place = {7560, 4395, 3135, 285},
     .background = colours::Apricot, .text = u"Резултат: ", .tabIndex = 20,
     .slot = element<&FormState::Label1, Result>()},
    {.name = u"Command2", .index = Grade, .kind = Kind::CommandButton, .place = {120, 4400, 1575, 285},
     .background = colours::MidBlue, .text = u"Оценяване", .tabIndex = 21, .accessibleName = u"Оценяване",
     .onClick = &MORV_Prazno::Command2_Click, .slot = element<&FormState::Command2, Grade>()},
    {.name = u"Picture2", .kind = Kind::FigureBox, .place = {120, 4800, 3375, 2055}, .tabIndex = 31,
     .accessibleName = u"Изображение към въпроса", .slot = single<&FormState::Picture2>()},
    {.name = u"Text1", .index = Help, .kind = Kind::TextBox, .place = {3600, 4800, 7215, 2055}, .tabIndex = 0,
     .accessibleName = u"Помощ", .slot = element<&FormState::Text1, Help>()},
    {.name = u"Text1", .index = AuthorNote, .kind = Kind::TextBox, .place = {4200, 6360, 6735, 1815},
     .visible = false, .tabIndex = 1, .accessibleName = u"Бележка на автора",
     .slot = element<&FormState::Text1, AuthorNote>()},
};

// List2(0..6) at creation, one row per line.
constexpr QStringView RunTableRows[] = {
    u"Номера на въпроси",
    u"Отметнат отговор",
    u"Последователност от отговори",
    u"Weren Neweren Otgowor",
    u"Weren Otgowor/Distraktor",
    u"2\n3\n5\n7\n11\n13\n17\n19\n23\n29\n31",
    u"Pyrwi\nPosleden",
};

constexpr QStringView HelpLines[] = {
    u"Това е  затворен динамичен едновариантен тест - тест с избор само на един отговор.",
    u"Особеност на теста:",
    u" - при всяко ново стартиране се променя последователността на отговорите.",
    u" - при всяко ново стартиране ще се променя последователността на въпросите/фразите.",
    u" - при посочен отговор може да се представя отделно вида на ново формиранаата фраза - с избрания отговор.",
    u" - съществува анимиран oбект, който показва позицията в теста - преминати, оставащи въпроси.",
    u" - за всеки отделен въпрос може да съществуват различен брой дистрактори от интервала 2-5.",
    u" - за всеки отделен въпрос може да се добави по 1 изображение.",
    u"Следва описание на отделните обекти, съобразно вертикалното им положение:",
    u"Бутон Напред - извежда следващ номер въпрос.",
    u"Бутон Назад - извежда предходен номер въпрос.",
    u"В най-високо разположеното текстово поле се извежда въпросът/фразата, която трябва да се допълни.",
    u"В 2-5-те текстови полета под нея се извеждат отделните дистрактори.",
    u"Под всяко от тях е разположен радиобутон. Изпитваният посочва верния отговор чрез събитие On-Click върху съответния радиобутон.",
    u"Под тях е разположено текстово поле, което показва как би изглеждала фразата с вече посочен отговор (при ЧЕО).",
    u"Междинното графично поле показва дали е въведен отговор на текущия въпрос (зелено да).",
    u"Бутон Резултат - извежда реултатите от теста и забранява възможността за въвеждане на корекции.",
    u"Като данни се извеждат:",
    u" - брой вярно посочени дистрактори (отговори);",
    u" - общ брой въпроси в теста;",
    u" - процент верни отговори.",
    u"В режим извеждане на резултатите радиобутоните се оцветяват в:",
    u" - червено - въведеният отговор е грешен;",
    u" - зелено - въведеният отговор е правилен;",
    u" - не се оцветява нито един радиобутон, ако не е въведен отговор.",
};

constexpr QStringView AuthorLines[] = {
    u"list1(1) - верните отговори",
    u"Неприятното в това да си първият, направил нещо по ",
    u"правилния начин, е, че никой не оценява колко трудно е ",
    u"било. ",
};
// clang-format on

template <std::size_t Count>
QString crlfLines(const QStringView (&lines)[Count])
{
    QString text;
    for (QStringView line : lines) {
        text.append(line);
        text.append(u"\r\n");
    }
    return text;
}

// Where the control `name` (element `index`, -1 for a single control) stands in pixels as laid out.
QRect laidOut(QStringView name, int index)
{
    const auto found = std::ranges::find_if(
        Table, [&](const ControlEntry &entry) { return entry.name == name && entry.index == index; });
    return pixelRect(*found);
}

} // namespace

QRect pixelRect(float left, float top, float width, float height)
{
    auto edge = [](double twips) { return int(std::lround(twips / layout::TwipsPerPixel)); };
    const int x0 = edge(left);
    const int y0 = edge(top);
    const int x1 = edge(double(left) + double(width));
    const int y1 = edge(double(top) + double(height));
    return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

QRect pixelRect(const ControlEntry &entry)
{
    const Twips &place = entry.place;
    return pixelRect(float(place.left), float(place.top), float(place.width), float(place.height));
}

QRect textBoxRect(Text2Box box)
{
    return laidOut(u"Text2", int(box));
}

QRect textBoxRect(Text1Box box)
{
    return laidOut(u"Text1", int(box));
}

QRect figureBoxRect()
{
    return laidOut(u"Picture2", -1);
}

std::span<const ControlEntry> controlTable()
{
    return Table;
}

std::span<const QStringView> runTableRows()
{
    return RunTableRows;
}

QString windowCaption()
{
    return layout::WebAddress.toString() + u"    МОРВ - "_s + layout::ProductFamily.toString();
}

QString helpText()
{
    return crlfLines(HelpLines);
}

QString authorNote()
{
    return crlfLines(AuthorLines);
}

QString ControlEntry::id() const
{
    return index < 0 ? name.toString() : u"%1(%2)"_s.arg(name).arg(index);
}

} // namespace morv
