// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/source.h"

using namespace Qt::Literals::StringLiterals;

namespace morv {

QString shownText(const Problem &problem)
{
    if (problem.question <= 0)
        return problem.text;
    return questionPlace(std::size_t(problem.question - 1)) + u": "_s + problem.text;
}

QStringList texts(const QList<Problem> &problems)
{
    QStringList lines;
    for (const Problem &problem : problems)
        lines.append(shownText(problem));
    return lines;
}

QString located(const QString &file, const Problem &problem, QStringView kind)
{
    return (problem.line > 0 ? u"%1:%2: "_s.arg(file).arg(problem.line) : file + u": "_s) + kind.toString() +
           shownText(problem);
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
