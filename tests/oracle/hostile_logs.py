#!/usr/bin/env python3
"""Writes the hostile logs of the differential test, the same bytes for the same seed.

Usage: hostile_logs.py LITERALS_TXT OUT_DIR [SEED]

The keywords, markers and patterns are read from the literal table, so the logs follow its
wording. OUT_DIR receives NAME.log files and a manifest with one "NAME EXIT" line per log: the
exit code the log is built for (0 for a good log, 1 for one whose run ends at a parse error).
A good log never holds a malformed event line that the parser would reach, so the whole log is
compared; each parse-error log holds exactly one, at a random line.

What the logs hold: every line kind and event form (named and numbered callers, no caller,
named and numbered callees, [M:S], [N.Ns] and no duration), names that change on every event,
blanks and high bytes in names, the two cleaning patterns and patterns formed by a removal,
garbage and random bytes, CR anywhere, NUL bytes, lines of 1020..1026 characters, keywords,
markers and patterns straddling the 1023-character split, constructs at the reader's 64 KiB
boundaries, high bytes 0x80..0x9F as a line's first byte, timestamps that run backwards,
one-digit hours, lines without a final LF, and a log whose name changes fill more than one
10 MiB name-arena region.
"""
import os
import random
import re
import sys

SPLIT = 1023          # characters of a line piece; the rest of a longer line comes next
BUFFER = 65536        # bytes of one read request
ARENA = 0xA00000      # bytes of one name-arena region

WORDS = ["Alice", "Bob", "Carol", "Dan", "Erin", "Frank", "Gina", "Hal", "Ivy", "Jon",
         "Smith", "Jones", "Miller", "Lopez", "Brown", "Young", "King", "Wright", "Hill",
         "Trunk", "Lobby", "Desk", "Fax", "Sales", "Support", "Night", "Annex"]
# Blank-free filler: no ':' '[' '(' '-' '>' and no letter run that forms a keyword.
FILLER = "abcdfghjkmoqstuvwxyz0123456789.,;=+*_"


def read_literals(path):
    """name -> plain bytes of every literal in the table."""
    literals = {}
    pattern = re.compile(r'^(k\w+)\s+(\d+)\s+"(.*)"\s*$')
    for line in open(path, encoding="ascii"):
        match = pattern.match(line)
        if not match:
            continue
        text = re.sub(r'\\x([0-9A-Fa-f]{2})', lambda m: chr(int(m.group(1), 16)), match.group(3))
        text = text.replace('\\n', '\n').replace('\\t', '\t').replace('\\r', '\r')
        text = text.replace('\\"', '"').replace('\\\\', '\\')
        literals[match.group(1)] = text.encode("latin-1")
    return literals


