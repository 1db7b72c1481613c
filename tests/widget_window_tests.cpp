// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The window as built from the layout table and as the engine leaves it after start-up.
#include "bank/bankreader.h"
#include "bank/picturecheck.h"
#include "engine/controls.h"
#include "engine/look.h"
#include "engine/textfit.h"
#include "pack/htmltext.h"
#include "tests/support/rows.h"
#include "tests/widget_harness.h"

#include <QAccessible>
#include <QFontInfo>
#include <QGlyphRun>
#include <QMenuBar>
#include <QPushButton>
#include <QRawFont>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace morv::test {
namespace {

using test::PrintTo;

struct Place
{
    const char *name; // the control's objectName
    QRect rect;       // pixels in the client area, the option buttons in their frame
};

// The client area below the menu bar is 10905 x 6945 twips, 727 x 463 pixels, and cannot be resized.
TEST(WindowFrame, ClientAreaIs727By463BelowTheMenuBarAndFixed)
{
    Harness h;
    h.show();
    EXPECT_EQ(h.client()->size(), QSize(727, 463));
    EXPECT_EQ(h.client()->y(), h.window.menuBar()->height());
    EXPECT_EQ(h.window.height(), h.window.menuBar()->height() + 463);
    EXPECT_EQ(h.window.width(), 727);
    EXPECT_EQ(h.window.minimumSize(), h.window.maximumSize());
}

// Where each control stands after start-up, worked by hand from its twips.
// clang-format off
const Place places[] = {
    {"Label1(0)", {200, 0, 377, 25}},
    {"Command1(0)", {16, 8, 105, 19}},
    {"Command2(1)", {24, 8, 105, 19}},
    {"Command1(1)", {600, 8, 105, 19}},
    {"Command2(2)", {608, 8, 105, 19}},
    {"Text2(0)", {8, 32, 709, 51}},
    {"Text2(1)", {8, 88, 167, 67}},    // 120..2620 twips: 8..174.67 px, right edge rounds to 175
    {"Text2(2)", {176, 88, 167, 67}},
    {"Text2(3)", {344, 88, 167, 67}},
    {"Text2(4)", {512, 88, 167, 67}},
    {"Text2(5)", {688, 88, 36, 67}},
    {"Frame1", {8, 160, 713, 33}},
    {"Option1(0)", {24, 8, 120, 19}},
    {"Option1(1)", {184, 8, 120, 19}},
    {"Option1(2)", {352, 8, 120, 19}},
    {"Option1(3)", {520, 8, 120, 19}},
    {"Option1(4)", {664, 8, 40, 19}},
    {"Label1(4)", {16, 192, 137, 21}},
    {"Picture1", {160, 192, 409, 13}},  // 2880..3080 twips: 192..205.33 px
    {"Text2(6)", {8, 208, 709, 35}},
    {"Shape1(0)", {16, 247, 3, 17}},    // 240..290 twips after start-up; 3700..3955 is 246.67..263.67
    {"Shape1(1)", {19, 247, 683, 17}},  // 290..10525 twips: 19.33..701.67
    {"Shape2(0)", {16, 267, 3, 17}},
    {"Shape2(1)", {19, 267, 683, 17}},
    {"Label1(2)", {120, 293, 201, 19}},
    {"Label1(3)", {328, 293, 121, 19}},
    {"Label1(1)", {504, 293, 209, 19}},
    {"Command2(0)", {8, 293, 105, 19}}, // 4400..4685 twips: 293.33..312.33
    {"Picture2", {8, 320, 225, 137}},
    {"Text1(0)", {240, 320, 481, 137}},
    {"Text1(1)", {280, 424, 449, 121}},
};
// clang-format on

// One window shown for the whole table.
class ControlPlace : public testing::TestWithParam<Place>
{
protected:
    static void SetUpTestSuite()
    {
        s_harness = new Harness;
        s_harness->show();
    }
    static void TearDownTestSuite()
    {
        delete s_harness;
        s_harness = nullptr;
    }
    static Harness *s_harness;
};

Harness *ControlPlace::s_harness = nullptr;

// Every control stands at its twips place divided by 15, edges rounded to whole pixels.
TEST_P(ControlPlace, AtItsPixelPlaceAfterStartUp)
{
    QWidget *widget = s_harness->control(QString::fromLatin1(GetParam().name));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), GetParam().rect);
}

INSTANTIATE_TEST_SUITE_P(WindowLayout, ControlPlace, testing::ValuesIn(places), RowName());

// The fifth option button stands in its frame, like the others.
TEST(WindowLayout, FifthOptionStandsInTheFrame)
{
    Harness h;
    h.show();
    EXPECT_EQ(h.option(4)->parentWidget(), h.control(u"Frame1"_s));
    EXPECT_EQ(h.inClient(h.option(4)).topLeft(), QPoint(8 + 664, 160 + 8));
}

// The run tables are data: no widget stands for a string list.
TEST(WindowLayout, StringListsAreNotWidgets)
{
    Harness h;
    for (int i = 0; i <= 6; ++i)
        EXPECT_EQ(h.window.findChild<QWidget *>(u"List2(%1)"_s.arg(i)), nullptr) << i;
}

// The strip follows the engine: at position 1 of 5 the done part is 50 + 10525 / 5 = 2155 twips wide.
TEST(WindowLayout, ProgressStripFollowsThePosition)
{
    Harness h;
    h.show();
    h.button(u"Command1(0)"_s)->click();
    // 240..2395 twips is 16..159.67 px; the rest runs 2395..10525 twips, 159.67..701.67 px.
    EXPECT_EQ(h.control(u"Shape1(0)"_s)->geometry(), QRect(16, 247, 144, 17));
    EXPECT_EQ(h.control(u"Shape1(1)"_s)->geometry(), QRect(160, 247, 542, 17));
    EXPECT_EQ(h.control(u"Shape2(0)"_s)->geometry(), QRect(16, 267, 3, 17));
}

