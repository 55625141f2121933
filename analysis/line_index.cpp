// The structural index: one SSE2 pass per buffer marks the line stops, the keyword anchors
// and the parser's punctuation; the walk then hands out each line with its keywords.
#include "analysis/line_index.h"

#include <emmintrin.h>

#include "literals.h"
#include "literals_plain.h"
#include "text/bytes.h"
#include "text/literal.h"

namespace {

// Every keyword the index finds, in the order of enum Keyword, with its anchor: the index of
// the keyword's byte that the index marks. Where an anchor byte stands, the byte after it
// tells which keywords may start that many bytes before.
struct KeywordForm {
    const char* text;
    int32_t length;
    const char* plain;  // for the facts checked when the program is compiled
    int32_t anchor;
};

constexpr KeywordForm kKeywords[kKeywordCount] = {
    {kCleanPatternA, kCleanPatternALength, plain::kCleanPatternA, 0},  // "(V"
    {kCleanPatternB, kCleanPatternBLength, plain::kCleanPatternB, 0},  // "(h"
    {kKind1Keyword, kKind1KeywordLength, plain::kKind1Keyword, 14},    // "dj"
    {kKind4Keyword, kKind4KeywordLength, plain::kKind4Keyword, 14},    // "dg"
    {kKind3Keyword, kKind3KeywordLength, plain::kKind3Keyword, 0},     // "(v"
    {kKind2Keyword, kKind2KeywordLength, plain::kKind2Keyword, 0},     // "(n"
    {kKind5KeywordA, kKind5KeywordALength, plain::kKind5KeywordA, 9},  // "d:"
    {kKind5KeywordB, kKind5KeywordBLength, plain::kKind5KeywordB, 9},  // "d:"
};

// The two anchor bytes, '(' of the bracketed keywords and 'd' of "ended" and the others.
constexpr char kAnchorBytes[2] = {'(', 'd'};

static_assert(kAnchorBytes[0] == kPunctBytes[0], "one compare finds the '(' of both maps");

constexpr bool anchors_hold() {
    for (const KeywordForm& k : kKeywords) {
        char anchor = k.plain[k.anchor];
        if (anchor != kAnchorBytes[0] && anchor != kAnchorBytes[1]) return false;
        if (k.anchor + 1 >= k.length) return false;
    }
    return true;
}
static_assert(anchors_hold(), "each keyword holds an anchor byte with a byte after it");

// For the byte after an anchor byte, the keywords that may stand there as a chain: first is
// the first of them plus one (0: none), then[k] the one after keyword k plus one.
struct Dispatch {
    uint8_t first[256];
    uint8_t then[kKeywordCount];
};

constexpr Dispatch make_dispatch() {
    Dispatch d{};
    for (int32_t k = kKeywordCount - 1; k >= 0; --k) {
        const KeywordForm& form = kKeywords[k];
        uint8_t& first = d.first[static_cast<uint8_t>(form.plain[form.anchor + 1])];
        d.then[k] = first;
        first = static_cast<uint8_t>(k + 1);
    }
    return d;
}
constexpr Dispatch kDispatch = make_dispatch();

// Each keyword's bytes as two sixteen-byte halves, made ready on first use: a candidate costs
// a comparison of two words, and one more for a keyword longer than a half, without a call.
constexpr int32_t kHeadSize = 16;
constexpr bool keywords_fit_heads() {
    for (const KeywordForm& k : kKeywords)
        if (k.length > 2 * kHeadSize) return false;
    return true;
}
static_assert(keywords_fit_heads(), "every keyword fits two heads");
static_assert(kSearchSlack >= 2 * kHeadSize, "two heads can be read from any place of a line");

struct Heads {
    ShortText head[kKeywordCount][2];  // the second matches anything for a short keyword
};

Heads prepare_heads() {
    Heads heads{};
    for (int32_t k = 0; k < kKeywordCount; ++k) {
        const char* text = decode_literal(kKeywords[k].text);
        heads.head[k][0] = short_text(text, kKeywords[k].length);
        if (kKeywords[k].length > kHeadSize)
            heads.head[k][1] = short_text(text + kHeadSize, kKeywords[k].length - kHeadSize);
    }
    return heads;
}

// The bytes at most this one are marked as stops; the line stops are among them.
constexpr char kLargestStop = '\r';
static_assert(kLineStops[0] <= kLargestStop && kLineStops[1] <= kLargestStop &&
                  kLineStops[2] <= kLargestStop,
              "every line stop is marked");

// Whether a byte marked as a stop is a line stop: one bit test.
static_assert(kLargestStop < 32, "a marked byte's bit lies in one 32-bit word");
constexpr uint32_t kLineStopBits = 1u << kLineStops[0] | 1u << kLineStops[1] | 1u << kLineStops[2];
bool is_line_stop(char c) { return kLineStopBits >> static_cast<uint8_t>(c) & 1; }

__m128i load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

uint32_t mask_of(__m128i hits) { return static_cast<uint32_t>(_mm_movemask_epi8(hits)); }

// The sixteen bits of block b of a map.
void store_piece(MapWord* map, int32_t b, uint32_t bits) {
    uint16_t piece = static_cast<uint16_t>(bits);
    __builtin_memcpy(reinterpret_cast<char*>(map) + 2 * b, &piece, sizeof piece);
}

// Whether keywords a and b could both stand with their anchors on one byte: they agree
// wherever both reach.
constexpr bool may_share_anchor(const KeywordForm& a, const KeywordForm& b) {
    for (int32_t i = -a.anchor; i < a.length - a.anchor; ++i) {
        int32_t j = i + b.anchor;
        if (j >= 0 && j < b.length && a.plain[i + a.anchor] != b.plain[j]) return false;
    }
    return true;
}

// Whether keyword a starts keyword b, so that both could start at one place.
constexpr bool starts(const KeywordForm& a, const KeywordForm& b) {
    for (int32_t i = 0; i < a.length && i < b.length; ++i)
        if (a.plain[i] != b.plain[i]) return false;
    return true;
}

constexpr bool marks_are_lines_own() {
    for (int32_t a = 0; a < kKeywordCount; ++a) {
        for (int32_t i = 0; i < kKeywords[a].length; ++i)
            if (static_cast<uint8_t>(kKeywords[a].plain[i]) <= kLargestStop) return false;
        for (int32_t b = a + 1; b < kKeywordCount; ++b)
            if (may_share_anchor(kKeywords[a], kKeywords[b]) || starts(kKeywords[a], kKeywords[b]))
                return false;
    }
    return true;
}
// So an occurrence lies inside the line its anchor lies in, and one place starts one keyword.
static_assert(marks_are_lines_own(), "no keyword holds a line stop, shares an anchor or a start");

// Whether an occurrence of keyword b could start d bytes into one of keyword a.
constexpr bool may_start_inside(const KeywordForm& a, const KeywordForm& b, int32_t d) {
    for (int32_t i = 0; d + i < a.length && i < b.length; ++i)
        if (a.plain[d + i] != b.plain[i]) return false;
    return d < a.length;
}

constexpr bool marks_are_spaced() {
    for (const KeywordForm& a : kKeywords)
        for (const KeywordForm& b : kKeywords)
            for (int32_t d = 1; d < kLeastMarkSpacing; ++d)
                if (may_start_inside(a, b, d)) return false;
    return true;
}
static_assert(marks_are_spaced(), "two keyword marks stand kLeastMarkSpacing bytes apart or more");

// Marks are found in the order of their anchors. Those of keywords anchored alike are so in
// the order of their places; a mark can come before one that starts ahead of it only if it
// starts inside that keyword's occurrence.
constexpr bool marks_are_ordered() {
    for (const KeywordForm& a : kKeywords)
        for (const KeywordForm& b : kKeywords)
            for (int32_t d = 1; d < a.length; ++d)
                if (b.anchor != a.anchor && may_start_inside(a, b, d)) return false;
    return true;
}
static_assert(marks_are_ordered(), "the marks of one line come in the order of their places");

// The anchor bytes whose next byte leaves them a candidate, gathered before any is compared.
int32_t candidate_places[kReaderBufferSize + kSearchSlack];

// Marks where each keyword of bytes[0..n) starts, in the order of the anchors, which is
// that of the places; returns the number of marks. Most anchor bytes start no keyword: the
// byte after each rules them out with one look-up. That look-up only counts a place in or
// not, without a branch, as which way it goes cannot be foreseen; the few candidates are
// compared after, each with its two heads.
int32_t mark_keywords(const char* bytes, int32_t n, const MapWord* anchors, KeywordMark* marks) {
    static const Heads heads = prepare_heads();
    int32_t count = 0;
    for (int32_t w = 0; w * kWordBits < n; ++w) {
        MapWord bits = anchors[w];
        // The bits from n on are left as they come, maybe from bytes indexed before: an anchor
        // there would have its next byte read past the bytes' storage.
        if ((w + 1) * kWordBits > n) bits &= (MapWord{1} << n % kWordBits) - 1;
        for (; bits; bits &= bits - 1) {
            int32_t i = w * kWordBits + lowest_bit(bits);
            candidate_places[count] = i;
            count += kDispatch.first[static_cast<uint8_t>(bytes[i + 1])] != 0;
        }
    }
    int32_t found = 0;
    for (int32_t c = 0; c < count; ++c) {
        int32_t i = candidate_places[c];
        for (int32_t next = kDispatch.first[static_cast<uint8_t>(bytes[i + 1])]; next;
             next = kDispatch.then[next - 1]) {
            int32_t k = next - 1;
            int32_t start = i - kKeywords[k].anchor;
            if (start < 0 || start + kKeywords[k].length > n) continue;
            if (!starts_with_short(bytes + start, heads.head[k][0])) continue;
            if (kKeywords[k].length > kHeadSize &&
                !starts_with_short(bytes + start + kHeadSize, heads.head[k][1]))
                continue;
            marks[found++] = KeywordMark{start, k};
            break;
        }
    }
    return found;
}

// The first set bit of map at or after from, for a map with a bit set there or later.
[[gnu::always_inline]] inline int32_t next_set_bit(const MapWord* map, int32_t from) {
    uint32_t word = static_cast<uint32_t>(from) / kWordBits;
    MapWord bits = map[word] & (~MapWord{0} << (static_cast<uint32_t>(from) % kWordBits));
    while (!bits) bits = map[++word];
    return static_cast<int32_t>(word * kWordBits) + lowest_bit(bits);
}

// Sets *found to the keywords of the count marks from marks on, of a line at at: each
// keyword's first mark is its first occurrence. Written field by field where the line lies,
// so that each later read of a field takes it straight from its own store.
[[gnu::always_inline]] inline void find_keywords(const KeywordMark* marks, int32_t count,
                                                 int32_t at, Findings* found) {
    uint32_t present = 0;
    for (int32_t m = 0; m < count; ++m) {
        int32_t k = marks[m].keyword;
        if (present >> k & 1) continue;
        present |= 1u << k;
        found->at[k] = static_cast<int16_t>(marks[m].at - at);
    }
    found->present = present;
}

}  // namespace

