// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Bank sources built in code: a sound one to start from, and one of each class of broken bank
// with the message that refuses it, shared by the reader, build-time and start-up tests.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>
#include <vector>

namespace morv::test {

QJsonObject questionJson(const QString &text, const QStringList &answers, const QString &correct);
// `questions` questions of two answers, the second one correct, with the shipped settings.
QJsonObject validJson(int questions = 3);
QJsonObject withQuestion(QJsonObject root, int index, const QJsonObject &question);
QByteArray bytes(const QJsonObject &object);

struct BrokenBank
{
    const char *name;
    std::function<QJsonObject()> source;
    QString message; // a part of the one problem it is refused with
    // Changes the written text, for what a JSON object cannot hold (a key written twice).
    std::function<QByteArray(QByteArray)> edit = {};

    QByteArray bytes() const { return edit ? edit(test::bytes(source())) : test::bytes(source()); }
};

std::vector<BrokenBank> brokenBanks();

// A failing row names itself in GoogleTest's output instead of showing its bytes.
inline void PrintTo(const BrokenBank &bank, std::ostream *out)
{
    *out << bank.name;
}

} // namespace morv::test