// Before the load handler runs, the window shows the texts of the layout.
TEST(WindowTexts, LayoutTextsBeforeStartUp)
{
    Harness h(fiveQuestions(), false);
    const QString title = h.caption(u"Label1(0)"_s);
    EXPECT_EQ(title, u"МОРВ по Чуждоeзиково Обучение"_s);
    EXPECT_EQ(title.at(13), u'e'); // a Latin e inside the Cyrillic word
    EXPECT_TRUE(h.control<QLabel>(u"Label1(0)"_s)->alignment() & Qt::AlignHCenter);
    EXPECT_FALSE(h.control<QLabel>(u"Label1(1)"_s)->alignment() & Qt::AlignHCenter);
    // Both captions end in a blank, so the count or the indicator never touches the colon.
    EXPECT_EQ(h.caption(u"Label1(4)"_s), u"Въведен отговор: "_s);
    EXPECT_EQ(h.caption(u"Label1(2)"_s), u"Въведени отговори: "_s);
    EXPECT_EQ(h.rawText(u"Text2(6)"_s), u"При посочен отговор се извежда цялата фраза.\r\n"_s);
    EXPECT_EQ(h.rawText(u"Text2(1)"_s), u"1-ви отговор\r\nasdfasdfasdfas\r\n"_s);
    EXPECT_EQ(h.caption(u"Label1(3)"_s), u"Тото: "_s);
    EXPECT_EQ(h.button(u"Command2(0)"_s)->text(), u"Оценяване"_s);
    EXPECT_EQ(h.option(4)->text(), u"Отговор E"_s);
    EXPECT_TRUE(h.control(u"Text2(1)"_s)->isHidden());
    EXPECT_TRUE(h.option(0)->isHidden());
}

// After start-up: the bank's title, an empty hidden preview, the counter at 0 of 5, question 3 first.
TEST(WindowTexts, TextsAndVisibilityAfterStartUp)
{
    Harness h;
    h.show();
    EXPECT_EQ(h.caption(u"Label1(0)"_s), u"Тест по геометрия"_s);
    EXPECT_EQ(h.rawText(u"Text2(6)"_s), QString());
    EXPECT_EQ(h.caption(u"Label1(2)"_s), u"Въведени отговори: 0/5"_s);
    EXPECT_EQ(h.caption(u"Label1(1)"_s), u"Резултат: "_s);
    EXPECT_EQ(h.rawText(u"Text2(0)"_s), u"Въпрос 3"_s);
    EXPECT_EQ(h.rawText(u"Text2(1)"_s), u"3-1"_s);
    EXPECT_EQ(h.rawText(u"Text2(4)"_s), u"3-4"_s);
    EXPECT_EQ(h.window.windowTitle(),
              layout::WebAddress.toString() + u"    МОРВ - "_s + layout::ProductFamily.toString());

    const char *shown[] = {"Label1(0)",  "Command1(0)", "Command1(1)", "Text2(0)",  "Text2(1)",
                           "Text2(2)",   "Text2(3)",    "Text2(4)",    "Frame1",    "Option1(0)",
                           "Option1(1)", "Option1(2)",  "Option1(3)",  "Label1(4)", "Picture1",
                           "Shape1(0)",  "Shape1(1)",   "Shape2(0)",   "Shape2(1)", "Label1(2)",
                           "Label1(1)",  "Command2(0)", "Picture2",    "Text1(0)"};
    for (const char *id : shown)
        EXPECT_TRUE(h.control(QString::fromLatin1(id))->isVisible()) << id;
    const char *hidden[] = {"Command2(1)", "Command2(2)", "Text2(5)", "Option1(4)",
                            "Text2(6)",    "Label1(3)",   "Text1(1)"};
    for (const char *id : hidden)
        EXPECT_FALSE(h.control(QString::fromLatin1(id))->isVisible()) << id;
    for (int i = 0; i <= 4; ++i)
        EXPECT_FALSE(h.option(i)->isChecked()) << i;
}

