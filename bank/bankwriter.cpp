// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/bankwriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace morv {

QByteArray bankJson(const TestDocument &document)
{
    QJsonArray questions;
    for (const QuestionSource &question : document.questions) {
        QJsonObject object{{u"text"_s, question.text},
                           {u"answers"_s, QJsonArray::fromStringList(question.answers)},
                           {u"correct"_s, question.correct}};
        if (!question.explanation.isEmpty())
            object.insert(u"explanation"_s, QJsonArray::fromStringList(question.explanation));
        if (!question.pictureName.isEmpty())
            object.insert(u"picture"_s, question.pictureName);
        if (!question.pictureText.isEmpty())
            object.insert(u"picture_text"_s, question.pictureText);
        questions.append(object);
    }
    return QJsonDocument(QJsonObject{{u"settings"_s, QJsonArray::fromStringList(settingsRows(document))},
                                     {u"questions"_s, questions}})
        .toJson(QJsonDocument::Indented);
}

} // namespace morv
