// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What every importer's fuzz target checks of an import: problems, warnings and questions at lines
// the source has, a clean import that the bank's rules accept question by question, and pictures that
// convert to a JPEG the program shows. Then the whole source goes through the bank's own checks, as
// the packer does.
#pragma once

#include "bank/bankreader.h"
#include "bank/picturecheck.h"
#include "bank/rules.h"
#include "pack/importer.h"
#include "pack/pictures.h"

#include <QRegularExpression>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace morv::fuzz {

inline QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline void check(bool holds)
{
    if (!holds)
        __builtin_trap();
}

inline void checkImport(const QByteArray &bytes, Import import)
{
    // XML counts a lone carriage return as a line end too.
    const int lines = int(bytes.count('\n') + bytes.count('\r')) + 1;
    for (const Problem &problem : import.problems + import.warnings)
        check(problem.line >= 0 && problem.line <= lines && !problem.text.isEmpty() &&
              !problem.text.contains(QRegularExpression(QStringLiteral("^въпрос \\d+: "))));
    int previous = 0;
    for (const QuestionSource &question : import.source.questions) {
        check(question.line >= 1 && question.line <= lines && question.line >= previous);
        previous = question.line;
        if (import.problems.isEmpty()) {
            check(!question.text.trimmed().isEmpty());
            check(question.answers.size() >= 2 && question.answers.size() <= 5);
            check(question.answers.count(question.correct) == 1);
        }
    }
    for (QuestionSource &question : import.source.questions) {
        if (question.picture.isEmpty())
            continue;
        const ConvertedPicture converted = toFittingJpeg(question.picture);
        check(converted.problem.isEmpty() != converted.jpeg.isEmpty());
        if (converted.problem.isEmpty())
            check(jpegDecodeProblem(converted.jpeg).isEmpty());
        question.picture = converted.jpeg;
    }
    import.source.title = QStringLiteral("Тест");
    const auto problems = checkBank(import.source, jpegHeaderProblem);
    if (import.problems.isEmpty() && problems.isEmpty())
        buildBank(import.source);
}

} // namespace morv::fuzz