// The help text is 25 lines of 1733 characters, each line ending in CR LF, read back unchanged.
TEST(WindowTexts, HelpTextReadsBackWithItsLineBreaks)
{
    Harness h;
    h.show();
    const auto *help = h.control<TextBox>(u"Text1(0)"_s);
    const QString text = help->rawText();
    EXPECT_EQ(text.size(), 1733);
    EXPECT_EQ(text.count(u"\r\n"_s), 25);
    EXPECT_EQ(text.count(u'\n'), 25);
    const QStringList expected = {
        u"Това е  затворен динамичен едновариантен тест - тест с избор само на един отговор."_s,
        u"Особеност на теста:"_s,
        u" - при всяко ново стартиране се променя последователността на отговорите."_s,
        u" - при всяко ново стартиране ще се променя последователността на въпросите/фразите."_s,
        u" - при посочен отговор може да се представя отделно вида на ново формиранаата фраза - с избрания "
        u"отговор."_s,
        u" - съществува анимиран oбект, който показва позицията в теста - преминати, оставащи въпроси."_s,
        u" - за всеки отделен въпрос може да съществуват различен брой дистрактори от интервала 2-5."_s,
        u" - за всеки отделен въпрос може да се добави по 1 изображение."_s,
        u"Следва описание на отделните обекти, съобразно вертикалното им положение:"_s,
        u"Бутон Напред - извежда следващ номер въпрос."_s,
        u"Бутон Назад - извежда предходен номер въпрос."_s,
        u"В най-високо разположеното текстово поле се извежда въпросът/фразата, която трябва да се допълни."_s,
        u"В 2-5-те текстови полета под нея се извеждат отделните дистрактори."_s,
        u"Под всяко от тях е разположен радиобутон. Изпитваният посочва верния отговор чрез събитие On-Click "
        u"върху съответния радиобутон."_s,
        u"Под тях е разположено текстово поле, което показва как би изглеждала фразата с вече посочен "
        u"отговор "
        u"(при ЧЕО)."_s,
        u"Междинното графично поле показва дали е въведен отговор на текущия въпрос (зелено да)."_s,
        u"Бутон Резултат - извежда реултатите от теста и забранява възможността за въвеждане на корекции."_s,
        u"Като данни се извеждат:"_s,
        u" - брой вярно посочени дистрактори (отговори);"_s,
        u" - общ брой въпроси в теста;"_s,
        u" - процент верни отговори."_s,
        u"В режим извеждане на резултатите радиобутоните се оцветяват в:"_s,
        u" - червено - въведеният отговор е грешен;"_s,
        u" - зелено - въведеният отговор е правилен;"_s,
        u" - не се оцветява нито един радиобутон, ако не е въведен отговор."_s,
    };
    QStringList lines = text.split(u"\r\n"_s);
    EXPECT_EQ(lines.takeLast(), QString());
    ASSERT_EQ(lines.size(), 25);
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
    // On screen every CR LF is a line break: 25 lines and the empty one after the last break.
    EXPECT_EQ(help->document()->blockCount(), 26);
    EXPECT_FALSE(help->toPlainText().contains(u'\r'));
    EXPECT_TRUE(help->isReadOnly());
    EXPECT_EQ(help->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

// A text box shows text as written and keeps its scroll position while its text does not change.
TEST(WindowTexts, TextBoxKeepsItsScrollPositionWhenTheTextStays)
{
    Harness h;
    h.show();
    auto *help = h.control<TextBox>(u"Text1(0)"_s);
    ASSERT_GT(help->verticalScrollBar()->maximum(), 3);
    help->verticalScrollBar()->setValue(3);
    h.button(u"Command1(0)"_s)->click(); // the engine leaves the help text as it is
    EXPECT_EQ(help->verticalScrollBar()->value(), 3);
    help->setRawText(u"a\r\nb"_s);
    EXPECT_EQ(help->rawText(), u"a\r\nb"_s);
    EXPECT_EQ(help->toPlainText(), u"a\nb"_s);
    EXPECT_EQ(help->verticalScrollBar()->value(), 0);
}

// A short text after a long one scrolls no further than itself, also when its one line is as wide
// as the widest line before it (every line of the narrow fifth answer box is one wide letter).
TEST(WindowTexts, ShortTextAfterALongOneLeavesNoScrollRange)
{
    Harness h;
    h.show();
    auto *box = h.control<TextBox>(u"Text2(5)"_s);
    box->setVisible(true);
    box->setRawText(u"АААААААААА"_s);
    EXPECT_GT(box->verticalScrollBar()->maximum(), 0);
    box->setRawText(u"А"_s);
    EXPECT_EQ(box->verticalScrollBar()->maximum(), 0);
}

// A box lays out the text it was given before it was on screen when it is shown, once and at its own
// width; a box hidden meanwhile shows the text it was given last.
TEST(WindowTexts, TextGivenOffScreenIsShownAtTheBoxWidth)
{
    Harness h;
    auto *question = h.control<TextBox>(u"Text2(0)"_s);
    auto *fifth = h.control<TextBox>(u"Text2(5)"_s);
    ASSERT_TRUE(fifth->isHidden());
    fifth->setRawText(u"първи\r\nвтори"_s);
    fifth->setRawText(u"ААААААААААААААААААААААААА\r\nБ"_s);
    h.show();
    // The width the first line was laid out for, with the document's margins.
    const auto laidOutWidth = [](TextBox *box) {
        const QTextLayout *layout = box->document()->firstBlock().layout();
        return layout->lineCount() > 0
                   ? int(layout->lineAt(0).width() + 2 * box->document()->documentMargin())
                   : -1;
    };
    EXPECT_EQ(question->toPlainText(), QString(question->rawText()).replace(u"\r\n"_s, u"\n"_s));
    EXPECT_EQ(laidOutWidth(question), question->viewport()->width());
    fifth->setVisible(true);
    EXPECT_EQ(fifth->toPlainText(), u"ААААААААААААААААААААААААА\nБ"_s);
    EXPECT_EQ(laidOutWidth(fifth), fifth->viewport()->width());
    EXPECT_GT(fifth->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(fifth->verticalScrollBar()->value(), 0);
}

// The menu bar holds "Изход" then "Автор", with no sub-items.
TEST(WindowMenu, TwoCommandsInOrderWithoutSubItems)
{
    Harness h;
    const QList<QAction *> actions = h.window.menuBar()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), u"Изход"_s);
    EXPECT_EQ(actions[0]->objectName(), u"izhod(0)"_s);
    EXPECT_EQ(actions[0]->menu(), nullptr);
    EXPECT_EQ(actions[1]->text(), u"Автор"_s);
    EXPECT_EQ(actions[1]->objectName(), u"autor"_s);
    EXPECT_EQ(actions[1]->menu(), nullptr);
}

// Every control is in "Times New Roman" 12 pt, which fontconfig gives as Liberation Serif at 16 px.
TEST(WindowFont, ControlsUseTheWindowFont)
{
    Harness h;
    for (const char *id : {"Text2(0)", "Command1(0)", "Option1(0)", "Label1(0)", "Text1(0)"}) {
        const QFontInfo info = h.control(QString::fromLatin1(id))->fontInfo();
        EXPECT_EQ(info.family(), u"Liberation Serif"_s) << id;
        EXPECT_EQ(info.pixelSize(), 16) << id;
        EXPECT_FALSE(info.bold()) << id;
        EXPECT_FALSE(info.italic()) << id;
    }
}

// Every superscript and subscript an import may write is drawn with a glyph of a font that has it,
// as that font's own table of characters says: the window's font where it has the character, else
// the fallback the system gives (DejaVu Serif, which the package depends on, for what Liberation
// Serif lacks).
TEST(WindowFont, ShowsEverySuperscriptAndSubscript)
{
    Harness h;
    const QFont font = h.client()->font();
    const QRawFont window = QRawFont::fromFont(font);
    const QString characters = scriptCharacters();
    QTextLayout layout(characters, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    // Every script character is one UTF-16 unit, so each index is one character.
    ASSERT_EQ(characters.toUcs4().size(), characters.size());
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const QList<QGlyphRun> runs = layout.glyphRuns(int(i), 1);
        ASSERT_EQ(runs.size(), 1) << i;
        const QRawFont drawing = runs.first().rawFont();
        EXPECT_TRUE(drawing.supportsCharacter(characters[i]))
            << QString(characters[i]).toStdString() << " " << drawing.familyName().toStdString();
        EXPECT_EQ(runs.first().glyphIndexes().size(), 1);
        EXPECT_NE(runs.first().glyphIndexes().value(0), 0u) << QString(characters[i]).toStdString();
    }
    // Liberation Serif has superscript 1 to 9 but not 0, and no superscript or subscript signs.
    if (window.familyName() == u"Liberation Serif") {
        QString lacking;
        for (const char32_t c : characters.toUcs4()) {
            if (!window.supportsCharacter(c))
                lacking += QString::fromUcs4(&c, 1);
        }
        EXPECT_EQ(lacking, u"⁰ⁱ⁺⁻⁼⁽⁾₊₋₌₍₎ₕₖₗₘₙₚₛₜ"_s);
    }
    // The shipped bank's "₁" is the window font's own.
    EXPECT_TRUE(window.supportsCharacter(U'₁'));
}

// The help text holds the focus when the window opens; Tab then walks the table's order.
TEST(WindowKeyboard, FocusStartsOnTheHelpTextAndFollowsTheTableOrder)
{
    Harness h;
    h.show();
    QApplication::setActiveWindow(&h.window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.window));
    QWidget *help = h.control(u"Text1(0)"_s);
    EXPECT_EQ(h.window.focusWidget(), help);

    const QStringList expected = {u"Text1(0)"_s,    u"Text1(1)"_s,    u"Text2(0)"_s,    u"Text2(1)"_s,
                                  u"Text2(2)"_s,    u"Text2(3)"_s,    u"Text2(4)"_s,    u"Text2(6)"_s,
                                  u"Option1(0)"_s,  u"Option1(1)"_s,  u"Option1(2)"_s,  u"Option1(3)"_s,
                                  u"Command1(0)"_s, u"Command1(1)"_s, u"Command2(0)"_s, u"Command2(1)"_s,
                                  u"Command2(2)"_s, u"Text2(5)"_s,    u"Option1(4)"_s};
    QStringList order;
    QWidget *widget = help;
    for (int step = 0; step < 500; ++step) {
        if (expected.contains(widget->objectName()) && !order.contains(widget->objectName()))
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
        if (widget == help)
            break;
    }
    EXPECT_EQ(order, expected);
}

