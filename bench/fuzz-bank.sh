#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the bank reader and checker (and the engine on every bank it accepts) for a bounded time, then
# as long the readers of a program file's structure and of a figure's JPEG header.
# Usage: bench/fuzz-bank.sh [seconds]   (default 120 each). Crashes land in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
# The sanitizer runtime misreads dynamic TLS on this glibc; see the README.
export ASAN_OPTIONS="${ASAN_OPTIONS:-intercept_tls_get_addr=0}"
seconds="${1:-120}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target bank_fuzz file_fuzz
corpus=build/fuzz/corpus
mkdir -p "$corpus" build/fuzz/findings
cp tests/fuzz/seeds/*.json "$corpus"/
cp bank/content/bank.json "$corpus"/shipped.json
build/fuzz/tests/fuzz/bank_fuzz -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/findings/ -dict=tests/fuzz/json.dict "$corpus"
# Seeds for the files: the shipped figures, and the start of the program as built (its headers).
files=build/fuzz/corpus-files
mkdir -p "$files"
cp bank/content/pictures/*.jpg "$files"/
head -c 65536 build/fuzz/tests/fuzz/file_fuzz >"$files"/program-start
build/fuzz/tests/fuzz/file_fuzz -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/findings/file- "$files"
