// Reads the log line by line: cleaning, the timestamp-order check and classification.
#include "analysis/scan.h"

#include "analysis/event.h"
#include "literals.h"
#include "platform/files.h"
#include "platform/output.h"
#include "text/bytes.h"
#include "text/text.h"

namespace {

// Longest part of a line the time warning quotes: two of them and the warning's own text
// stay inside the 2047 characters a console message may have.
constexpr int32_t kQuotedLineMax = 1000;

// Every text one pass over a line looks for: the two cleaning patterns, then the kind
// keywords in the order they are tried. The first keyword found in this order decides the
// kind, so an event line that also carries one of the four before it is not parsed.
struct Keyword {
    const char* text;
    int32_t length;
    LineKind kind;  // kNoKeywordLine for a cleaning pattern
};

enum : int32_t { kPatternA, kPatternB, kFirstKind, kCallEnded = 6, kConfEnded = 7 };

const Keyword kKeywords[] = {
    {kCleanPatternA, kCleanPatternALength, kNoKeywordLine},
    {kCleanPatternB, kCleanPatternBLength, kNoKeywordLine},
    {kKind1Keyword, kKind1KeywordLength, kClockAdjustedLine},
    {kKind4Keyword, kKind4KeywordLength, kConferenceBridgeLine},
    {kKind3Keyword, kKind3KeywordLength, kVoiceMailLine},
    {kKind2Keyword, kKind2KeywordLength, kNotCountedLine},
    {kKind5KeywordA, kKind5KeywordALength, kEventLine},
    {kKind5KeywordB, kKind5KeywordBLength, kEventLine},
    {kKind8Keyword, kKind8KeywordLength, kCallSetupLine},
    {kKind7Keyword, kKind7KeywordLength, kAlarmLine},
    {kKind9Keyword, kKind9KeywordLength, kOperatorLoginLine},
};
constexpr int32_t kKeywordCount = sizeof kKeywords / sizeof kKeywords[0];

// Every keyword is compared by its first four bytes before the rest.
constexpr int32_t kHeadSize = 4;
static_assert(kCleanPatternALength > kHeadSize && kCleanPatternBLength > kHeadSize &&
                  kKind7KeywordLength > kHeadSize,
              "the shortest keywords outlast their head");

// The keywords in a form for the one pass over a line: the line is scanned for the keywords'
// first bytes alone, and at each such byte the four bytes there are looked up in a small
// table of the keywords' first four bytes; only a keyword whose head is there is compared in
// full. The table is hashed with a multiplier under which no two heads share a slot.
constexpr int32_t kSlotBits = 5;
struct HeadSlot {
    uint32_t head;
    uint32_t keywords;  // bit k for every keyword k with this head; 0 for an empty slot
};
// Where removing a pattern can form a keyword. Of the cleaned text around a removal, only the
// pattern's kept last character stands next to text it did not stand next to before, so a
// keyword formed across the removal holds that character at some index past its first and
// starts that many characters before it. Each pair is such a keyword and index.
constexpr int32_t kMostJoins = 16;
struct PatternJoins {
    struct {
        int32_t keyword;
        int32_t index;
    } join[kMostJoins];
    int32_t count;  // -1 when there are more than kMostJoins: the general way cleans the line
};
struct KeywordIndex {
    ByteSet first_bytes;
    int32_t first_byte_count;
    uint32_t multiplier;  // 0 when none was found: every keyword is then compared
    HeadSlot slots[1 << kSlotBits];
    PatternJoins joins[2];  // for pattern A and pattern B
    bool hints_hold;  // each event marker starts with its keyword, so the keyword leads to it
    bool no_line_feed;  // no keyword holds an LF, so none matches across a line's end
    bool ready;
};
KeywordIndex keyword_index;

// Which keywords a line holds (bit k for keyword k) and where each first stands; a position
// is meaningful only where its bit is set.
struct Findings {
    uint32_t present;
    const char* at[kKeywordCount];
};

constexpr uint32_t kPatternBits = 1u << kPatternA | 1u << kPatternB;

uint32_t head_of(const char* text) {
    uint32_t head;
    __builtin_memcpy(&head, text, kHeadSize);
    return head;
}

uint32_t slot_of(uint32_t head, uint32_t multiplier) {
    return (head * multiplier) >> (32 - kSlotBits);
}

// The distinct first bytes of the keywords; returns how many there are.
int32_t first_bytes_of_keywords(char* firsts) {
    int32_t count = 0;
    for (const Keyword& k : kKeywords) {
        int32_t i = 0;
        while (i < count && firsts[i] != k.text[0]) ++i;
        if (i == count) firsts[count++] = k.text[0];
    }
    return count;
}

// Fills the slots under multiplier; false when two different heads meet in one slot.
bool place_heads(KeywordIndex* index, uint32_t multiplier) {
    for (HeadSlot& slot : index->slots) slot = HeadSlot{0, 0};
    for (int32_t k = 0; k < kKeywordCount; ++k) {
        uint32_t head = head_of(kKeywords[k].text);
        HeadSlot& slot = index->slots[slot_of(head, multiplier)];
        if (slot.keywords && slot.head != head) return false;
        slot.head = head;
        slot.keywords |= 1u << k;
    }
    return true;
}

// The first odd multiplier from a fixed sequence that separates the heads, or 0.
uint32_t find_multiplier(KeywordIndex* index) {
    uint32_t multiplier = 0x9E3779B1u;
    for (int32_t attempt = 0; attempt < 4096; ++attempt, multiplier += 0x6A09E668u)
        if (place_heads(index, multiplier | 1)) return multiplier | 1;
    return 0;
}

// Every keyword and index past the first at which it holds the last character of pattern.
PatternJoins joins_of(const Keyword& pattern) {
    PatternJoins joins{};
    char last = pattern.text[pattern.length - 1];
    for (int32_t k = 0; k < kKeywordCount; ++k)
        for (int32_t j = 1; j < kKeywords[k].length; ++j) {
            if (kKeywords[k].text[j] != last) continue;
            if (joins.count == kMostJoins) return PatternJoins{{}, -1};
            joins.join[joins.count++] = {k, j};
        }
    return joins;
}

// Decodes the keywords and indexes them; once per process.
const KeywordIndex& prepare_keywords() {
    KeywordIndex& index = keyword_index;
    if (index.ready) return index;
    for (const Keyword& k : kKeywords) decode_literal(k.text);
    index.multiplier = find_multiplier(&index);
    char firsts[kKeywordCount];
    index.first_byte_count = first_bytes_of_keywords(firsts);
    if (index.first_byte_count <= 8) index.first_bytes = byte_set(firsts, index.first_byte_count);
    // text_compare_n decodes its second text only: the markers are decoded here.
    index.hints_hold =
        text_compare_n(decode_literal(kEventMarkerA), kKind5KeywordA, kKind5KeywordALength) == 0 &&
        text_compare_n(decode_literal(kEventMarkerB), kKind5KeywordB, kKind5KeywordBLength) == 0;
    index.joins[kPatternA] = joins_of(kKeywords[kPatternA]);
    index.joins[kPatternB] = joins_of(kKeywords[kPatternB]);
    index.no_line_feed = true;
    for (const Keyword& k : kKeywords)
        if (find_byte(k.text, k.length, '\n')) index.no_line_feed = false;
    index.ready = true;
    return index;
}

// Bit k set when the four bytes at p may be the head of keyword k.
uint32_t matching_heads(const KeywordIndex& index, const char* p) {
    if (!index.multiplier) return (1u << kKeywordCount) - 1;
    uint32_t head = head_of(p);
    const HeadSlot& slot = index.slots[slot_of(head, index.multiplier)];
    return slot.head == head ? slot.keywords : 0;
}

// Records at p every keyword that starts there, unless found before.
[[gnu::always_inline]] inline void match_keywords(const KeywordIndex& index, const char* p,
                                                  const char* end, Findings* found) {
    for (uint32_t bits = matching_heads(index, p); bits; bits &= bits - 1) {
        int32_t k = __builtin_ctz(bits);
        const Keyword& keyword = kKeywords[k];
        if ((found->present >> k & 1) || end - p < keyword.length) continue;
        if (!same_bytes(p, keyword.text, keyword.length)) continue;
        found->present |= 1u << k;
        found->at[k] = p;
    }
}

template <int32_t Lanes>
void scan_for_keywords(const KeywordIndex& index, const char* line, int32_t length,
                       Findings* found) {
    const char* end = line + length;
    for_each_in_set<Lanes>(line, length, index.first_bytes, [&](const char* p) {
        match_keywords(index, p, end, found);
        return true;
    });
}

// Past eight distinct first bytes every position is a candidate.
void scan_every_position(const KeywordIndex& index, const char* line, int32_t length,
                         Findings* found) {
    for (int32_t i = 0; i < length; ++i) match_keywords(index, line + i, line + length, found);
}

typedef void (*KeywordScan)(const KeywordIndex&, const char*, int32_t, Findings*);
// By the number of distinct first bytes, so that a block costs just the compares it needs.
const KeywordScan kKeywordScans[] = {
    scan_for_keywords<1>, scan_for_keywords<2>, scan_for_keywords<3>, scan_for_keywords<4>,
    scan_for_keywords<5>, scan_for_keywords<6>, scan_for_keywords<7>, scan_for_keywords<8>,
};

// Finds the first position of every keyword in one pass over the line. The line's storage
// reaches kSearchSlack bytes past its end, so a head is read whole even at the end.
void find_keywords(const char* line, int32_t length, Findings* found) {
    const KeywordIndex& index = prepare_keywords();
    found->present = 0;
    if (index.first_byte_count > 8)
        scan_every_position(index, line, length, found);
    else
        kKeywordScans[index.first_byte_count - 1](index, line, length, found);
}

// Bit k set when byte k of the sixteen at p is a line stop. The 32-bit build has only eight
// vector registers, too few for the stops and eight first bytes at once: there one compare
// against the largest stop rules out every stop in most blocks, which hold no control
// character, and frees two registers. Measured, that pays under Wine and not natively.
[[gnu::always_inline]] inline uint32_t stop_bits(const char* p, const ByteSet& line_stops) {
    if (sizeof(void*) == 4 && !at_most_bits(p, kLargestLineStop)) return 0;
    return block_matches<3>(p, line_stops);
}

// Finds the end of the line that starts the pending bytes (reach of them, storage after) and,
// in the same pass, its keywords. Returns the line's length when an LF ends it within reach
// with no CR or NUL before, else -1 and the line goes the general way. A keyword compared
// beyond the line's end meets its LF, which no keyword holds, so it cannot match there.
template <int32_t Lanes>
int32_t scan_pending_line(const KeywordIndex& index, const char* start, int32_t reach,
                          Findings* found) {
    const char* end = start + reach;
    const ByteSet& line_stops = line_stop_set();
    found->present = 0;
    for (int32_t i = 0; i < reach; i += 16) {
        uint32_t stops = stop_bits(start + i, line_stops);
        uint32_t firsts = block_matches<Lanes>(start + i, index.first_bytes);
        if (stops) firsts &= (1u << __builtin_ctz(stops)) - 1;
        for (; firsts; firsts &= firsts - 1)
            match_keywords(index, start + i + __builtin_ctz(firsts), end, found);
        if (stops) {
            int32_t at = i + __builtin_ctz(stops);
            return at < reach && start[at] == '\n' ? at : -1;
        }
    }
    return -1;
}

// Past eight distinct first bytes, or with a keyword that holds an LF, every line goes the
// general way.
int32_t scan_no_pending_line(const KeywordIndex&, const char*, int32_t, Findings*) {
    return -1;
}

typedef int32_t (*PendingScan)(const KeywordIndex&, const char*, int32_t, Findings*);
const PendingScan kPendingScans[] = {
    scan_pending_line<1>, scan_pending_line<2>, scan_pending_line<3>, scan_pending_line<4>,
    scan_pending_line<5>, scan_pending_line<6>, scan_pending_line<7>, scan_pending_line<8>,
};

PendingScan pending_scan_for(const KeywordIndex& index) {
    if (index.first_byte_count > 8 || !index.no_line_feed) return scan_no_pending_line;
    return kPendingScans[index.first_byte_count - 1];
}

// The kind of the first keyword present in the order they are tried.
LineKind kind_of(const Findings& found) {
    uint32_t kinds = found.present >> kFirstKind;
    return kinds ? kKeywords[kFirstKind + __builtin_ctz(kinds)].kind : kNoKeywordLine;
}

const char* position_of(const Findings& found, int32_t keyword) {
    return (found.present >> keyword & 1) ? found.at[keyword] : nullptr;
}

// Removes all but the last character of every occurrence of pattern (length characters
// long) from line (line_length characters) until none is left; returns the new length. A
// removal at p can only form a new occurrence that starts at most length - 1 characters
// before p, so the search resumes there instead of at the line start. The search starts at
// from: no occurrence starts before it. *changed gets the first position where the line
// changed, if that is before the one it holds.
int32_t remove_pattern(char* line, int32_t line_length, const char* pattern, int32_t length,
                       int32_t from, int32_t* changed) {
    decode_literal(pattern);
    while (const char* p = find_bytes(line + from, line_length - from, pattern, length)) {
        int32_t at = static_cast<int32_t>(p - line);
        if (at < *changed) *changed = at;
        line_length -= length - 1;
        // The line's storage has room for whole blocks past its NUL.
        copy_blocks(line + at, line + at + length - 1, line_length - at + 1);
        from = at >= length - 1 ? at - (length - 1) : 0;
    }
    return line_length;
}

int32_t offset_in(const char* line, const char* at) {
    return at ? static_cast<int32_t>(at - line) : -1;
}

// Where each cleaning pattern first stands in a raw line, as an offset, or -1.
struct PatternStarts {
    int32_t a, b;
};

// The cleaned copy of raw (length characters, line storage) in spare, and its length. The
// removals of pattern A leave the text before the first of them as it was, so a pattern B
// that they form starts at most kCleanPatternBLength - 1 characters before it; a pattern
// absent from raw and formed by no removal is not searched for.
const char* cleaned_copy(const char* raw, int32_t length, PatternStarts starts, char* spare,
                         int32_t* clean_length) {
    copy_blocks(spare, raw, length + 1);
    int32_t from_b = starts.b;
    int32_t changed = length;
    if (starts.a >= 0) {
        length = remove_pattern(spare, length, kCleanPatternA, kCleanPatternALength, starts.a,
                                &changed);
        int32_t formed = changed - (kCleanPatternBLength - 1);
        if (formed < 0) formed = 0;
        if (from_b < 0 || from_b > formed) from_b = formed;
    }
    if (from_b >= 0)
        length = remove_pattern(spare, length, kCleanPatternB, kCleanPatternBLength, from_b,
                                &changed);
    *clean_length = length;
    return spare;
}

// One occurrence of a pattern taken out of a raw line: the cleaned text is the raw text
// before it, then the raw text from its last character on.
struct Removal {
    const char* raw;
    int32_t at;            // where the occurrence starts, and where its last character moves
    int32_t gap;           // characters taken out: the pattern's length less one
    int32_t clean_length;  // the cleaned text's length
};

// Whether keyword stands at offset s of the cleaned text, s before the removal and the
// keyword reaching past it.
bool formed_at(const Removal& removal, int32_t s, const Keyword& keyword) {
    if (s < 0 || s + keyword.length > removal.clean_length) return false;
    if (removal.raw[s] != keyword.text[0]) return false;
    int32_t before = removal.at - s;
    return same_bytes(removal.raw + s, keyword.text, before) &&
           same_bytes(removal.raw + removal.at + removal.gap, keyword.text + before,
                      keyword.length - before);
}

// Moves the keywords found in raw to where they stand in the cleaned copy at spare; false
// when one of them loses characters to the removal, as its next place is then unknown.
bool move_findings(const Removal& removal, const char* spare, Findings* found) {
    for (uint32_t bits = found->present; bits; bits &= bits - 1) {
        int32_t k = __builtin_ctz(bits);
        int32_t q = offset_in(removal.raw, found->at[k]);
        if (q + kKeywords[k].length <= removal.at)
            found->at[k] = spare + q;
        else if (q >= removal.at + removal.gap)
            found->at[k] = spare + q - removal.gap;
        else
            return false;
    }
    return true;
}

// Adds the keywords the removal forms, where they come before any found; false when it forms
// a pattern, which the general way must then take out too.
bool add_formed(const Removal& removal, const PatternJoins& joins, const char* spare,
                Findings* found) {
    for (int32_t i = 0; i < joins.count; ++i) {
        int32_t k = joins.join[i].keyword;
        int32_t s = removal.at - joins.join[i].index;
        if (!formed_at(removal, s, kKeywords[k])) continue;
        if (k == kPatternA || k == kPatternB) return false;
        if ((found->present >> k & 1) && found->at[k] < spare + s) continue;
        found->present |= 1u << k;
        found->at[k] = spare + s;
    }
    return true;
}

// The cleaned copy of a raw line that holds one occurrence of one pattern, whose removal
// forms no pattern: the text before and after it go to spare straight from raw, and the
// keywords found in raw move with their text instead of being searched for again. False for
// any other line, found then being of no more use: the general way cleans it and searches.
bool clean_one_removal(const LineView& raw, Findings* found, char* spare,
                       int32_t* clean_length) {
    uint32_t patterns = found->present & kPatternBits;
    if (patterns != 1u << kPatternA && patterns != 1u << kPatternB) return false;
    int32_t p = patterns == 1u << kPatternA ? kPatternA : kPatternB;
    const Keyword& pattern = kKeywords[p];
    const PatternJoins& joins = keyword_index.joins[p];
    int32_t at = offset_in(raw.text, found->at[p]);
    if (joins.count < 0 ||
        find_bytes(raw.text + at + 1, raw.length - at - 1, pattern.text, pattern.length))
        return false;
    Removal removal{raw.text, at, pattern.length - 1, raw.length - (pattern.length - 1)};
    found->present &= ~patterns;
    if (!move_findings(removal, spare, found) || !add_formed(removal, joins, spare, found))
        return false;
    copy_blocks(spare, raw.text, at);
    copy_blocks(spare + at, raw.text + at + removal.gap, raw.length - at - removal.gap + 1);
    *clean_length = removal.clean_length;
    return true;
}

// A timestamp stands at the line start: at least five characters with a ':' at index 3.
bool carries_timestamp(const char* line, int32_t length) {
    return length >= 5 && line[3] == ':';
}

// A timestamp word as it compares: the word, with a '0' in front when padded.
struct Stamp {
    const char* word;
    int32_t length;
    bool padded;