// Screen readers get a Bulgarian name for every control the examinee works with.
TEST(WindowAccessibility, InteractiveControlsHaveBulgarianNames)
{
    Harness h;
    EXPECT_EQ(h.control(u"Text2(0)"_s)->accessibleName(), u"Въпрос"_s);
    EXPECT_EQ(h.control(u"Text2(2)"_s)->accessibleName(), u"Текст на отговор B"_s);
    EXPECT_EQ(h.option(0)->accessibleName(), u"Отговор A"_s);
    EXPECT_EQ(h.control(u"Command1(0)"_s)->accessibleName(), u"Напред"_s);
    EXPECT_EQ(h.control(u"Command2(0)"_s)->accessibleName(), u"Оценяване"_s);
    EXPECT_EQ(h.control(u"Picture2"_s)->accessibleName(), u"Изображение към въпроса"_s);
    EXPECT_EQ(h.control(u"Text1(0)"_s)->accessibleName(), u"Помощ"_s);
}

// A label is read out with its current caption, not the one it was laid out with.
TEST(WindowAccessibility, CounterIsReadWithItsCurrentCaption)
{
    Harness h;
    h.show();
    h.option(0)->click();
    QAccessibleInterface *counter = QAccessible::queryAccessibleInterface(h.control(u"Label1(2)"_s));
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(counter->text(QAccessible::Name), u"Въведени отговори: 1/5"_s);
}

// The window has an icon with a 32 x 32 and a 16 x 16 image.
TEST(WindowIcon, HasBothSizes)
{
    Harness h;
    const QList<QSize> sizes = h.window.windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    // The images are really there, not just announced: the middle of each is painted.
    for (const int size : {16, 32}) {
        const QImage image = h.window.windowIcon().pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(image.pixelColor(size / 2, size / 2).alpha(), 255) << size;
    }
}

// Colours as drawn: command buttons exact, labels, the frame, the window, the strip and the indicator.
TEST(WindowColours, ControlsShowTheirColoursExactly)
{
    Harness h;
    h.show();
    // Left of the centred caption and inside the one-pixel border.
    EXPECT_EQ(h.pixel(h.control(u"Command1(0)"_s), {4, 9}), QColor(255, 128, 0));
    EXPECT_EQ(h.pixel(h.control(u"Command1(1)"_s), {4, 9}), QColor(192, 64, 0));
    EXPECT_EQ(h.pixel(h.control(u"Command2(0)"_s), {4, 9}), QColor(128, 128, 255));
    EXPECT_EQ(h.pixel(h.control(u"Label1(0)"_s), {3, 22}), QColor(255, 192, 128));
    EXPECT_EQ(h.pixel(h.control(u"Frame1"_s), {3, 3}), QColor(128, 128, 255));
    EXPECT_EQ(h.pixel(h.client(), {722, 50}), QColor(192, 192, 255));
    EXPECT_EQ(h.pixel(h.control(u"Shape1(1)"_s), {300, 8}), QColor(0, 255, 255));
    EXPECT_EQ(h.pixel(h.control(u"Shape2(1)"_s), {300, 8}), QColor(255, 255, 0));
    EXPECT_EQ(h.pixel(h.control(u"Shape2(0)"_s), {1, 8}), QColor(255, 128, 0));
    EXPECT_EQ(h.pixel(h.option(0), {117, 9}), QColor(0, 255, 0)) << rgb(h.pixel(h.option(0), {117, 9}));
    EXPECT_EQ(h.pixel(h.control(u"Picture1"_s), {200, 6}), QColor(255, 0, 0));
}

