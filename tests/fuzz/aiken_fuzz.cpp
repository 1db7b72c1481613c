// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as an Aiken source are imported or refused with problems, never a crash.
#include "tests/fuzz/pack_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = morv::fuzz::bytesOf(data, size);
    morv::fuzz::checkImport(bytes, morv::importAiken(bytes));
    return 0;
}
