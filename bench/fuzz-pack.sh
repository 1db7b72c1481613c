#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the packer's importers (Aiken, GIFT, Moodle XML), each for a bounded time, with the pictures
# they bring converted and the bank's checks run on what they import.
# Usage: bench/fuzz-pack.sh [seconds per importer]   (default 60). Crashes land in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
# The sanitizer runtime misreads dynamic TLS on this glibc; see the README.
export ASAN_OPTIONS="${ASAN_OPTIONS:-intercept_tls_get_addr=0}"
seconds="${1:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target aiken_fuzz gift_fuzz moodle_fuzz
mkdir -p build/fuzz/findings
for format in aiken gift moodle; do
    corpus=build/fuzz/corpus-$format
    mkdir -p "$corpus"
    cp tests/fuzz/pack-seeds/$format/* "$corpus"/
    build/fuzz/tests/fuzz/${format}_fuzz -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 \
        -artifact_prefix=build/fuzz/findings/$format- -dict=tests/fuzz/$format.dict "$corpus"
done
