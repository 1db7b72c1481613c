// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The question bank: the test's content and switches, held as the hidden data window's lists.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

namespace morv {

// The value of settings row r: its last character read as a digit; anything else reads as 0.
int settingValue(const QStringList &settings, int row);

// The test's switches, read from the settings rows once, where the bank is checked and built; nothing
// else reads a row's value. The rows keep their original labels, which say little of what they do.
struct Settings
{
    // Row 1 "ЧЕО - фраза от 2 части" (ЧЕО: teaching a foreign language) at 1: the phrase preview.
    bool phrasePreview = false;
    // Row 2 "Проверка за Тото" at 1: question 1 is asked again as the last question.
    bool repeatQuestion = false;
    // The same row above 0: the verdict after grading. Kept as it always was: a 2 shows a verdict, no repeat.
    bool showVerdict = false;
    // Row 3, the whole of it: the test's title.
    QString title;
    // Row 4 "Дава описание" ("gives a description") above 0: the explanation lines after grading.
    bool explanations = false;
    // Row 5 "Дава обяснения" ("gives explanations") at exactly 1: Forward and Back after grading.
    bool resultsNavigation = false;

    static Settings fromRows(const QStringList &rows);
};

class Bank
{
public:
    static constexpr int QuestionSlots = 40;    // List1(0..39): correct answers, then one list per question
    static constexpr int ExplanationSlots = 30; // Obqsnenie(0..29)
    static constexpr int PictureSlots = 30;     // Picture1(0..29)
    static constexpr int SettingsRows = 6;
    // List1(0) holds the correct answer of every question, in bank order; question k is List1(k).
    static constexpr int CorrectAnswers = 0;

    // Settings rows the program reads.
    enum Setting { PhraseRow = 1, TotoRow = 2, TitleRow = 3, ExplanationRow = 4, ResultsNavigationRow = 5 };

    // The settings list; the value of a setting is the last character of its row.
    const QStringList &List2() const { return m_settings; }
    // The switches of the settings list.
    const Settings &settings() const { return m_switches; }
    const QStringList &List1(int k) const;
    const QStringList &Obqsnenie(int k) const;
    // JPEG bytes of question k's figure, empty when it has none.
    const QByteArray &Picture1(int k) const;
    // What a screen reader says of question k's figure; empty for the program's default.
    const QString &pictureText(int k) const;
    // All n! orderings of the digits 1..n in ascending order, for n = 2..5; empty otherwise.
    static const QStringList &Poredica(int n);

    // The writes: the reader lays a source out with them, start-up adds the repeat question.
    void setList1(int k, const QStringList &rows);
    void setObqsnenie(int k, const QStringList &rows);
    void setPicture1(int k, const QByteArray &jpeg, const QString &text = {});
    void setSettings(const QStringList &rows);

private:
    QStringList m_settings;
    Settings m_switches;
    std::array<QStringList, QuestionSlots> m_list1;
    std::array<QStringList, ExplanationSlots> m_obqsnenie;
    std::array<QByteArray, PictureSlots> m_picture1;
    std::array<QString, PictureSlots> m_pictureText;
};

} // namespace morv