int32_t index_bytes(const char* bytes, int32_t n, MapWord* words, int32_t stride,
                    KeywordMark* marks) {
    const __m128i largest_stop = _mm_set1_epi8(kLargestStop);
    const __m128i paren = _mm_set1_epi8(kAnchorBytes[0]), d = _mm_set1_epi8(kAnchorBytes[1]);
    const __m128i greater = _mm_set1_epi8(kPunctBytes[1]), bracket = _mm_set1_epi8(kPunctBytes[2]);
    MapWord* stops = words + kStopMap * stride;
    MapWord* anchors = words + kAnchorMap * stride;
    MapWord* punct = words + kPunctMap * stride;
    int32_t blocks = (n + 15) / 16;
    for (int32_t b = 0; b < blocks; ++b) {
        __m128i x = load(bytes + 16 * b);
        __m128i open = _mm_cmpeq_epi8(x, paren);  // an anchor and punctuation
        __m128i stop = _mm_cmpeq_epi8(_mm_min_epu8(x, largest_stop), x);
        __m128i anchor = _mm_or_si128(open, _mm_cmpeq_epi8(x, d));
        __m128i mark = _mm_or_si128(_mm_or_si128(open, _mm_cmpeq_epi8(x, greater)),
                                    _mm_cmpeq_epi8(x, bracket));
        store_piece(stops, b, mask_of(stop));
        store_piece(anchors, b, mask_of(anchor));
        store_piece(punct, b, mask_of(mark));
    }
    return mark_keywords(bytes, n, anchors, marks);
}

