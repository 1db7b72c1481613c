// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/controls.h"

#include "engine/formstate.h"

#include <algorithm>
#include <cmath>

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

constexpr Rgb LabelColour{255, 192, 128};
constexpr Rgb ResultsButton{128, 128, 255};

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

// clang-format off
// Name, index, kind, left, top, width, height (twips), visible, background, text, parent;
// keyboard order, accessible name, alignment, state slot.
constexpr ControlEntry Table[] = {
    {u"Label1", 0, Kind::Label, 3000, 0, 5655, 375, true, LabelColour, u"МОРВ по Чуждоeзиково Обучение", {},
     2, {}, Align::Centre, element<&FormState::Label1, Title>()},
    {u"Command1", 0, Kind::CommandButton, 240, 120, 1575, 285, true, Rgb{255, 128, 0}, u"Напред", {},
     14, u"Напред", Align::Left, element<&FormState::Command1, Forward>()},
    {u"Command2", 1, Kind::CommandButton, 360, 120, 1575, 285, false, ResultsButton, u"Напред", {},
     22, u"Напред", Align::Left, element<&FormState::Command2, ResultsForward>()},
    {u"Command1", 1, Kind::CommandButton, 9000, 120, 1575, 285, true, Rgb{192, 64, 0}, u"Назад", {},
     15, u"Назад", Align::Left, element<&FormState::Command1, Back>()},
    {u"Command2", 2, Kind::CommandButton, 9120, 120, 1575, 285, false, ResultsButton, u"Назад", {},
     23, u"Назад", Align::Left, element<&FormState::Command2, ResultsBack>()},
    {u"Text2", 0, Kind::TextBox, 120, 480, 10635, 765, true, {}, u"Текст на задавания въпрос\r\n", {},
     3, u"Въпрос", Align::Left, element<&FormState::Text2, Question>()},
    {u"Text2", 1, Kind::TextBox, 120, 1320, 2500, 1005, false, {}, u"1-ви отговор\r\nasdfasdfasdfas\r\n", {},
     4, u"Текст на отговор A", Align::Left, element<&FormState::Text2, AnswerA>()},
    {u"Text2", 2, Kind::TextBox, 2640, 1320, 2500, 1005, false, {}, u"2-ри отговор\r\n", {},
     5, u"Текст на отговор B", Align::Left, element<&FormState::Text2, AnswerB>()},
    {u"Text2", 3, Kind::TextBox, 5160, 1320, 2500, 1005, false, {}, u"3-ти отговор\r\n", {},
     6, u"Текст на отговор C", Align::Left, element<&FormState::Text2, AnswerC>()},
    {u"Text2", 4, Kind::TextBox, 7680, 1320, 2500, 1005, false, {}, u"4-ти отговор\r\n", {},
     7, u"Текст на отговор D", Align::Left, element<&FormState::Text2, AnswerD>()},
    {u"Text2", 5, Kind::TextBox, 10320, 1320, 540, 1005, false, {}, u"5-ти отговор\r\n", {},
     29, u"Текст на отговор E", Align::Left, element<&FormState::Text2, AnswerE>()},
    {u"Frame1", -1, Kind::Frame, 120, 2400, 10695, 495, true, ResultsButton, u"Frame1", {},
     9, u"Отговори", Align::Left, single<&FormState::Frame1>()},
    {u"Option1", 0, Kind::OptionButton, 360, 120, 1800, 285, false, colours::Green, u"Отговор A", u"Frame1",
     10, u"Отговор A", Align::Left, element<&FormState::Option1, OptionA>()},
    {u"Option1", 1, Kind::OptionButton, 2760, 120, 1800, 285, false, colours::Green, u"Отговор B", u"Frame1",
     11, u"Отговор B", Align::Left, element<&FormState::Option1, OptionB>()},
    {u"Option1", 2, Kind::OptionButton, 5280, 120, 1800, 285, false, colours::Green, u"Отговор C", u"Frame1",
     12, u"Отговор C", Align::Left, element<&FormState::Option1, OptionC>()},
    {u"Option1", 3, Kind::OptionButton, 7800, 120, 1800, 285, false, colours::Green, u"Отговор D", u"Frame1",
     13, u"Отговор D", Align::Left, element<&FormState::Option1, OptionD>()},
    {u"Option1", 4, Kind::OptionButton, 9960, 120, 600, 285, false, colours::Green, u"Отговор E", u"Frame1",
     33, u"Отговор E", Align::Left, element<&FormState::Option1, OptionE>()},
    {u"Label1", 4, Kind::Label, 240, 2880, 2055, 315, true, LabelColour, u"Въведен отговор: ", {},
     30, {}, Align::Left, element<&FormState::Label1, AnswerCaption>()},
    {u"Picture1", -1, Kind::PictureBox, 2400, 2880, 6135, 200, true, colours::Red, {}, {},
     25, u"Въведен отговор", Align::Left, single<&FormState::Picture1>()},
    {u"Text2", 6, Kind::TextBox, 120, 3120, 10635, 525, true, {}, u"При посочен отговор се извежда цялата фраза.\r\n", {},
     8, u"Фраза с избрания отговор", Align::Left, element<&FormState::Text2, Preview>()},
    {u"Shape1", 0, Kind::Shape, 120, 3700, 135, 255, true, colours::Green, {}, {},
     -1, u"Позиция в теста", Align::Left, element<&FormState::Shape1, Done>()},
    {u"Shape1", 1, Kind::Shape, 240, 3700, 9855, 255, true, Rgb{0, 255, 255}, {}, {},
     -1, {}, Align::Left, element<&FormState::Shape1, Rest>()},
    {u"Shape2", 0, Kind::Shape, 120, 4000, 135, 255, true, Rgb{255, 128, 0}, {}, {},
     -1, u"Въведени отговори", Align::Left, element<&FormState::Shape2, Done>()},
    {u"Shape2", 1, Kind::Shape, 240, 4000, 9855, 255, true, Rgb{255, 255, 0}, {}, {},
     -1, {}, Align::Left, element<&FormState::Shape2, Rest>()},
    {u"Label1", 2, Kind::Label, 1800, 4395, 3015, 285, true, LabelColour, u"Въведени отговори: ", {},
     24, {}, Align::Left, element<&FormState::Label1, AnsweredCounter>()},
    {u"Label1", 3, Kind::Label, 4920, 4395, 1815, 285, false, LabelColour, u"Тото: ", {},
     26, {}, Align::Left, element<&FormState::Label1, Verdict>()},
    {u"Label1", 1, Kind::Label, 7560, 4395, 3135, 285, true, LabelColour, u"Резултат: ", {},
     20, {}, Align::Left, element<&FormState::Label1, Result>()},
    {u"Command2", 0, Kind::CommandButton, 120, 4400, 1575, 285, true, ResultsButton, u"Оценяване", {},
     21, u"Оценяване", Align::Left, element<&FormState::Command2, Grade>()},
    {u"Picture2", -1, Kind::FigureBox, 120, 4800, 3375, 2055, true, {}, {}, {},
     31, u"Изображение към въпроса", Align::Left, single<&FormState::Picture2>()},
    {u"Text1", 0, Kind::TextBox, 3600, 4800, 7215, 2055, true, {}, {}, {},
     0, u"Помощ", Align::Left, element<&FormState::Text1, Help>()},
    {u"Text1", 1, Kind::TextBox, 4200, 6360, 6735, 1815, false, {}, {}, {},
     1, u"Бележка на автора", Align::Left, element<&FormState::Text1, AuthorNote>()},
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
    return pixelRect(float(entry.left), float(entry.top), float(entry.width), float(entry.height));
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
