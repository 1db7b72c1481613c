// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/source.h"

using namespace Qt::Literals::StringLiterals;

namespace morv {

QStringList texts(const QList<Problem> &problems)
{
    QStringList lines;
    for (const Problem &problem : problems)
        lines.append(problem.text);
    return lines;
}

QString located(const QString &file, const Problem &problem)
{
    return (problem.line > 0 ? u"%1:%2: "_s.arg(file).arg(problem.line) : file + u": "_s) + problem.text;
}

QString questionPlace(std::size_t index)
{
    return u"въпрос %1"_s.arg(index + 1);
}

QString inQuotes(const QString &text)
{
    return u"„%1“"_s.arg(text);
}

} // namespace morv