class Lines:
    """The pieces of one log: builders of lines that parse, of lines that are never parsed, and
    of the malformed event line of each parse error code."""

    def __init__(self, rng, lit):
        self.rng = rng
        self.lit = lit
        self.markers = [lit["kEventMarkerA"], lit["kEventMarkerB"]]
        self.kind5 = [lit["kKind5KeywordA"], lit["kKind5KeywordB"]]
        self.shadowing = [lit[k] for k in ("kKind1Keyword", "kKind4Keyword", "kKind3Keyword",
                                           "kKind2Keyword")]
        self.others = [lit[k] for k in ("kKind8Keyword", "kKind7Keyword", "kKind9Keyword")]
        self.keywords = self.shadowing + self.kind5 + self.others
        self.patterns = [lit["kCleanPatternA"], lit["kCleanPatternB"]]
        self.separator = lit["kPartySeparator"]
        self.first_intro, self.first_prefix = lit["kFirstIdIntro"], lit["kFirstIdPrefix"]
        self.second_intro, self.second_prefix = lit["kSecondIdIntro"], lit["kSecondIdPrefix"]
        self.hour = 8 * 3600
        self.counter = 0
        self.changing = True
        self.ids = list(range(1, 400))

    # --- small parts ---------------------------------------------------------------------
    def filler(self, n):
        return bytes(self.rng.choices(FILLER.encode(), k=n))

    def spaced_filler(self, n):
        """n bytes of filler words separated by blanks."""
        out = bytearray(self.filler(n))
        for i in range(self.rng.randrange(1, 9), n, self.rng.randrange(3, 11)):
            out[i] = 32
        return bytes(out)

    def soup(self):
        """Pieces of the two cleaning patterns, so that removals form new occurrences."""
        pieces = [b"(", b" "] + [p[:-1] for p in self.patterns]
        for p in self.patterns:
            for cut in range(2, len(p) - 1):
                pieces += [p[:cut], p[cut:-1]]
        # The '(' a removal keeps opens the next occurrence, of the same pattern or the other.
        a, b = self.patterns
        formed = [a[:-1] + a, a[:-1] * 3 + a, b[:-1] + b, b[:-1] + a, a[:-1] + b,
                  a[:-1] + b[:-1] + a, b[:-1] + a[:-1] + b]
        out = b"".join(self.rng.choice(pieces) for _ in range(self.rng.randint(1, 8)))
        return out + self.rng.choice(formed) if self.rng.random() < 0.5 else out

    def name(self):
        """A party name that never holds an intro, a separator or a marker."""
        r = self.rng.random()
        self.counter += 1
        if self.changing and r < 0.55:
            return f"{self.rng.choice(WORDS)} {self.counter}".encode()
        if r < 0.62:
            return b""
        if r < 0.70:
            return b" \t" + self.rng.choice(WORDS).encode() + b"\x0b \x0c"
        if r < 0.76:
            # Letters on both sides keep every removal inside the name.
            return b"A" + self.soup() + b"Z"
        if r < 0.82:
            return bytes(self.rng.randint(0x80, 0xFF) for _ in range(self.rng.randint(1, 12)))
        if r < 0.86:
            return self.spaced_filler(self.rng.randint(30, 300)).strip() + b"x"
        if r < 0.90:
            return self.rng.choice(WORDS).encode() + b" [x] " + self.rng.choice(WORDS).encode()
        if r < 0.95:
            # "(VIP)" before an intro: the blank and the intro's '(' complete the pattern.
            return self.rng.choice(WORDS).encode() + b" " + self.rng.choice(self.patterns)[:-2]
        return self.rng.choice(WORDS).encode()

    def identifier(self):
        r = self.rng.random()
        if r < 0.85:
            return self.rng.choice(self.ids)
        return self.rng.choice([0, -5, 65535, 65536, 70000, 1, 2147483647, -2147483648])

    def number(self, value):
        return self.rng.choice(["{}", "{}", " {}", "  {}"]).format(value).encode()

    def duration(self):
        r = self.rng.random()
        if r < 0.2:
            return b""
        if r < 0.6:
            m = self.rng.choice([0, 1, 2, 7, 59, 60, 600, -1, 99999])
            s = self.rng.choice([0, 5, 30, 59, 75, 99])
            return b" [" + self.number(m) + b":" + self.number(s) + b"]"
        value = self.rng.choice(["12.34", "12.35", "7", ".5", "0.04", "0.05", "-0.05", "3.25",
                                 "59.99", "9999999.99", "1.", "100"])
        return b" [" + self.number(value)[:-len(value)] + value.encode() + b"s]"

    def trailer(self):
        """Text after an event's duration: never a ':' (it would turn [N.Ns] into [M:S])."""
        return self.rng.choice([b"", b"", b" ok", b" #7", b" x-ray", b" \xff\x90"])

    # --- lines that parse --------------------------------------------------------------------
    def event(self, caller=None):
        """A well-formed event text, marker first."""
        caller = caller or self.rng.choice(["named", "numbered", "none"])
        out = self.rng.choice(self.markers)
        if caller == "named":
            first = self.name()
            if self.rng.random() < 0.1:
                first += self.separator + b"B"     # a separator inside the caller's name
            out += first + self.first_intro + self.number(self.identifier())
            out += self.rng.choice([b")", b")", b"]", b"x"]) + self.separator
        elif caller == "numbered":
            out += self.first_prefix + self.number(self.identifier()) + self.separator
        if self.rng.random() < 0.5:
            out += self.name() + self.second_intro + self.number(self.identifier())
            out += self.rng.choice([b")", b")", b"", b"/"])
        else:
            out += self.second_prefix + self.number(self.identifier())
        return out + self.duration() + self.trailer()

    def event_body(self):
        """A well-formed event without a caller and without its marker."""
        return self.event("none")[len(self.markers[0]):]

    def timestamp(self):
        """A leading timestamp in one of the forms that carry one or that look like one."""
        self.hour = (self.hour + self.rng.randint(0, 90)) % 86400
        if self.rng.random() < 0.04:
            self.hour = self.rng.randrange(86400)      # runs backwards about half the time
        h, m, s = self.hour // 3600, self.hour // 60 % 60, self.hour % 60
        r = self.rng.random()
        if r < 0.55:
            return f" {h:2}:{m:02}:{s:02} ".encode()   # one-digit hours after two blanks
        if r < 0.65:
            return f" {h}:{m:02}:{s:02} ".encode()     # a one-digit hour here carries none
        if r < 0.72:
            return f"{h:02}:{m:02}:{s:02} ".encode()   # first column: none
        if r < 0.78:
            return f"\t{h:2}:{m:02} ".encode()
        if r < 0.82:
            return self.rng.choice([b"  ab:cd ", b"   :00 ", b" 99:99:99 ", b"  9:0", b" 10:"])
        return b""

    def good_line(self):
        """One line that never stops the run, without its line end."""
        while True:
            line = self.any_good_line()
            # An event line must not reach the split, which could cut it anywhere.
            plain = line.replace(b"\r", b"")
            if len(plain) <= SPLIT or not any(k in plain for k in self.kind5):
                return line

    def any_good_line(self):
        r = self.rng.random()
        if r < 0.55:
            line = self.timestamp() + self.event()
        elif r < 0.62:
            # The second marker in front of the first: the parser starts at the first.
            line = (self.timestamp() + self.markers[1] + b"x " + self.markers[0]
                    + self.event_body())
        elif r < 0.72:
            line = self.timestamp() + self.keyword_line()
        elif r < 0.78:
            # A malformed event that a keyword of an earlier kind keeps from being parsed.
            bad = self.error_line(self.rng.randint(1, 11))
            keyword = self.rng.choice(self.shadowing)
            line = self.timestamp() + self.rng.choice([bad + b" ", b""]) + keyword + b" " + bad
        elif r < 0.81:
            line = self.timestamp() + self.spaced_filler(self.rng.randint(0, 80)) + self.soup()
        elif r < 0.84:
            # A removal in front of the keywords: they move down with the text after it.
            removed = self.rng.choice([self.soup(), self.rng.choice(self.patterns)])
            line = self.timestamp() + removed + self.rng.choice([self.event(),
                                                                 self.keyword_line()])
        elif r < 0.90:
            line = self.garbage()
        elif r < 0.93:
            line = bytes([self.rng.randint(0x80, 0x9F)]) + self.rng.choice(
                [b"", self.event(), self.keyword_line(), self.timestamp() + b"x", self.soup()])
        elif r < 0.96:
            line = self.with_nul()
        else:
            line = self.rng.choice([b"", b" ", b"\t", b"  9:", b"call ended: x", b"CALL ENDED: y"])
        return self.sprinkle_cr(line)

    def keyword_line(self):
        keyword = self.rng.choice(self.shadowing + self.others)
        return self.spaced_filler(self.rng.randint(0, 30)) + keyword + b" " + self.spaced_filler(
            self.rng.randint(0, 40))

    def garbage(self):
        """Random bytes with neither a line feed nor an event keyword, also once CRs go."""
        while True:
            n = self.rng.choice([0, 1, 5, 40, 200, 1500])
            if self.rng.random() < 0.5:
                raw = bytes(self.rng.randint(0, 255) for _ in range(n))
            else:
                alphabet = b"Call ended Conf: ->()[]#.sextline 0123456789\r\x00\x85\x9f\xff\t"
                raw = bytes(self.rng.choice(alphabet) for _ in range(n))
            raw = raw.replace(b"\n", b"")
            plain = raw.replace(b"\r", b"")
            if not any(k in plain for k in self.kind5):
                return raw

    def with_nul(self):
        """A NUL where it changes nothing the parser needs, or where it hides a bad event."""
        r = self.rng.random()
        if r < 0.3:
            return self.event() + b"\x00" + self.error_line(9)
        if r < 0.6:
            return b"x\x00" + self.error_line(self.rng.randint(1, 11))
        if r < 0.8:
            return b"\x00" + self.event()
        return self.spaced_filler(20) + b"\x00" + self.keyword_line()

    def sprinkle_cr(self, line):
        """CRs anywhere: the reader drops them wherever they stand."""
        if self.rng.random() < 0.85:
            return line
        out = bytearray(line)
        for _ in range(self.rng.randint(1, 3)):
            out.insert(self.rng.randint(0, len(out)), 13)
        return bytes(out)

    # --- the malformed event line of each parse error code ------------------------------------
    def error_line(self, code):
        m = self.rng.choice(self.markers)
        sep, fi, fp = self.separator, self.first_intro, self.first_prefix
        si, sp = self.second_intro, self.second_prefix
        n = self.rng.choice(WORDS).encode()
        forms = {
            1: [m[:-1] + sp + b" 5", m[:-1] + b"\t" + sp + b" 5", b"x " + m[:-1]],
            2: [m + b"lin #5" + sep + sp + b" 6", m + n + sep + sp + b" 6",
                m + b" " + fp + b"5" + sep + sp + b" 6"],
            3: [m + fp + b"x" + sep + sp + b" 6", m + fp + b"99999999999" + sep + sp + b" 6",
                m + fp + b"-" + sep + sp + b" 6"],
            4: [m + n + fi + b" x)" + sep + sp + b" 6",
                m + n + fi + b" 4294967296)" + sep + sp + b" 6",
                m + n + fi + b")" + sep + sp + b" 6"],
            5: [m + fp + b"5 x" + sep + sp + b" 6", m + n + fi + b" 5) x" + sep + sp + b" 6",
                m + fp + b"5" + sep[1:] + sp + b" 6" + sep + b"y"],
            6: [m + n + b" 6 [1:00]", m, m + sp.upper() + b" 6", m + fp + b"5" + sep + n + b" 6"],
            7: [m + sp + b" x", m + sp + b"ension 5", m + sp + b" 99999999999 [1:00]"],
            8: [m + n + si + b" x)", m + fp + b"5" + sep + n + si + b") [1:00]",
                m + n + si + b" 2147483648)"],
            9: [m + sp + b" 5 [x:10]", m + sp + b" 5 [1.5s] at 10:00", m + sp + b" 5 [:30]",
                m + sp + b" 5 [1 :30]"],
            10: [m + sp + b" 5 [1:x]", m + sp + b" 5 [1:30", m + sp + b" 5 [1:30 ]",
                 m + sp + b" 5 [1:]"],
            11: [m + sp + b" 5 [12.3]", m + sp + b" 5 [s]", m + sp + b" 5 [1 30]",
                 m + sp + b" 5 [12.3 s]"],
        }
        return self.rng.choice(forms[code])

    # --- lines at the 1023-character split -----------------------------------------------------
    def long_line(self):
        """1020..1026 characters with CRs at chosen places; every piece is a good line."""
        length = self.rng.randint(1020, 1026)
        r = self.rng.random()
        if r < 0.4:
            head = self.event("none")
            while len(head) > SPLIT - 60:
                head = self.event("none")
            text = head + b" " + self.spaced_filler(length - len(head) - 1)
        elif r < 0.7:
            head = self.timestamp()
            text = head + self.spaced_filler(length - len(head))
        else:
            text = self.filler(length)
        cr_at = self.rng.choice([None, 0, 500, 1021, 1022, 1023, len(text)])
        if cr_at is not None:
            text = text[:cr_at] + b"\r" + text[cr_at:]
        return text

    def straddle_line(self):
        """A keyword, marker, pattern or event cut by the 1023-character split."""
        r = self.rng.random()
        cr = b"\r" if self.rng.random() < 0.3 else b""      # a CR does not count
        if r < 0.5:
            word = self.rng.choice(self.keywords + self.patterns)
            inside = self.rng.randint(0, len(word))
            if word in self.kind5:
                inside = self.rng.randint(0, len(word) - 1)   # a whole keyword alone is error 1
            head = self.spaced_filler(SPLIT - inside - 1) + b" "
            tail = b" " + self.event_body() if word in self.kind5 else self.spaced_filler(30)
            return head[:400] + cr + head[400:] + word + tail
        if r < 0.7:
            # An event in the first piece; its duration or trailing text in the second.
            event = self.markers[0] + self.second_prefix + b" 12345"
            cut = self.rng.randint(len(event) - 3, len(event))
            head = self.spaced_filler(SPLIT - cut - 1) + b" "
            return head + cr + event + b" [1:00]" + self.trailer()
        if r < 0.85:
            # A valid event whose kind-2 keyword, at its end, the split cuts off.
            event = self.markers[1] + self.second_prefix + b" 77 [0:05] "
            keyword = self.shadowing[3]
            pad = SPLIT - len(event) - self.rng.randint(1, len(keyword) - 1)
            return event + self.spaced_filler(pad) + cr + keyword
        # A timestamped line whose cleaning pattern the split cuts.
        stamp = self.timestamp()
        pattern = self.rng.choice(self.patterns)
        cut = self.rng.randint(1, len(pattern) - 1)
        return stamp + self.spaced_filler(SPLIT - len(stamp) - cut) + pattern + b"tail"


