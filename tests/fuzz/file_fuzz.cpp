// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a file the program tells by its structure, never a crash. As a program
// file, the executable its header describes lies within the bytes, and only an executable is a program.
// As a figure, a JPEG header the program reads itself gives the size Qt's own reader gives.
#include "bank/jpegheader.h"
#include "bank/programfile.h"

#include <QBuffer>
#include <QImageReader>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<qsizetype> extent = morv::executableExtent(bytes);
    if (extent && (*extent <= 0 || *extent > bytes.size()))
        __builtin_trap();
    if (morv::programFile(bytes) != morv::ProgramFile::Other && !extent)
        __builtin_trap();
    if (const std::optional<QSize> plain = morv::plainJpegSize(bytes)) {
        QByteArray copy = bytes.toByteArray();
        QBuffer buffer(&copy);
        QImageReader reader(&buffer, "jpeg");
        if (reader.size() != *plain)
            __builtin_trap();
    }
    return 0;
}
