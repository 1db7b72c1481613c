// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Turns an imported picture into a JPEG that fits the program's picture box, one or a test's.
#pragma once

#include "bank/testdocument.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

namespace morv {

struct ConvertedPicture
{
    QByteArray jpeg;
    QString problem; // empty when converted; otherwise why not, in the teacher's words
};

// How much memory the PNG and GIF pictures of one source may take decoded, all together: each is
// decoded whole whatever size it is shown at, so their decoding costs what they take. JPEG is decoded
// at the size it is shown, at little cost, and is not counted.
inline constexpr qint64 DecodedPictureBudget = 256 * 1024 * 1024;

// JPEG, PNG or GIF in. A JPEG that fits the box as it is stored, within the bank's size, is kept byte
// for byte, so a test saved and opened again keeps it; anything else is scaled down to fit, keeping its
// proportions (never up), laid on white and written as JPEG. Its declared size is checked before it is
// decoded, and a picture that ends early or decodes only in part is refused as damaged: the decoder's
// warnings count as problems, caught through Qt's message handler (so this is not for several threads at
// once), and a GIF's own structure is read through.
ConvertedPicture toFittingJpeg(const QByteArray &bytes);

// The pictures of one source: each decoded at most once, the same bytes giving the same result, and
// PNG and GIF only within DecodedPictureBudget, counted from their declared sizes before decoding.
class PictureConverter
{
public:
    // `folder`: where the pictures an importer left in their files are (PictureBytes::LeftInFile).
    explicit PictureConverter(QString folder = {}, qint64 decodedBudget = DecodedPictureBudget)
        : m_folder(std::move(folder)), m_budget(decodedBudget), m_decodedLeft(decodedBudget)
    {}

    ConvertedPicture convert(const QByteArray &bytes);
    // The picture a question names by `name`, its bytes read from its file in the folder only now and
    // dropped once converted. Without a folder, nothing.
    ConvertedPicture convertFile(const QString &name);

private:
    QString m_folder;
    qint64 m_budget;
    qint64 m_decodedLeft;
    QHash<QByteArray, ConvertedPicture> m_converted; // by the SHA-1 of the picture's bytes, or its file name
};

// Every question begun, with its picture as the test would show it, for a source that cannot be packed
// yet: a picture that cannot be converted is already a problem of its own.
std::vector<TestQuestion> withShownPictures(std::vector<TestQuestion> questions, PictureConverter &pictures);
// Pictures of an imported test become JPEGs that fit the picture box, named by their question
// (pictures/q01.jpg); one that cannot be converted is a problem of its question, numbered as the
// source numbers it (`numbers`, from 1, one for each question of the document).
void convertPictures(TestDocument &document, QList<Problem> &problems, const std::vector<int> &numbers,
                     PictureConverter &pictures);

} // namespace morv
