// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A program file told by its structure, never by bytes found somewhere in it: an executable's own
// header at its start, the mark inside the executable those headers describe, and at its end either
// nothing or a trailer that describes the appended bank exactly.
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

namespace morv {

enum class ProgramFile {
    Other,         // anything else: an archive or a text holding a program or its mark, another program
    AsBuilt,       // the program as the build made it, nothing appended
    Packed,        // a copy that morv-pack appended a test to, its trailer holding
    PackedDamaged, // such a copy cut short or changed: its trailer does not describe its test
};

ProgramFile programFile(QByteArrayView bytes);

// Where the executable the bytes start with ends, as its own headers (ELF or PE) describe it: nothing
// when they start with no such header, or with one that describes more than the bytes hold.
std::optional<qsizetype> executableExtent(QByteArrayView bytes);

} // namespace morv
