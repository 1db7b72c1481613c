// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Checks that a figure is a JPEG the program can show.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace morv {

// Collects the warnings Qt's image decoders give while it lives: a cut or damaged JPEG still decodes,
// and only its warning tells. Messages go through one global handler, so not for several threads.
class DecoderWarnings
{
public:
    DecoderWarnings();
    ~DecoderWarnings();
    DecoderWarnings(const DecoderWarnings &) = delete;
    DecoderWarnings &operator=(const DecoderWarnings &) = delete;

    const QStringList &messages() const { return m_messages; }

private:
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &message);

    static inline DecoderWarnings *s_current = nullptr;
    QtMessageHandler m_previous;
    QStringList m_messages;
};

// Whether a JPEG runs whole from its start to its end marker: every segment whole, and the data of each
// scan followed by a marker. Its decoder shows a JPEG that has lost its last bytes without a word.
bool jpegWhole(QByteArrayView jpeg);
// Reads only the JPEG header: cheap enough for every start.
QString jpegHeaderProblem(const QByteArray &jpeg);
// Decodes the whole image, which must run whole to its end (jpegWhole): for the build-time check.
QString jpegDecodeProblem(const QByteArray &jpeg);

} // namespace morv