class Log:
    """Bytes of one log with the offset of the next byte."""

    def __init__(self):
        self.data = bytearray()

    def line(self, text, end=b"\n"):
        self.data += text + end


def line_end(rng):
    return rng.choice([b"\n"] * 8 + [b"\r\n", b"\r\r\n"])


def mixed_log(lines, size, final_lf=True):
    log = Log()
    rng = lines.rng
    while len(log.data) < size:
        r = rng.random()
        if r < 0.03:
            text = lines.long_line()
        elif r < 0.05:
            text = lines.straddle_line()
        else:
            text = lines.good_line()
        log.line(text, line_end(rng))
    if not final_lf:
        log.line(lines.event(), b"")
    return bytes(log.data)


def boundary_log(lines):
    """At each of several 64 KiB boundaries of the reader, a line whose bytes on either side
    of the refill show in the reports: an event with an identifier of its own, whose name
    holds the boundary."""
    log = Log()
    a, b = lines.markers[0], lines.second_intro

    def event(k, name, duration=b" [0:01]"):
        return a + name + b + b" %d)" % (9000 + k) + duration

    def pad_to(offset, k):
        """Good lines, then an event line that ends right before offset."""
        while offset - len(log.data) > 2200:
            log.line(lines.good_line())
        while offset - len(log.data) > 350:
            log.line(lines.filler(150))
        room = offset - len(log.data) - len(event(k, b"")) - 1
        log.line(event(k, b"Pad" + lines.filler(room - 3)))

    e2, e3 = event(2, b"Bob"), event(3, b"Bob")
    constructs = [
        (0, event(1, b"Next") + b"\n"),                   # LF on the buffer's last byte
        (len(e2) + 1, e2 + b"\r\n"),                      # CR last, LF first of the next
        (len(e3), e3 + b"\r\n"),                          # CR LF first of the next buffer
        (len(a) + 3, event(4, b"Bo\rb") + b"\n"),          # a CR in a name, last byte
        (len(a) + 2, event(5, b"Bo\rb") + b"\n"),          # ... first byte of the next
        (len(a) + 6, event(6, b"Split name") + b"\n"),     # a name cut by the refill
        (len(a) + 6, event(7, b"Ann (VIP)") + b"\n"),      # a cleaning pattern cut
        (len(e2) + 1, event(8, b"Nul") + b"\x00 [9:00]\n"),  # NUL last: no duration
        (0, b"\x85" + event(9, b"High") + b"\n"),         # a high first byte opens a buffer
        (500, event(10, b"Full").ljust(SPLIT, b"x") + b"\n"),            # 1023 characters
        (700, event(11, b"Long") + b" " + lines.filler(2000) + b"\n"),   # a split line
        (5, b" 23:59:59 " + lines.soup() + b"\n  1:00:00 back\n"),       # quoted in a warning
        (0, b"\n\n"),
    ]
    for k, (before, text) in enumerate(constructs, start=1):
        pad_to(k * BUFFER - before, 100 + k)
        log.data += text
    for _ in range(200):
        log.line(lines.good_line())
    return bytes(log.data)


