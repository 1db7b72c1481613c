// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The packer: a teacher's questions (a bank.json folder, Aiken, GIFT or Moodle XML) read, checked and
// measured against the window, and written as a ready test program. The command line and the packer's
// window both work through this; each part does one job.
#pragma once

#include "pack/fit.h"     // what a pupil would not see whole
#include "pack/preview.h" // a test started as the pupils will get it
#include "pack/reading.h" // the source read and checked, in one PackResult
#include "pack/write.h"   // the program and the bank.json folder written
