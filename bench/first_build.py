#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A newcomer's first build: script/run's steps on a fresh clone, each with its wall and CPU time.

The working tree's last commit is cloned into a temporary folder, which then goes through what
script/run does before it starts the program: the package check, configuring the preset and building
it. Every compile and link is timed on its own (the script wraps the compiler), so the report says where
the time goes, target by target. CPU time (user + system) is the figure a loaded machine does not change
much; the wall time shows the load.

    bench/first_build.py [--preset run] [--revision REV] [--keep]

--revision builds another commit of the same repository, to compare a change with what came before it.

Standard library only; the packages of script/packages must be installed (script/bootstrap run).
"""
import argparse
import collections
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import time


def timed(command, cwd, env=None):
    """Runs a command; its wall time and its children's CPU time, in seconds."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    subprocess.run(command, cwd=cwd, env=env, check=True, stdout=subprocess.DEVNULL)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def wrap(log, command):
    """The compiler launcher: runs one compile or link and appends its times to the log."""
    start = time.monotonic()
    child = subprocess.Popen(command)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    output = command[command.index("-o") + 1] if "-o" in command else command[-1]
    with open(log, "a") as out:
        out.write(f"{wall:.3f} {usage.ru_utime + usage.ru_stime:.3f} {output}\n")
    return os.waitstatus_to_exitcode(status)


def step_name(output):
    """The target a compiled or linked file belongs to, and what the step did."""
    found = re.search(r"CMakeFiles/([^/]+)\.dir/", output)
    if found:
        return found.group(1), "compile"
    return os.path.basename(output), "link"


def main():
    if len(sys.argv) > 2 and sys.argv[1] == "--wrap":
        return wrap(sys.argv[2], sys.argv[3:])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preset", default="run", help="the configure and build preset (default: run)")
    parser.add_argument("--revision", help="the commit to build (default: the last one)")
    parser.add_argument("--keep", action="store_true", help="keep the clone and print where it is")
    args = parser.parse_args()

    clone = tempfile.mkdtemp(prefix="morv-first-build-")
    log = os.path.join(clone, "steps.log")
    source = os.path.join(clone, "morv")
    try:
        subprocess.run(["git", "clone", "--quiet", root, source], check=True)
        if args.revision:
            subprocess.run(["git", "checkout", "--quiet", args.revision], cwd=source, check=True)
        launcher = f"{sys.executable};{os.path.abspath(__file__)};--wrap;{log}"
        rows = [("script/bootstrap run", *timed(["script/bootstrap", "run"], source))]
        rows.append((f"cmake --preset {args.preset}", *timed(
            ["cmake", "--preset", args.preset, f"-DCMAKE_CXX_COMPILER_LAUNCHER={launcher}",
             f"-DCMAKE_CXX_LINKER_LAUNCHER={launcher}"], source)))
        rows.append((f"cmake --build --preset {args.preset}", *timed(
            ["cmake", "--build", "--preset", args.preset], source)))
        steps = collections.defaultdict(lambda: [0, 0.0, 0.0])
        with open(log) as lines:
            for line in lines:
                wall, cpu, output = line.split(maxsplit=2)
                key = step_name(output.strip())
                steps[key][0] += 1
                steps[key][1] += float(wall)
                steps[key][2] += float(cpu)
        load = " ".join(f"{v:.2f}" for v in os.getloadavg())
        revision = subprocess.run(["git", "rev-parse", "--short", "HEAD"], cwd=source, check=True,
                                  capture_output=True, text=True).stdout.strip()
        print(f"{os.cpu_count()} CPUs, load average {load}; a fresh clone of {root} at {revision}")
        print(f"{'step':44} {'wall s':>8} {'CPU s':>8}")
        for name, wall, cpu in rows:
            print(f"{name:44} {wall:8.1f} {cpu:8.1f}")
        total_wall = sum(r[1] for r in rows)
        total_cpu = sum(r[2] for r in rows)
        print(f"{'total':44} {total_wall:8.1f} {total_cpu:8.1f}")
        print("\nthe build's compiles and links, by target (the wall time of steps that ran side by side overlaps):")
        for (target, kind), (count, wall, cpu) in sorted(steps.items(), key=lambda item: -item[1][2]):
            print(f"  {kind:8} {target:34} {count:3}x {wall:8.1f} {cpu:8.1f}")
        compiled = sum(v[2] for v in steps.values())
        print(f"  {'':8} {'compiles and links together':34} {'':4} {'':8} {compiled:8.1f}")
        print(f"  {'':8} {'the rest (moc, rcc, the bank check, CMake, Ninja)':34}"
              f" {'':4} {'':8} {rows[-1][2] - compiled:8.1f}")
    finally:
        if args.keep:
            print(f"\nkept: {source}")
        else:
            shutil.rmtree(clone, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