def long_line_log(lines):
    log = Log()
    for _ in range(400):
        log.line(lines.straddle_line() if lines.rng.random() < 0.5 else lines.long_line(),
                 line_end(lines.rng))
        log.line(lines.good_line())
    return bytes(log.data)


def wide_log(lines):
    """Events over the whole identifier range, so the reports list thousands of rows."""
    lines.ids = list(range(1, 65536))
    log = Log()
    for _ in range(20000):
        log.line(lines.event())
    return bytes(log.data)


def churn_log(lines):
    """A new long name on every event, until the names fill more than one arena region."""
    log = Log()
    interned = 0
    while interned < ARENA + 200_000:
        lines.counter += 1
        first, second = (b"%d " % lines.counter + lines.spaced_filler(lines.rng.randint(300, 470))
                         .strip() for _ in range(2))
        first_id, second_id = lines.rng.randint(1, 200), lines.rng.randint(1, 200)
        log.line(lines.markers[0] + first + lines.first_intro + b" %d)" % first_id
                 + lines.separator + second + lines.second_intro + b" %d) [0:30]" % second_id)
        interned += len(first) + len(second) + 2
    return bytes(log.data)


def error_log(lines, code, size):
    """Good lines with one malformed event line at a random place (the split included)."""
    rng = lines.rng
    body = mixed_log(lines, size)
    where = rng.randrange(0, len(body))
    where = body.rfind(b"\n", 0, where) + 1
    bad = lines.error_line(code)
    if rng.random() < 0.3:
        bad = lines.soup() + b" " + bad          # the message quotes the uncleaned line
    if rng.random() < 0.25 and code in (1, 6):
        # The marker's keyword (code 1) or the whole marker (code 6) ends the first piece.
        marker = rng.choice(lines.markers)
        keep = len(marker) - 1 if code == 1 else len(marker)
        bad = lines.spaced_filler(SPLIT - keep - 1) + b" " + marker[:keep] + b"ext 5"
    return body[:where] + lines.sprinkle_cr(bad) + b"\n" + body[where:]


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    lit = read_literals(sys.argv[1])
    out_dir = sys.argv[2]
    seed = int(sys.argv[3]) if len(sys.argv) == 4 else 1
    rng = random.Random(seed)
    os.makedirs(out_dir, exist_ok=True)
    logs = []

    def fresh(changing=True, ids=400):
        lines = Lines(rng, lit)
        lines.changing = changing
        lines.ids = rng.sample(range(1, 65536), ids)
        return lines

    logs.append(("empty", b"", 0))
    logs.append(("line-ends-only", b"\n\r\n\n\r\r", 0))
    logs.append(("one-event-no-lf", fresh().event(), 0))
    for i in range(12):
        lines = fresh(changing=i % 3 != 0, ids=rng.choice([3, 40, 400]))
        data = mixed_log(lines, rng.randint(40_000, 200_000), final_lf=i % 2 == 0)
        logs.append((f"mixed-{i:02}", data, 0))
    logs.append(("boundaries", boundary_log(fresh()), 0))
    logs.append(("long-lines", long_line_log(fresh()), 0))
    logs.append(("wide-ids", wide_log(fresh()), 0))
    logs.append(("churn", churn_log(fresh()), 0))
    for code in range(1, 12):
        logs.append((f"error-{code:02}", error_log(fresh(), code, rng.randint(2_000, 60_000)), 1))
    for code in (1, 6):
        lines = fresh()
        data = lines.straddle_line() + b"\n" + error_log(lines, code, 3_000)
        logs.append((f"error-{code:02}-split", data, 1))

    with open(os.path.join(out_dir, "manifest"), "w") as manifest:
        for name, data, exit_code in logs:
            with open(os.path.join(out_dir, name + ".log"), "wb") as f:
                f.write(data)
            manifest.write(f"{name} {exit_code}\n")


if __name__ == "__main__":
    main()