// A disabled command button keeps its exact colour.
TEST(WindowColours, DisabledGradeButtonKeepsItsColour)
{
    Harness h;
    h.show();
    h.button(u"Command2(0)"_s)->click();
    ASSERT_FALSE(h.button(u"Command2(0)"_s)->isEnabled());
    EXPECT_EQ(h.pixel(h.control(u"Command2(0)"_s), {4, 9}), QColor(128, 128, 255));
}

QString spoken(QWidget *widget, QAccessible::Text text)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(text) : u"(no interface)"_s;
}

// Through the accessibility interfaces alone: each option tells its answer, and after grading whether
// it was chosen and whether it is right, as its colour says. Positions show bank questions 3, 5, 2...
TEST(WindowAccessibility, OptionsTellTheirAnswersAndAfterGradingTheirVerdict)
{
    Harness h(fiveQuestions(1));
    h.show();
    EXPECT_EQ(spoken(h.option(0), QAccessible::Name), u"Отговор A"_s);
    EXPECT_EQ(spoken(h.option(0), QAccessible::Description), u"3-1"_s);
    EXPECT_EQ(spoken(h.option(3), QAccessible::Description), u"3-4"_s);
    h.option(0)->click(); // right
    // Before grading a chosen option is its answer alone, as its colour says nothing yet.
    EXPECT_EQ(spoken(h.option(0), QAccessible::Description), u"3-1"_s);
    h.button(u"Command1(0)"_s)->click();
    EXPECT_EQ(spoken(h.option(1), QAccessible::Description), u"5-2"_s);
    h.option(1)->click(); // wrong
    h.button(u"Command2(0)"_s)->click();
    EXPECT_EQ(spoken(h.option(0), QAccessible::Description), u"3-1; избран; верен отговор"_s);
    EXPECT_EQ(spoken(h.option(1), QAccessible::Description), u"3-2"_s);
    h.button(u"Command2(1)"_s)->click();
    EXPECT_EQ(spoken(h.option(0), QAccessible::Description), u"5-1; верен отговор"_s);
    EXPECT_EQ(spoken(h.option(1), QAccessible::Description), u"5-2; избран; грешен"_s);
    EXPECT_EQ(spoken(h.option(2), QAccessible::Description), u"5-3"_s);
}

// The answered indicator and the two rows of the strip say in words what their colour and length say,
// as their value and, for a reader that shows only descriptions, as their description too.
TEST(WindowAccessibility, IndicatorAndStripSpeakTheirValues)
{
    Harness h(fiveQuestions(1));
    h.show();
    QWidget *indicator = h.control(u"Picture1"_s);
    QWidget *position = h.control(u"Shape1(0)"_s);
    QWidget *answered = h.control(u"Shape2(0)"_s);
    auto describedByValue = [&] {
        for (QWidget *widget : {indicator, position, answered})
            EXPECT_EQ(spoken(widget, QAccessible::Description), spoken(widget, QAccessible::Value))
                << widget->objectName().toStdString();
    };
    EXPECT_EQ(QAccessible::queryAccessibleInterface(indicator)->role(), QAccessible::StaticText);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(position)->role(), QAccessible::ProgressBar);
    EXPECT_EQ(spoken(indicator, QAccessible::Name), u"Въведен отговор"_s);
    EXPECT_EQ(spoken(position, QAccessible::Name), u"Позиция в теста"_s);
    EXPECT_EQ(spoken(answered, QAccessible::Name), u"Въведени отговори"_s);
    EXPECT_EQ(spoken(indicator, QAccessible::Value), u"не"_s);
    EXPECT_EQ(spoken(position, QAccessible::Value), u"въпрос 1 от 5"_s);
    EXPECT_EQ(spoken(answered, QAccessible::Value), u"въведени отговори 0 от 5"_s);
    describedByValue();

    h.option(0)->click(); // right
    EXPECT_EQ(spoken(indicator, QAccessible::Value), u"да"_s);
    EXPECT_EQ(spoken(answered, QAccessible::Value), u"въведени отговори 1 от 5"_s);
    describedByValue();
    h.button(u"Command1(0)"_s)->click();
    EXPECT_EQ(spoken(indicator, QAccessible::Value), u"не"_s);
    EXPECT_EQ(spoken(position, QAccessible::Value), u"въпрос 2 от 5"_s);
    h.option(1)->click(); // wrong
    h.button(u"Command2(0)"_s)->click();
    EXPECT_EQ(spoken(h.control(u"Label1(1)"_s), QAccessible::Name), u"Резултат: 1/5 = 20%"_s);
    EXPECT_EQ(spoken(indicator, QAccessible::Value), u"верен"_s);
    h.button(u"Command2(1)"_s)->click();
    EXPECT_EQ(spoken(indicator, QAccessible::Value), u"грешен или без отговор"_s);
    h.button(u"Command2(1)"_s)->click(); // position 2, never answered
    EXPECT_EQ(spoken(indicator, QAccessible::Value), u"грешен или без отговор"_s);
    describedByValue();
}