void index_punctuation(const char* text, int32_t length, LineIndex* index, IndexedLine* line) {
    const __m128i paren = _mm_set1_epi8(kPunctBytes[0]), greater = _mm_set1_epi8(kPunctBytes[1]);
    const __m128i bracket = _mm_set1_epi8(kPunctBytes[2]);
    MapWord* punct = index->words + kPunctMap * kLineWords;
    for (int32_t b = 0; b * 16 < length; ++b) {
        __m128i x = load(text + 16 * b);
        __m128i mark = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, paren), _mm_cmpeq_epi8(x, greater)),
                                    _mm_cmpeq_epi8(x, bracket));
        store_piece(punct, b, mask_of(mark));
    }
    line->text = text;
    line->length = length;
    line->punct = punct;
    line->marks = nullptr;
    line->mark_count = 0;
    line->at = 0;
}

IndexedLine index_line(const char* text, int32_t length, LineIndex* index) {
    int32_t count = index_bytes(text, length, index->words, kLineWords, index->marks);
    IndexedLine line;
    line.text = text;
    line.length = length;
    find_keywords(index->marks, count, 0, &line.found);
    line.punct = index->words + kPunctMap * kLineWords;
    line.marks = index->marks;
    line.mark_count = count;
    line.at = 0;
    return line;
}

