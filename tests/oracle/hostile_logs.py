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
every ordered pair of keywords and patterns on one line (a later kind's keyword before an
event's marker among them), a ':' in a remark before an [N.Ns] duration, fractions of up to
20 digits and numbers of 80 digits, garbage and random bytes, CR anywhere, NUL bytes, lines of
1020..1026 characters, keywords, markers and patterns straddling the 1023-character split,
constructs at the reader's 64 KiB boundaries, high bytes 0x80..0x9F as a line's first byte,
timestamps that run backwards, one-digit hours, equal timestamps that end in a blank, a tab or
the line's end, lines without a final LF, and a log whose names outgrow their room across
thousands of identifiers until the name arena has compacted three times.
"""
import os
import random
import re
import sys

SPLIT = 1023          # characters of a line piece; the rest of a longer line comes next
BUFFER = 65536        # bytes of one read request
ARENA = 0xA00000      # bytes of the name arena's first region

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
        self.every_keyword = self.keywords + self.patterns
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
            m = self.rng.choice([0, 1, 2, 7, 59, 60, 600, -1, 99999, 12345678, 123456789])
            s = self.rng.choice([0, 5, 30, 59, 75, 99])
            return b" [" + self.number(m) + b":" + self.number(s) + b"]"
        if r < 0.75:
            value = self.seconds()
        else:
            value = self.rng.choice(["12.34", "12.35", "7", ".5", "0.04", "0.05", "-0.05", "3.25",
                                     "59.99", "9999999.99", "1.", "100"])
        return b" [" + self.number(value)[:-len(value)] + value.encode() + b"s]"

    def digits(self, n):
        return "".join(self.rng.choices("0123456789", k=n))

    def seconds(self):
        """Seconds for [N.Ns] with digit runs on either side of the eight-byte words a reader
        may take them in: up to nine whole digits and fractions of up to 20, or 80 digits with
        leading zeros. The tenths always fit 32 bits."""
        if self.rng.random() < 0.05:
            # 80 digits, the most a number may have.
            return "0" * 60 + self.digits(1) + "." + self.digits(19)
        whole_digits = self.rng.choice([0, 1, 2, 7, 8, 9])
        if whole_digits == 9:
            whole = str(self.rng.randrange(214748364)).zfill(9)
        else:
            whole = self.digits(whole_digits)
        fraction = self.digits(self.rng.choice([0, 1, 2, 7, 8, 9, 15, 16, 17, 20]))
        if not whole and not fraction:
            whole = self.digits(1)
        point = "." if fraction or self.rng.random() < 0.3 else ""
        sign = "-" if self.rng.random() < 0.1 else ""
        return sign + whole + point + fraction

    def remark(self):
        """Text between the called party and the duration. A ':' here stands before the
        bracket, so an [N.Ns] duration stays one; the bracket never opens in it."""
        return self.rng.choice([b"", b"", b"", b"", b" note: late", b" re:", b":", b" 1:2:3 x"])

    def trailer(self):
        """Text after an event's duration: never a ':' (it would turn [N.Ns] into [M:S])."""
        return self.rng.choice([b"", b"", b" ok", b" #7", b" x-ray", b" \xff\x90"])

    # --- lines that parse --------------------------------------------------------------------
    def event(self, caller=None, marker=None):
        """A well-formed event text, marker first."""
        caller = caller or self.rng.choice(["named", "numbered", "none"])
        out = marker or self.rng.choice(self.markers)
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
        return out + self.remark() + self.duration() + self.trailer()

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
        if r < 0.04:
            pair = self.rng.choices(self.every_keyword, k=2)
            line = self.timestamp() + self.pair_line(*pair)
        elif r < 0.55:
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

    # --- keywords and patterns in pairs ------------------------------------------------------
    def gap(self):
        """What stands between two keywords: nothing, blanks or words that hold no keyword."""
        return self.rng.choice([b"", b" ", b"; ", b" retried; ", b"\t", b" x "])

    def marker_of(self, keyword):
        return self.markers[self.kind5.index(keyword)]

    def event_holding(self, marker, inner):
        """A well-formed event after marker with inner (keywords, never an intro or a
        separator) in the caller's name, the called party's name or after the duration."""
        where = self.rng.choice(["caller", "called", "after"])
        named = (self.rng.choice(WORDS).encode() + b" " + inner + b" "
                 + self.rng.choice(WORDS).encode())
        called = self.second_prefix + self.number(self.identifier())
        if where == "caller":
            return (marker + named + self.first_intro + self.number(self.identifier()) + b")"
                    + self.separator + called + self.duration())
        if where == "called":
            return (marker + named + self.second_intro + self.number(self.identifier()) + b")"
                    + self.remark() + self.duration() + self.trailer())
        duration = self.duration()
        if b":" in inner and duration.endswith(b"s]"):
            duration = b" [2:05]"      # a ':' after the bracket makes it [M:S]
        return marker + called + duration + b" " + inner

    def pair_line(self, x, y):
        """A line that holds keyword or pattern x, then y, and stops no run: an event line is
        well-formed unless a keyword of the four kinds tried before events keeps the parser
        from it, and then its event may be malformed too."""
        events = [k for k in (x, y) if k in self.kind5]
        shadowed = x in self.shadowing or y in self.shadowing
        pair = x + self.gap() + y
        if shadowed or not events:
            r = self.rng.random()
            event = self.event()
            if shadowed and r < 0.5:
                event = self.error_line(self.rng.randint(1, 11))
            if shadowed and r < 0.3:
                return event + b" " + pair
            if r < 0.6:
                # A later kind's keyword before the marker: the line is still an event.
                return self.spaced_filler(self.rng.randint(0, 12)) + pair + b" " + event
            return self.spaced_filler(self.rng.randint(0, 12)) + pair + self.spaced_filler(9)
        if x not in self.kind5:
            # "Call setup retried; Call ended: ...": the marker comes after the other keyword.
            return x + self.gap() + self.event(marker=self.marker_of(y))
        r = self.rng.random()
        if y in self.kind5 and r < 0.4:
            # x not followed by a blank is no marker: the parser reaches the one y starts.
            return x + self.rng.choice([b"x", b"-", b":"]) + self.gap() + self.event(
                marker=self.marker_of(y))
        if y == self.kind5[0] and x == self.kind5[1]:
            if r < 0.7:
                # A marker of the first form wins wherever it stands.
                return self.marker_of(x) + self.spaced_filler(5) + b" " + self.event(
                    marker=self.marker_of(y))
            y += b"x"                  # no marker of the first form: the parser takes x's
        return self.event_holding(self.marker_of(x), y)

    def equal_stamps(self):
        """Two to five lines whose timestamps are equal, written so that they differ only in
        what ends the word: a blank, a tab, another blank or the line's end; a one-digit hour
        is also written with its zero. A word end taken wrongly makes equals sort apart."""
        h = self.rng.randrange(10) if self.rng.random() < 0.7 else self.rng.randrange(24)
        m, s = self.rng.randrange(60), self.rng.randrange(60)
        self.hour = h * 3600 + m * 60 + s
        tail = self.rng.choice(["", "", ".5", ".250"])   # a word of more than eight characters
        forms = [f" {h:2}:{m:02}:{s:02}{tail}".encode()]
        if h < 10:
            forms.append(f" 0{h}:{m:02}:{s:02}{tail}".encode())
        out = []
        for _ in range(self.rng.randint(2, 5)):
            end = self.rng.choice([b"", b"", b"\t", b"\t", b" ", b"\t ", b"\x0b", b"\x0c"])
            text = self.rng.choice([b"", b"x", self.keyword_line(), self.event()]) if end else b""
            out.append(self.rng.choice(forms) + end + text)
        return out

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
            # A ':' after the bracket, even past its end, makes [N.Ns] be read as [M:S].
            9: [m + sp + b" 5 [x:10]", m + sp + b" 5 [1.5s] at 10:00", m + sp + b" 5 [:30]",
                m + sp + b" 5 [1 :30]", m + sp + b" 5 note: x [12.123456789s] re: y"],
            10: [m + sp + b" 5 [1:x]", m + sp + b" 5 [1:30", m + sp + b" 5 [1:30 ]",
                 m + sp + b" 5 [1:]", m + sp + b" 5 [1:2.5s]"],
            # 81 digits, and tenths past 32 bits by a digit or by rounding.
            11: [m + sp + b" 5 [12.3]", m + sp + b" 5 [s]", m + sp + b" 5 [1 30]",
                 m + sp + b" 5 [12.3 s]", m + sp + b" 5 [" + b"0" * 61 + b"1." + b"2" * 19 + b"s]",
                 m + sp + b" 5 [214748364.75s]", m + sp + b" 5 [214748364.8s]",
                 m + sp + b" 5 [-214748364.85s]", m + sp + b" 5 [1.123456789 s]"],
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
        if r < 0.02:
            for text in lines.equal_stamps():
                log.line(text, line_end(rng))
            continue
        if r < 0.05:
            text = lines.long_line()
        elif r < 0.07:
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


def pairs_log(lines):
    """Every ordered pair of keywords and patterns on one line, a keyword with itself too, in
    several placements each, between good lines."""
    log = Log()
    for x in lines.every_keyword:
        for y in lines.every_keyword:
            for _ in range(4):
                log.line(lines.timestamp() + lines.pair_line(x, y), line_end(lines.rng))
                log.line(lines.good_line())
    return bytes(log.data)


def stamps_log(lines):
    """Runs of equal timestamps, one after another."""
    log = Log()
    for _ in range(400):
        for text in lines.equal_stamps():
            log.line(lines.sprinkle_cr(text), line_end(lines.rng))
    return bytes(log.data)


def tenths_of(seconds):
    """What [N.Ns] holds: tenths, rounded half away from zero on the second fraction digit."""
    negative = seconds.startswith("-")
    whole, _, fraction = seconds.lstrip("-").partition(".")
    fraction += "00"
    tenths = int(whole or "0") * 10 + int(fraction[0]) + (fraction[1] >= "5")
    return -tenths if negative else tenths


def fractions_log(lines):
    """[N.Ns] durations of every length the readers treat apart, each on two identifiers of its
    own whose second event brings the total to an edge where the reports' minutes change: one
    at the edge (a tenth less shows) and one a tenth below it (a tenth more shows)."""
    log = Log()
    rng = lines.rng
    ids = rng.sample(range(1, 65536), 1600)
    for k in range(0, len(ids), 2):
        seconds = lines.seconds()
        tenths = tenths_of(seconds)
        for edge, identifier in ((30, ids[k]), (29, ids[k + 1])):
            log.line(rng.choice(lines.markers) + b"ext %d [%ss]" % (identifier, seconds.encode()))
            rest = (edge - tenths) % 60
            if tenths + rest < 60 + edge:
                rest += 60 * ((60 + edge - tenths - rest + 59) // 60)
            if rest < 2 ** 31:
                log.line(lines.markers[0] + b"ext %d [%d.%ds]" % (identifier, rest // 10,
                                                                   rest % 10))
    return bytes(log.data)


class ArenaModel:
    """How logtally's name arena spends its bytes (analysis/tally.cpp), so that the compaction
    log knows when the arena has compacted: each name takes a 4-byte head and a power-of-two
    room of at least 16 bytes for its text and NUL; a name that fits its entry's room replaces
    it there; when a region (ARENA bytes at first) has no room for a new cell, the cells in use
    move to a new region of twice their bytes and the new cell's, 64 KiB at least."""

    def __init__(self):
        self.rooms = {}        # (table, identifier) -> the room of its name's cell
        self.live = 0          # bytes of the cells in use
        self.region = ARENA
        self.used = 0
        self.compactions = 0

    def offer(self, table, identifier, length):
        old = self.rooms.get((table, identifier), 0)
        if length == 0 or old >= length + 1:
            return
        room = 16
        while room < length + 1:
            room *= 2
        size = 4 + room
        if self.region - self.used < size:
            self.region = max(2 * (self.live + size), 65536)
            self.used = self.live
            self.compactions += 1
        self.used += size
        self.live += size - (4 + old if old else 0)
        self.rooms[(table, identifier)] = room


def compaction_log(lines, compactions=3):
    """Names that change on every event and outgrow their room, on thousands of identifiers of
    both roles, until the name arena has compacted the given number of times. After each
    compaction some identifiers named before it take short names in their room; the others
    keep theirs to the reports, and at the end half of all take short names."""
    rng = lines.rng
    arena = ArenaModel()
    log = Log()
    pool = lines.filler(1 << 16)
    callers = rng.sample(range(1, 65536), 65535)
    called = rng.sample(range(1, 65536), 65535)
    named = []

    def name(length):
        lines.counter += 1
        head = b"%d." % lines.counter
        start = rng.randrange(len(pool) - length)
        return head + pool[start:start + length - len(head)]

    def event(caller, caller_length, callee, callee_length):
        first, second = name(caller_length), name(callee_length)
        arena.offer(0, caller, len(first))
        arena.offer(1, callee, len(second))
        log.line(lines.markers[0] + first + lines.first_intro + b" %d)" % caller
                 + lines.separator + second + lines.second_intro + b" %d) [0:30]" % callee)

    def rename_short(pairs):
        for caller, callee in pairs:
            event(caller, rng.randint(3, 15), callee, rng.randint(3, 15))

    seen = 0
    while arena.compactions < compactions:
        # Eight pairs at a time, so that their cells interleave in the arena. Rooms of 32 up
        # to 1024 bytes; the two names of a line stay within its 1023 characters.
        batch = [(callers[len(named) + i], called[len(named) + i]) for i in range(8)]
        for step in range(5):
            for caller, callee in batch:
                event(caller, 16 << step, callee, 16 << step)
        for caller, callee in batch:
            event(caller, 512, callee, 7)
            event(caller, 9, callee, 512)
        named += batch
        if arena.compactions > seen:
            seen = arena.compactions
            rename_short(rng.sample(named, 300))
    rename_short(rng.sample(named, len(named) // 2))
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
    logs.append(("keyword-pairs", pairs_log(fresh()), 0))
    logs.append(("equal-stamps", stamps_log(fresh()), 0))
    logs.append(("fractions", fractions_log(fresh()), 0))
    logs.append(("compaction", compaction_log(fresh()), 0))
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