// The figure is described by the bank's text for it, or plainly as a drawing; no figure, no text.
TEST(WindowAccessibility, FigureHasItsTextOrADefault)
{
    BankSource source = fiveQuestions();
    source.questions[2].picture = tinyJpeg(1); // bank question 3, shown first
    source.questions[2].pictureName = u"q3.jpg"_s;
    source.questions[2].pictureText = u"Триъгълник ABC с височина CH"_s;
    source.questions[4].picture = tinyJpeg(2); // bank question 5, shown second
    source.questions[4].pictureName = u"q5.jpg"_s;
    Harness h(source);
    QWidget *figure = h.control(u"Picture2"_s);
    EXPECT_EQ(spoken(figure, QAccessible::Description), u"Триъгълник ABC с височина CH"_s);
    h.button(u"Command1(0)"_s)->click();
    EXPECT_EQ(spoken(figure, QAccessible::Description), u"Чертеж към въпроса"_s);
    h.button(u"Command1(0)"_s)->click();
    EXPECT_EQ(spoken(figure, QAccessible::Description), QString());
}

// Contrast as guidelines for readable text measure it, from two drawn colours.
double contrast(const QColor &a, const QColor &b)
{
    auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    auto light = [&](const QColor &c) {
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = light(a), lb = light(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The caption's contrast with its background: the drawn pixel of the area that differs most from it.
double captionContrast(const Harness &h, QWidget *widget, QRect area, QColor background)
{
    const QImage image = h.client()->grab().toImage();
    double best = 1.0;
    const QRect inClient = area.translated(widget->mapTo(h.client(), QPoint(0, 0)));
    for (int y = inClient.top(); y <= inClient.bottom(); ++y)
        for (int x = inClient.left(); x <= inClient.right(); ++x)
            best = std::max(best, contrast(image.pixelColor(x, y), background));
    return best;
}

// Every caption on a coloured background reads at 4.5 : 1 at least: the command buttons enabled and
// disabled, and the disabled options on red, green and light blue after grading.
TEST(WindowColours, CaptionsOnColouredBackgroundsAreReadable)
{
    Harness h(fiveQuestions(1));
    h.show();
    QWidget *back = h.control(u"Command1(1)"_s);
    QWidget *forward = h.control(u"Command1(0)"_s);
    const QRect buttonCaption(20, 4, 65, 12);
    EXPECT_GE(captionContrast(h, back, buttonCaption, QColor(192, 64, 0)), 4.5);
    EXPECT_GE(captionContrast(h, forward, buttonCaption, QColor(255, 128, 0)), 4.5);
    h.button(u"Command1(0)"_s)->click();
    h.option(1)->click(); // wrong
    h.button(u"Command2(0)"_s)->click();
    EXPECT_GE(captionContrast(h, h.control(u"Command2(0)"_s), buttonCaption, QColor(128, 128, 255)), 4.5);
    h.button(u"Command2(1)"_s)->click(); // B chosen and red, A right and green, C light blue
    const QRect optionCaption(18, 2, 90, 15);
    ASSERT_FALSE(h.option(1)->isEnabled());
    EXPECT_GE(captionContrast(h, h.option(1), optionCaption, QColor(255, 0, 0)), 4.5);
    EXPECT_GE(captionContrast(h, h.option(0), optionCaption, QColor(0, 255, 0)), 4.5);
    EXPECT_GE(captionContrast(h, h.option(2), optionCaption, QColor(192, 192, 255)), 4.5);
}

// The keyboard focus is drawn: an outline on the focused option, a border on the focused button.
TEST(WindowColours, FocusIsVisibleOnOptionsAndButtons)
{
    Harness h;
    h.show();
    QApplication::setActiveWindow(&h.window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.window));
    const QPoint edge(100, 1); // the top edge, right of the caption
    EXPECT_EQ(h.pixel(h.option(0), edge), QColor(0, 255, 0));
    h.option(0)->setFocus(Qt::TabFocusReason);
    EXPECT_GE(contrast(h.pixel(h.option(0), edge), QColor(0, 255, 0)), 4.5)
        << rgb(h.pixel(h.option(0), edge));
    QWidget *back = h.control(u"Command1(1)"_s);
    const QColor unfocused = h.pixel(back, {1, 9});
    back->setFocus(Qt::TabFocusReason);
    EXPECT_GE(contrast(h.pixel(back, {1, 9}), QColor(192, 64, 0)), 4.5) << rgb(h.pixel(back, {1, 9}));
    EXPECT_NE(h.pixel(back, {1, 9}), unfocused);
}

// The command buttons are drawn pixel for pixel as the stylesheet that first coloured them drew them: as
// they are, with the focus, pressed, and disabled, each in its colours with its caption.
TEST(WindowColours, CommandButtonsLookAsTheirStylesheetDrewThem)
{
    struct Look
    {
        const char *id;
        const char *background;
        const char *caption;
    };
    const Look looks[] = {{"Command1(0)", "#ff8000", "#000000"},  // Forward, orange
                          {"Command1(1)", "#c04000", "#ffffff"},  // Back, rust
                          {"Command2(0)", "#8080ff", "#000000"}}; // Grade, mid blue
    Harness h;
    h.show();
    QApplication::setActiveWindow(&h.window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.window));
    for (const Look &look : looks) {
        auto *button = h.control<QPushButton>(QString::fromLatin1(look.id));
        QPushButton styled(button->text(), h.client());
        styled.setGeometry(QRect(QPoint(300, 200), button->size()));
        styled.setStyleSheet(u"QPushButton { background-color: %1; color: %2; border: 1px solid #808080; }"
                             "QPushButton:disabled { color: %2; }"
                             "QPushButton:focus { border: 2px solid %2; }"
                             "QPushButton:pressed { border: 2px inset #808080; }"_s.arg(
                                 QString::fromLatin1(look.background), QString::fromLatin1(look.caption)));
        styled.show();
        auto same = [&](const char *state) {
            EXPECT_EQ(button->grab().toImage().convertToFormat(QImage::Format_RGB32),
                      styled.grab().toImage().convertToFormat(QImage::Format_RGB32))
                << look.id << ' ' << state;
        };
        same("as it is");
        button->setFocus(Qt::TabFocusReason);
        const QImage focused = button->grab().toImage();
        styled.setFocus(Qt::TabFocusReason);
        EXPECT_EQ(focused.convertToFormat(QImage::Format_RGB32),
                  styled.grab().toImage().convertToFormat(QImage::Format_RGB32))
            << look.id << " with the focus";
        styled.clearFocus();
        button->setDown(true);
        styled.setDown(true);
        same("pressed");
        button->setDown(false);
        styled.setDown(false);
        button->setEnabled(false);
        styled.setEnabled(false);
        same("disabled");
        button->setEnabled(true);
    }
}

// A whole test with the keyboard alone: Tab reaches the answers, the arrows move between them, Space
// chooses; Tab reaches Forward, Back and Grade, and Space presses them.
TEST(WindowKeyboard, PupilTakesTheTestWithTheKeyboardAlone)
{
    Harness h;
    h.show();
    QApplication::setActiveWindow(&h.window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.window));
    auto press = [&h](Qt::Key key) { QTest::keyClick(h.window.focusWidget(), key); };
    auto tabTo = [&](const QString &id) {
        for (int step = 0; step < 20 && h.window.focusWidget()->objectName() != id; ++step)
            press(Qt::Key_Tab);
        return h.window.focusWidget()->objectName();
    };
    ASSERT_EQ(tabTo(u"Option1(0)"_s), u"Option1(0)"_s);
    press(Qt::Key_Space);
    EXPECT_EQ(h.engine.state().List2[Chosen].row(0), u"0"_s);
    press(Qt::Key_Right);
    EXPECT_EQ(h.window.focusWidget(), h.option(1));
    press(Qt::Key_Space);
    EXPECT_EQ(h.engine.state().List2[Chosen].row(0), u"1"_s);
    EXPECT_EQ(h.engine.values().AnsweredCount, 1);
    ASSERT_EQ(tabTo(u"Command1(0)"_s), u"Command1(0)"_s);
    press(Qt::Key_Space);
    EXPECT_EQ(h.engine.values().CurrentPosition, 1);
    ASSERT_EQ(tabTo(u"Command1(1)"_s), u"Command1(1)"_s);
    press(Qt::Key_Space);
    EXPECT_EQ(h.engine.values().CurrentPosition, 0);
    ASSERT_EQ(tabTo(u"Command2(0)"_s), u"Command2(0)"_s);
    press(Qt::Key_Space);
    EXPECT_FALSE(h.engine.state().Command2[Grade].enabled);
    EXPECT_EQ(h.caption(u"Label1(1)"_s), u"Резултат: 0/5 = 0%"_s);
}

