#!/usr/bin/env python3
"""Writes a large synthetic call log for benchmarking logtally.

Usage: gen_log.py [--changing] [--crlf] OUTPUT SIZE_MIB [NAMES]
       gen_log.py --all-ids OUTPUT

The log mixes every event form (named and numbered callers, called parties with and without
a caller, [M:S] and [N.Ns] durations, the two patterns the analyzer cleans away), the other
line kinds, and lines without a timestamp. NAMES numbers are used for each role (5000 by
default). By default every number keeps one name. With --changing the caller and the callee
name of an event are picked afresh from a pool of 100,000 names, so a number's name changes on
almost every event, as on an exchange where a trunk line shows each call's caller: every
change is a name the analyzer has to keep. One day of lines is generated and written again
until the file has SIZE_MIB mebibytes, so the clock jumps back once per day, as a real log
does at midnight. With --crlf every line ends in CR LF, as a phone system on Windows writes
its log; the lines are otherwise the same bytes.

--all-ids writes 65,535 event lines (about 5 MB) that together use every calling line and
every called extension from 1 to 65535, so the reports list every number of both roles.
"""
import random
import sys

FIRST = ["Alice", "Bob", "Carol", "Dan", "Erin", "Frank", "Gina", "Hal", "Ivy", "Jon"]
LAST = ["Smith", "Jones", "Miller", "Lopez", "Brown", "Young", "King", "Wright", "Hill"]
CHANGING_POOL = 100_000


def party_names(count, rng):
    return [f"{rng.choice(FIRST)} {rng.choice(LAST)} {i}" for i in range(count)]


def duration(rng):
    if rng.random() < 0.5:
        return f"[{rng.randrange(60)}:{rng.randrange(60):02}]"
    return f"[{rng.randrange(3600)}.{rng.randrange(100):02}s]"


def event(rng, lines, exts, callers, callees, changing):
    line_id, ext_id = rng.choice(lines), rng.choice(exts)
    if changing:
        caller, callee = rng.choice(callers), rng.choice(callees)
    else:
        caller, callee = callers[line_id % len(callers)], callees[ext_id % len(callees)]
    span = duration(rng)
    marker = "Conf ended: " if rng.random() < 0.1 else "Call ended: "
    form = rng.randrange(6)
    if form == 0:
        return f"{marker}{caller} (line {line_id}) -> {callee} (ext {ext_id}) {span}"
    if form == 1:
        return f"{marker}line #{line_id} -> ext {ext_id} {span}"
    if form == 2:
        return f"{marker}{caller} (home) (line {line_id}) -> ext {ext_id} {span}"
    if form == 3:
        return f"{marker}line #{line_id} -> {callee} (VIP) (ext {ext_id}) {span}"
    if form == 4:
        return f"{marker}{callee} (ext {ext_id}) {span}"
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


def stamp(i, count):
    seconds = i * 86400 // count
    return f"{seconds // 3600:2}:{seconds // 60 % 60:02}:{seconds % 60:02}"


def one_day(rng, names, count, changing):
    lines = rng.sample(range(1, 65536), names)
    exts = rng.sample(range(1, 65536), names)
    pool = CHANGING_POOL if changing else names
    callers, callees = party_names(pool, rng), party_names(pool, rng)
    out = []
    for i in range(count):
        roll = rng.random()
        if roll < 0.05:
            out.append(f"    continued: channel {rng.randrange(100)} released\n")
        elif roll < 0.70:
            out.append(f" {stamp(i, count)} {event(rng, lines, exts, callers, callees, changing)}\n")
        else:
            out.append(f" {stamp(i, count)} {other(rng, lines, exts)}\n")
    return "".join(out).encode("ascii")


def all_ids_log(rng):
    """Calling line i calls a shuffled extension, for every i: each number of both roles once."""
    exts = list(range(1, 65536))
    rng.shuffle(exts)
    callers, callees = party_names(65535, rng), party_names(65535, rng)
    out = []
    for i, ext_id in enumerate(exts, start=1):
        out.append(f"Call ended: {callers[i - 1]} (line {i}) -> {callees[ext_id - 1]} "
                   f"(ext {ext_id}) {duration(rng)}\n")
    return "".join(out).encode("ascii")


def write_repeated(path, day, size):
    """day again and again until the file has size bytes, cut after a whole line."""
    with open(path, "wb") as f:
        written = 0
        while written + len(day) <= size:
            f.write(day)
            written += len(day)
        f.write(day[: day.rfind(b"\n", 0, size - written) + 1])


def main():
    args = sys.argv[1:]
    if args[:1] == ["--all-ids"] and len(args) == 2:
        with open(args[1], "wb") as f:
            f.write(all_ids_log(random.Random(1)))
        return
    changing = "--changing" in args
    crlf = "--crlf" in args
    args = [a for a in args if a not in ("--changing", "--crlf")]
    if len(args) not in (2, 3):
        sys.exit(__doc__)
    path, size = args[0], int(args[1]) * 1024 * 1024
    names = int(args[2]) if len(args) == 3 else 5000
    day = one_day(random.Random(1), names, 400_000, changing)
    if crlf:
        day = day.replace(b"\n", b"\r\n")
    write_repeated(path, day, size)


if __name__ == "__main__":
    main()