void walk_init(LineWalk* walk) {
    walk->indexed_refills = ~0u;
    walk->ready_start = -1;
}

namespace {

// The first line stop from the cursor on, or the fill, whose bit the walk sets: a marked
// byte that is none is passed.
[[gnu::always_inline]] inline int32_t next_stop(const LineWalk* walk, const LineReader* reader) {
    const MapWord* stops = walk->buffer + kStopMap * LineWalk::kStride;
    int32_t stop = next_set_bit(stops, reader->cursor);
    while (stop < reader->fill && !is_line_stop(reader->buffer[stop]))
        stop = next_set_bit(stops, stop + 1);
    return stop;
}

// Passes the marks of the buffer that start before from. The list ends in a mark past every
// byte, and most lines hold no more than two: those are passed without a branch, as how many
// a line holds cannot be foreseen.
void pass_marks(LineWalk* walk, int32_t from) {
    int32_t next = walk->next_mark;
    next += walk->marks[next].at < from;
    next += walk->marks[next].at < from;
    while (walk->marks[next].at < from) ++next;
    walk->next_mark = next;
}

// Ends the next line of the buffer now when it can be handed out in place, so that its
// NUL's store is long done when the line's last bytes are read sixteen at a time, as the
// parser and cleaning read them: a wide read of a byte just stored waits for the store.
void end_next_line(LineWalk* walk, LineReader* reader) {
    walk->ready_start = -1;
    int32_t stop = next_stop(walk, reader);
    int32_t ending = in_place_ending(reader, stop);
    if (!ending) return;
    end_in_place(reader, stop);
    walk->ready_start = reader->cursor;
    walk->ready_stop = stop;
    walk->ready_ending = ending;
}

}  // namespace

bool next_line(LineWalk* walk, LineReader* reader, LinePin* pin, IndexedLine* line,
               int32_t* cut) {
    if (reader->cursor == reader->fill && !reader_refill(reader, pin)) return false;
    if (walk->indexed_refills != reader->refills) {
        int32_t count =
            index_bytes(reader->buffer, reader->fill, walk->buffer, LineWalk::kStride, walk->marks);
        walk->marks[count] = KeywordMark{kReaderBufferSize + kSearchSlack, 0};
        // The bits from the fill on are left as they come: the one at the fill ends each
        // search for a stop.
        MapWord* stops = walk->buffer + kStopMap * LineWalk::kStride;
        stops[reader->fill / kWordBits] |= MapWord{1} << reader->fill % kWordBits;
        walk->indexed_refills = reader->refills;
        walk->next_mark = 0;
        walk->ready_start = -1;
        pass_marks(walk, reader->cursor);
    }
    int32_t start = reader->cursor;
    LineView view;
    if (walk->ready_start == start)
        take_in_place(reader, walk->ready_stop, walk->ready_ending, &view);
    else if (reader_next_line(reader, pin, next_stop(walk, reader), &view) != 0)
        return false;
    *cut = view.cut;
    if (view.text == reader->assembled) {
        *line = index_line(view.text, view.length, &walk->assembled);
        // The marks of the bytes it was made from are of no more use.
        if (walk->indexed_refills == reader->refills) pass_marks(walk, reader->cursor);
        return true;
    }
    end_next_line(walk, reader);
    // The marks of one line come together: the line's run ends at the first mark past it.
    const KeywordMark* marks = walk->marks + walk->next_mark;
    pass_marks(walk, start + view.length);
    int32_t count = static_cast<int32_t>(walk->marks + walk->next_mark - marks);
    line->text = view.text;
    line->length = view.length;
    find_keywords(marks, count, start, &line->found);
    line->punct = walk->buffer + kPunctMap * LineWalk::kStride;
    line->marks = marks;
    line->mark_count = count;
    line->at = start;
    return true;
}
