// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a bank source as the bank.json a teacher can go on editing, the inverse of the reader.
#pragma once

#include "bank/testdocument.h"

#include <QByteArray>

namespace morv {

// The test as bank.json text: its settings rows and questions, each figure named by its pictureName.
QByteArray bankJson(const TestDocument &document);

} // namespace morv