    int32_t size() const { return length + padded; }
    uint8_t at(int32_t i) const {
        return static_cast<uint8_t>(padded ? (i == 0 ? '0' : word[i - 1]) : word[i]);
    }
};

int32_t sign_of(int32_t a, int32_t b) { return a == b ? 0 : (a < b ? -1 : 1); }

// A word of at most eight characters as a number that sorts as the word does: its bytes
// from the most significant down, zeros after its end, so that a proper prefix comes first.
uint64_t short_stamp_key(const Stamp& stamp) {
    uint64_t bytes;
    __builtin_memcpy(&bytes, stamp.word, sizeof bytes);
    if (stamp.length < 8) bytes &= (uint64_t{1} << (8 * stamp.length)) - 1;
    return __builtin_bswap64(bytes);
}

// Where the timestamp word of line (length characters, at least five, ':' at index 3) starts
// and ends. Index 3 is not blank, so the word starts within the first four characters.
const char* stamp_word(const char* line, int32_t length, const char** word_end) {
    uint32_t ends = blank_bits(line);
    if (length < 16) ends |= ~in_range_bits(length);
    int32_t start = __builtin_ctz(~ends);
    uint32_t after = ends & (~0u << start) & 0xFFFFu;
    if (after) {
        *word_end = line + __builtin_ctz(after);
        return line + start;
    }
    *word_end = find_blank(line + 16, length - 16);
    if (!*word_end) *word_end = line + length;
    return line + start;
}

// -1, 0 or 1 as stamp a sorts before, with or after b, bytes unsigned, a proper prefix first.
// Both words lie in line storage that reaches kSearchSlack bytes past the line.
int32_t compare_stamps(const Stamp& a, const Stamp& b) {
    if (a.padded == b.padded && a.length <= 8 && b.length <= 8) {
        uint64_t key_a = short_stamp_key(a), key_b = short_stamp_key(b);
        if (key_a != key_b) return key_a < key_b ? -1 : 1;
        return sign_of(a.length, b.length);
    }
    int32_t common = a.size() < b.size() ? a.size() : b.size();
    int32_t i = 0;
    if (a.padded == b.padded) {
        i = first_difference(a.word, b.word, common - a.padded) + a.padded;
    } else {
        while (i < common && a.at(i) == b.at(i)) ++i;
    }
    if (i < common) return sign_of(a.at(i), b.at(i));
    return sign_of(a.size(), b.size());
}

// Quotes both lines cut to kQuotedLineMax characters, so that the warning always fits the
// console buffer whole, line ends included.
void warn_time_backwards(const char* previous_line, const char* line) {
    char previous[kQuotedLineMax + 1];
    char current[kQuotedLineMax + 1];
    text_copy_n(previous, previous_line, kQuotedLineMax);
    text_copy_n(current, line, kQuotedLineMax);
    print(kTimeBackwardsFmt, previous, current);
}

// Static rather than on the stack: 64 KiB of stack would need probing on Windows.
LineReader reader;
// Cleaned lines, in turn: the previous line may still be needed while the next is cleaned.
char cleaned[2][kLineBufferSize];
TimeOrder time_order;

char* spare_for(const TimeOrder& order) {
    bool first_busy = order.line >= cleaned[0] && order.line < cleaned[0] + kLineBufferSize;
    return cleaned[first_busy ? 1 : 0];
}

// Reads the next line with scan, which finds its end and keywords at once where the line
// lies whole in the buffer; false at end of input.
bool next_line(PendingScan scan, LineView* raw, Findings* found) {
    char* pending = nullptr;
    int32_t reach = reader_pending(&reader, &pending);
    if (reach > kLineSize - 1) reach = kLineSize - 1;
    int32_t length = scan(keyword_index, pending, reach, found);
    if (length >= 0) {
        reader_take_line(&reader, length, raw);
        return true;
    }
    if (read_line_in_place(&reader, raw) == -1) return false;
    find_keywords(raw->text, raw->length, found);
    return true;
}

// One line through cleaning, the timestamp check and classification, and on to the parser;
// found holds the keywords of the line as read.
void scan_one(const LineView& raw, Findings* found, uint64_t number) {
    ScanLine line{raw.text, raw.text, raw.length, number};
    if (found->present & kPatternBits) {
        char* spare = spare_for(time_order);
        PatternStarts starts{offset_in(raw.text, position_of(*found, kPatternA)),
                             offset_in(raw.text, position_of(*found, kPatternB))};
        if (!clean_one_removal(raw, found, spare, &line.clean_length)) {
            cleaned_copy(raw.text, raw.length, starts, spare, &line.clean_length);
            find_keywords(spare, line.clean_length, found);
        }
        line.clean = spare;
    }
    check_timestamp_order(&time_order, line.clean, line.clean_length);
    if (kind_of(*found) != kEventLine) return;
    MarkerHints hints{position_of(*found, kCallEnded), position_of(*found, kConfEnded)};
    if (!keyword_index.hints_hold) hints = {line.clean, line.clean};
    parse_event_line(line, hints);
}

}  // namespace

