#!/usr/bin/env python3
"""Writes a large synthetic call log for benchmarking logtally.

Usage: gen_log.py OUTPUT SIZE_MIB [NAMES]

The log mixes every event form (named and numbered callers, called parties with and without
a caller, [M:S] and [N.Ns] durations, the two patterns the analyzer cleans away), the other
line kinds, and lines without a timestamp. NAMES distinct caller and as many extension names
are used (5000 by default). One day of lines is generated and written again until the file
has SIZE_MIB mebibytes, so the clock jumps back once per day, as a real log does at midnight.
"""
import random
import sys

FIRST = ["Alice", "Bob", "Carol", "Dan", "Erin", "Frank", "Gina", "Hal", "Ivy", "Jon"]
LAST = ["Smith", "Jones", "Miller", "Lopez", "Brown", "Young", "King", "Wright", "Hill"]


def party_names(count, rng):
    return [f"{rng.choice(FIRST)} {rng.choice(LAST)} {i}" for i in range(count)]


def event(rng, lines, exts, callers, callees):
    line_id, ext_id = rng.choice(lines), rng.choice(exts)
    caller, callee = callers[line_id % len(callers)], callees[ext_id % len(callees)]
    if rng.random() < 0.5:
        duration = f"[{rng.randrange(60)}:{rng.randrange(60):02}]"
    else:
        duration = f"[{rng.randrange(3600)}.{rng.randrange(100):02}s]"
    marker = "Conf ended: " if rng.random() < 0.1 else "Call ended: "
    form = rng.randrange(6)
    if form == 0:
        return f"{marker}{caller} (line {line_id}) -> {callee} (ext {ext_id}) {duration}"
    if form == 1:
        return f"{marker}line #{line_id} -> ext {ext_id} {duration}"
    if form == 2:
        return f"{marker}{caller} (home) (line {line_id}) -> ext {ext_id} {duration}"
    if form == 3:
        return f"{marker}line #{line_id} -> {callee} (VIP) (ext {ext_id}) {duration}"
    if form == 4:
        return f"{marker}{callee} (ext {ext_id}) {duration}"
    return f"{marker}ext {ext_id}"


def other(rng, lines, exts):
    ext_id = rng.choice(exts)
    return rng.choice([
        f"Call setup line {rng.choice(lines)} -> ext {ext_id}",
        f"Alarm: trunk {rng.randrange(8)} down",
        f"Operator login: op{rng.randrange(20)}",
        "System clock adjusted by admin.",
        f"Conference bridge opened by ext {ext_id}",
        f"Call ended: line #{rng.choice(lines)} -> ext {ext_id} (voice mail) [0:20]",
        f"Call ended: line #{rng.choice(lines)} -> ext {ext_id} (not counted) [0:05]",
        f"Trunk {rng.randrange(8)} idle",
    ])


def one_day(rng, names, count):
    lines = rng.sample(range(1, 65536), names)
    exts = rng.sample(range(1, 65536), names)
    callers, callees = party_names(names, rng), party_names(names, rng)
    out = []
    for i in range(count):
        seconds = i * 86400 // count
        stamp = f"{seconds // 3600:2}:{seconds // 60 % 60:02}:{seconds % 60:02}"
        roll = rng.random()
        if roll < 0.05:
            out.append(f"    continued: channel {rng.randrange(100)} released\n")
        elif roll < 0.70:
            out.append(f" {stamp} {event(rng, lines, exts, callers, callees)}\n")
        else:
            out.append(f" {stamp} {other(rng, lines, exts)}\n")
    return "".join(out).encode("ascii")


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    path, size = sys.argv[1], int(sys.argv[2]) * 1024 * 1024
    names = int(sys.argv[3]) if len(sys.argv) == 4 else 5000
    day = one_day(random.Random(1), names, 400_000)
    with open(path, "wb") as f:
        written = 0
        while written + len(day) <= size:
            f.write(day)
            written += len(day)
        f.write(day[: day.rfind(b"\n", 0, size - written) + 1])


if __name__ == "__main__":
    main()