// What a text box of the window shows for a text: its lines and whether it scrolls.
struct Shown
{
    int lines = 0;
    bool whole = false;
};

Shown shownIn(TextBox *box, const QString &text)
{
    box->setRawText(text);
    return {box->document()->lineCount(), box->verticalScrollBar()->maximum() == 0};
}

// The question box, an answer box and the narrow fifth answer box, shown in a real window.
struct Boxes
{
    Boxes()
    {
        h.show();
        h.control(u"Text2(5)"_s)->setVisible(true);
    }
    TextBox *box(const char *id) const { return h.control<TextBox>(QString::fromLatin1(id)); }
    Harness h;
};

const char *const BoxIds[] = {"Text2(0)", "Text2(1)", "Text2(5)"};

class BoxMetrics : public testing::TestWithParam<const char *>
{};

// The frame, scroll bar and margin the fit takes off a box are those of the window's text boxes.
TEST_P(BoxMetrics, AreWhatTheFitTakesOff)
{
    Boxes boxes;
    TextBox *box = boxes.box(GetParam());
    EXPECT_EQ(box->frameWidth(), textbox::FrameWidth);
    EXPECT_EQ(box->verticalScrollBar()->width(), textbox::ScrollBarWidth);
    EXPECT_EQ(box->document()->documentMargin(), textbox::DocumentMargin);
    EXPECT_EQ(box->viewport()->size(), box->size() - QSize(2 * textbox::FrameWidth + textbox::ScrollBarWidth,
                                                           2 * textbox::FrameWidth));
}

INSTANTIATE_TEST_SUITE_P(TextFit, BoxMetrics, testing::ValuesIn(BoxIds),
                         [](const testing::TestParamInfo<const char *> &row) { return rowName(row.param); });

// The packer measures with the window's own font and boxes: the font the client area is given, with no
// shaping, and the place of every text box and of the figure box.
TEST(TextFit, MeasuresWithTheWindowsFontAndBoxes)
{
    Harness h;
    h.show();
    EXPECT_EQ(h.client()->font(), windowFont());
    EXPECT_EQ(h.control(u"Text2(1)"_s)->font(), windowFont());
    EXPECT_EQ(windowFont().styleStrategy(), QFont::PreferNoShaping);
    EXPECT_EQ(textBoxRect(Question), QRect(8, 32, 709, 51));
    for (const Text2Box box : {Question, AnswerA, AnswerB, AnswerC, AnswerD, AnswerE, Preview})
        EXPECT_EQ(h.control(u"Text2(%1)"_s.arg(box))->geometry(), textBoxRect(box)) << box;
    for (const Text1Box box : {Help, AuthorNote})
        EXPECT_EQ(h.control(u"Text1(%1)"_s.arg(box))->geometry(), textBoxRect(box)) << box;
    EXPECT_EQ(h.control(u"Picture2"_s)->geometry(), figureBoxRect());
    EXPECT_EQ(figureBoxRect(), QRect(8, 320, 225, 137));
}

