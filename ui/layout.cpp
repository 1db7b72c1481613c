// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/layout.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace morv {

namespace {

constexpr Rgb Title{255, 192, 128};
constexpr Rgb ResultsButton{128, 128, 255};

// clang-format off
constexpr LayoutEntry Table[] = {
    {u"Label1", 0, Kind::Label, 3000, 0, 5655, 375, true, Title, u"МОРВ по Чуждоeзиково Обучение", {}},
    {u"Command1", 0, Kind::CommandButton, 240, 120, 1575, 285, true, Rgb{255, 128, 0}, u"Напред", {}},
    {u"Command2", 1, Kind::CommandButton, 360, 120, 1575, 285, false, ResultsButton, u"Напред", {}},
    {u"Command1", 1, Kind::CommandButton, 9000, 120, 1575, 285, true, Rgb{192, 64, 0}, u"Назад", {}},
    {u"Command2", 2, Kind::CommandButton, 9120, 120, 1575, 285, false, ResultsButton, u"Назад", {}},
    {u"Text2", 0, Kind::TextBox, 120, 480, 10635, 765, true, {}, u"Текст на задавания въпрос\r\n", {}},
    {u"Text2", 1, Kind::TextBox, 120, 1320, 2500, 1005, false, {}, u"1-ви отговор\r\nasdfasdfasdfas\r\n", {}},
    {u"Text2", 2, Kind::TextBox, 2640, 1320, 2500, 1005, false, {}, u"2-ри отговор\r\n", {}},
    {u"Text2", 3, Kind::TextBox, 5160, 1320, 2500, 1005, false, {}, u"3-ти отговор\r\n", {}},
    {u"Text2", 4, Kind::TextBox, 7680, 1320, 2500, 1005, false, {}, u"4-ти отговор\r\n", {}},
    {u"Text2", 5, Kind::TextBox, 10320, 1320, 540, 1005, false, {}, u"5-ти отговор\r\n", {}},
    {u"Frame1", -1, Kind::Frame, 120, 2400, 10695, 495, true, ResultsButton, u"Frame1", {}},
    {u"Option1", 0, Kind::OptionButton, 360, 120, 1800, 285, false, colours::Green, u"Отговор A", u"Frame1"},
    {u"Option1", 1, Kind::OptionButton, 2760, 120, 1800, 285, false, colours::Green, u"Отговор B", u"Frame1"},
    {u"Option1", 2, Kind::OptionButton, 5280, 120, 1800, 285, false, colours::Green, u"Отговор C", u"Frame1"},
    {u"Option1", 3, Kind::OptionButton, 7800, 120, 1800, 285, false, colours::Green, u"Отговор D", u"Frame1"},
    {u"Option1", 4, Kind::OptionButton, 9960, 120, 600, 285, false, colours::Green, u"Отговор E", u"Frame1"},
    {u"Label1", 4, Kind::Label, 240, 2880, 2055, 315, true, Title, u"Въведен отговор: ", {}},
    {u"Picture1", -1, Kind::PictureBox, 2400, 2880, 6135, 200, true, colours::Red, {}, {}},
    {u"Text2", 6, Kind::TextBox, 120, 3120, 10635, 525, true, {}, u"При посочен отговор се извежда цялата фраза.\r\n", {}},
    {u"Shape1", 0, Kind::Shape, 120, 3700, 135, 255, true, colours::Green, {}, {}},
    {u"Shape1", 1, Kind::Shape, 240, 3700, 9855, 255, true, Rgb{0, 255, 255}, {}, {}},
    {u"Shape2", 0, Kind::Shape, 120, 4000, 135, 255, true, Rgb{255, 128, 0}, {}, {}},
    {u"Shape2", 1, Kind::Shape, 240, 4000, 9855, 255, true, Rgb{255, 255, 0}, {}, {}},
    {u"Label1", 2, Kind::Label, 1800, 4395, 3015, 285, true, Title, u"Въведени отговори: ", {}},
    {u"Label1", 3, Kind::Label, 4920, 4395, 1815, 285, false, Title, u"Тото: ", {}},
    {u"Label1", 1, Kind::Label, 7560, 4395, 3135, 285, true, Title, u"Резултат: ", {}},
    {u"Command2", 0, Kind::CommandButton, 120, 4400, 1575, 285, true, ResultsButton, u"Оценяване", {}},
    {u"Picture2", -1, Kind::PictureBox, 120, 4800, 3375, 2055, true, {}, {}, {}},
    {u"Text1", 0, Kind::TextBox, 3600, 4800, 7215, 2055, true, {}, {}, {}},
    {u"Text1", 1, Kind::TextBox, 4200, 6360, 6735, 1815, false, {}, {}, {}},
    {u"List2", 0, Kind::StringList, 360, 2640, 1095, 630, false, {}, u"Номера на въпроси", {}},
    {u"List2", 1, Kind::StringList, 1200, 2760, 1575, 630, false, {}, u"Отметнат отговор", {}},
    {u"List2", 2, Kind::StringList, 3000, 3000, 1575, 630, false, {}, u"Последователност от отговори", {}},
    {u"List2", 3, Kind::StringList, 4800, 2760, 2055, 630, false, {}, u"Weren Neweren Otgowor", {}},
    {u"List2", 4, Kind::StringList, 6840, 2760, 2055, 630, false, {}, u"Weren Otgowor/Distraktor", {}},
    {u"List2", 5, Kind::StringList, 4080, 4560, 2055, 1200, false, {}, u"2\n3\n5\n7\n11\n13\n17\n19\n23\n29\n31", {}},
    {u"List2", 6, Kind::StringList, 8880, 3360, 2055, 345, false, {}, u"Pyrwi\nPosleden", {}},
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

std::span<const LayoutEntry> layoutTable()
{
    return Table;
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

QString controlId(QStringView name, int index)
{
    return index < 0 ? name.toString() : u"%1(%2)"_s.arg(name).arg(index);
}

} // namespace morv