uint64_t scan_log(HANDLE input) {
    reader_init(&reader, input);
    time_order = TimeOrder{"", 0, 0, false};
    reader_hold(&reader, &time_order.line);
    PendingScan scan = pending_scan_for(prepare_keywords());
    uint64_t count = 0;
    bool continued = false;  // the line read before was cut: this one is its rest
    LineView raw;
    Findings found;
    while (next_line(scan, &raw, &found)) {
        ++count;
        // One warning for each line that was cut, however many pieces it makes.
        if (raw.cut && !continued) print(kLineCutFmt, Wide(count));
        continued = raw.cut;
        scan_one(raw, &found, count);
    }
    flush_events();
    print(kLinesReadFmt, Wide(count));
    return count;
}

const char* clean_line(const char* raw, int32_t length, char* spare, int32_t* clean_length) {
    const char* a = find_bytes(raw, length, decode_literal(kCleanPatternA), kCleanPatternALength);
    const char* b = find_bytes(raw, length, decode_literal(kCleanPatternB), kCleanPatternBLength);
    *clean_length = length;
    if (!a && !b) return raw;
    return cleaned_copy(raw, length, PatternStarts{offset_in(raw, a), offset_in(raw, b)}, spare,
                        clean_length);
}

int32_t check_timestamp_order(TimeOrder* order, const char* line, int32_t length) {
    if (!carries_timestamp(line, length)) {
        order->stamp_length = 0;
        return 0;
    }
    const char* word_end = nullptr;
    const char* word = stamp_word(line, length, &word_end);
    Stamp stamp{word, static_cast<int32_t>(word_end - word), word[1] == ':'};
    Stamp previous{order->line + order->stamp_start, order->stamp_length, order->padded};
    int32_t warned = order->stamp_length > 0 && compare_stamps(stamp, previous) < 0;
    if (warned) warn_time_backwards(order->line, line);
    *order = TimeOrder{line, static_cast<int32_t>(word - line), stamp.length, stamp.padded};
    return warned;
}

LineKind classify_line(const char* line, int32_t length) {
    Findings found;
    find_keywords(line, length, &found);
    return kind_of(found);
}
