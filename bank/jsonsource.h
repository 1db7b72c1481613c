// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a bank's JSON source: its questions as written, with the line each stands on, and every fault of
// the text named by line and column in the teacher's words.
#pragma once

#include "bank/testdocument.h"

namespace morv {

// Parses a JSON source, its figures from `pictures`.
ParsedBank parseBank(const QByteArray &json, const PictureFiles &pictures);

} // namespace morv