struct LineEndCase
{
    const char *name;
    const char16_t *text;
    int lines;
};

const LineEndCase lineEnds[] = {
    {"empty", u"", 1},
    {"one letter", u"a", 1},
    {"CR LF", u"a\r\nb", 2},
    {"lone CR", u"a\rb", 2},
    {"lone LF", u"a\nb", 2},
    {"CR LF at the end", u"a\r\n", 2},
    {"CR LF, CR and LF", u"a\r\nb\rc\nd", 4},
    {"two LF", u"a\n\nb", 3},
};

// The question box and an answer box, each with one window shown for all the rows.
class LineEnds : public testing::TestWithParam<std::tuple<const char *, LineEndCase>>
{
protected:
    static void SetUpTestSuite() { s_boxes = new Boxes; }
    static void TearDownTestSuite()
    {
        delete s_boxes;
        s_boxes = nullptr;
    }
    static Boxes *s_boxes;
};

Boxes *LineEnds::s_boxes = nullptr;

// Line breaks and room worked by hand: lines of 19 px (16 px Liberation Serif, leading included)
// with margins of 4 px. The question box (viewport 49 px high) and an answer box (65 px) both show
// two lines: two end at 4 + 2 * 19 + 4 = 46 px, a third at 65 px, past the 64 px the taller allows.
TEST_P(LineEnds, BreakTheLineAndTwoLinesAreShown)
{
    const auto &[id, row] = GetParam();
    TextBox *box = s_boxes->box(id);
    const QString text = QString::fromUtf16(row.text);
    const TextFit fit = fitText(text, box->font(), box->size());
    EXPECT_EQ(fit.lines, row.lines);
    EXPECT_EQ(fit.visibleLines, 2);
    EXPECT_EQ(fit.fits, row.lines <= 2);
    const Shown shown = shownIn(box, text);
    EXPECT_EQ(shown.lines, row.lines);
    EXPECT_EQ(shown.whole, row.lines <= 2);
}

INSTANTIATE_TEST_SUITE_P(
    TextFit, LineEnds, testing::Combine(testing::Values("Text2(0)", "Text2(1)"), testing::ValuesIn(lineEnds)),
    [](const testing::TestParamInfo<std::tuple<const char *, LineEndCase>> &row) {
        return rowName(std::get<0>(row.param)) + '_' + rowName(std::get<1>(row.param).name);
    });

// The fit wraps as the boxes do at every length of a text: words at the box's width, a word too
// long for a line anywhere, so a width off by a pixel shows at some length.
TEST(TextFit, AgreesWithEveryBoxAtEveryLengthOfAText)
{
    const QString words =
        u"Основата на правата призма ABCDA₁B₁C₁D₁ е успоредник ABCD със страни AB = 43 см и "
        u"AD = 35 см. Височината на успоредника към страната AB е DH = 17 см, а околният ръб "
        u"на призмата е AA₁ = 89 см. Намерете лицето S на пълната повърхнина и лицето S₁ на "
        u"околната повърхнина на призмата (в см²)."_s;
    const QString longWord = u"ABCDA₁B₁C₁D₁ABCDA₁B₁C₁D₁ABCDA₁B₁C₁D₁ABCDA₁B₁C₁D₁ABCDA₁B₁C₁D₁"_s;
    Boxes boxes;
    for (const char *id : BoxIds) {
        TextBox *box = boxes.box(id);
        int wrapped = 0;
        int scrolled = 0;
        for (const QString &full : {words, longWord, longWord + u' ' + words}) {
            for (qsizetype n = 1; n <= full.size(); ++n) {
                const QString text = full.left(n);
                const TextFit fit = fitText(text, box->font(), box->size());
                const Shown shown = shownIn(box, text);
                ASSERT_EQ(fit.lines, shown.lines) << id << ": " << text.toStdString();
                ASSERT_EQ(fit.fits, shown.whole) << id << ": " << text.toStdString();
                wrapped += shown.lines > 1;
                scrolled += !shown.whole;
            }
        }
        // Every box both wraps and scrolls somewhere along the way.
        EXPECT_GT(wrapped, 0) << id;
        EXPECT_GT(scrolled, 0) << id;
    }
}

// Every question of the shipped test fits the question box and every answer an answer box, with no
// need to scroll; the fit says the same of each text, so a packer can warn of what would not.
TEST(ShippedBank, EveryQuestionAndAnswerIsSeenWhole)
{
    if (const std::string mismatch = embeddedBankIsNotShipped(); !mismatch.empty())
        GTEST_SKIP() << mismatch;
    const BankLoad load = readEmbeddedBank(jpegDecodeProblem);
    ASSERT_TRUE(load.bank) << texts(load.problems).join(u'\n').toStdString();
    const Bank &bank = *load.bank;
    Boxes boxes;
    for (int k = 1; k <= bank.List1(0).size(); ++k) {
        const QStringList &question = bank.List1(k);
        ASSERT_GE(question.size(), 3) << "question " << k;
        for (qsizetype i = 0; i < question.size(); ++i) {
            // The question in Text2(0), answer i in Text2(i).
            TextBox *box = boxes.h.control<TextBox>(u"Text2(%1)"_s.arg(i));
            const QString &text = question[i];
            const std::string where =
                (i == 0 ? u"question %1"_s.arg(k) : u"question %1, answer %2"_s.arg(k).arg(i)).toStdString() +
                ": " + text.toStdString();
            const Shown shown = shownIn(box, text);
            const TextFit fit = fitText(text, box->font(), box->size());
            EXPECT_TRUE(shown.whole) << where << " takes " << shown.lines << " lines";
            EXPECT_EQ(fit.lines, shown.lines) << where;
            EXPECT_EQ(fit.fits, shown.whole) << where;
        }
    }
}

} // namespace
} // namespace morv::test
