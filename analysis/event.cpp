// Parses event lines: an optional calling line, the called extension and the duration in
// brackets. The searches run over the line's punctuation marks instead of its bytes.
#include "analysis/event.h"

#include "analysis/input.h"
#include "literals.h"
#include "literals_plain.h"
#include "platform/output.h"
#include "platform/process.h"
#include "text/bytes.h"
#include "text/words.h"

namespace {

static_assert(kEventMarkerALength == kEventMarkerBLength, "both event markers are skipped alike");

// Where each literal the parser looks for holds the punctuation the index marks.
constexpr int32_t kSeparatorMark = 2;  // the '>' of " -> "
constexpr int32_t kIntroMark = 1;      // the '(' of " (line" and " (ext"
static_assert(plain::kPartySeparator[kSeparatorMark] == kPunctBytes[1] &&
                  plain::kFirstIdIntro[kIntroMark] == kPunctBytes[0] &&
                  plain::kSecondIdIntro[kIntroMark] == kPunctBytes[0],
              "the separator and the party intros hold the punctuation the index marks");
static_assert(kPunctBytes[2] == '[', "the duration opens with the index's bracket");

// Each event marker is its keyword and a blank, so the keyword's first place leads to it.
constexpr bool marker_starts_with(const char* marker, const char* keyword, int32_t length) {
    for (int32_t i = 0; i < length; ++i)
        if (marker[i] != keyword[i]) return false;
    return marker[length] == ' ' && marker[length + 1] == 0;
}
static_assert(marker_starts_with(plain::kEventMarkerA, plain::kKind5KeywordA,
                                 kKind5KeywordALength) &&
                  marker_starts_with(plain::kEventMarkerB, plain::kKind5KeywordB,
                                     kKind5KeywordBLength),
              "each event marker is its keyword and a blank");

// The literals the parser compares with, each made ready once in one word.
struct ParserTexts {
    ShortText separator;
    ShortText line_intro, line_prefix;
    ShortText extension_intro, extension_prefix;
};
static_assert(kPartySeparatorLength <= 8 && kFirstIdIntroLength <= 8 &&
                  kFirstIdPrefixLength <= 8 && kSecondIdIntroLength <= 8 &&
                  kSecondIdPrefixLength <= 8,
              "the separator and the parties' intros and prefixes each fit one word");

ParserTexts prepare_texts() {
    return ParserTexts{
        short_text(kPartySeparator, kPartySeparatorLength),
        short_text(kFirstIdIntro, kFirstIdIntroLength),
        short_text(kFirstIdPrefix, kFirstIdPrefixLength),
        short_text(kSecondIdIntro, kSecondIdIntroLength),
        short_text(kSecondIdPrefix, kSecondIdPrefixLength),
    };
}

// True when word, eight bytes of a line, starts with t, a text of at most eight bytes.
inline bool word_starts_with(uint64_t word, const ShortText& t) {
    return ((word ^ t.word[0]) & t.mask[0]) == 0;
}

// True when the bytes at p start with t, a text of at most eight bytes: one load.
inline bool starts_with_word(const char* p, const ShortText& t) {
    return word_starts_with(load_word(p), t);
}

// Steps over the character after a number, but never over the end of the text.
inline const char* after_number(const char* end) { return *end ? end + 1 : end; }

// How the calling line or the called extension is written: "NAME<intro>ID" anywhere ahead of
// the cursor, where the character after ID is skipped, or "<prefix>ID" right at the cursor;
// and the error code of each way it can be malformed.
struct PartyForm {
    const ShortText ParserTexts::*prefix;
    int32_t intro_length, prefix_length;
    ParseError no_prefix_code, bad_prefixed_id_code, bad_named_id_code;
};

constexpr PartyForm kCallingLine{&ParserTexts::line_prefix, kFirstIdIntroLength,
                                 kFirstIdPrefixLength,      kNoCallingLineForm,
                                 kBadPrefixedLineNumber,    kBadNamedLineNumber};
constexpr PartyForm kCalledExtension{&ParserTexts::extension_prefix, kSecondIdIntroLength,
                                     kSecondIdPrefixLength,          kNoCalledExtensionForm,
                                     kBadPrefixedExtensionNumber,    kBadNamedExtensionNumber};

// Reads one party into *id and its name, given where its intro first stands after the cursor
// (null: nowhere). Returns the cursor after the party, or null with *code set.
inline const char* parse_party(const ParserTexts& texts, const char* cursor, const char* intro,
                               const PartyForm& form, int32_t* id, const char** name,
                               int32_t* name_length, ParseError* code) {
    if (intro) {
        *name = cursor;
        *name_length = static_cast<int32_t>(intro - cursor);
        LineNumber number = integer_in_line(intro + form.intro_length);
        if (!number.end) {
            *code = form.bad_named_id_code;
            return nullptr;
        }
        *id = number.value;
        return after_number(number.end);
    }
    if (!starts_with_word(cursor, texts.*form.prefix)) {
        *code = form.no_prefix_code;
        return nullptr;
    }
    LineNumber number = integer_in_line(cursor + form.prefix_length);
    if (!number.end) {
        *code = form.bad_prefixed_id_code;
        return nullptr;
    }
    *id = number.value;
    return number.end;
}

// A duration in tenths of a second, or the parse error that stopped its reading (tenths 0).
// Returned by value, so that the event's fields stay out of memory until the event is whole.
struct Duration {
    ParseError code;
    int64_t tenths;
};

// "[M:S]" from the '[' at open, known to be the form: a ':' follows it in the line.
[[gnu::noinline]] Duration parse_minutes(const char* open) {
    LineNumber minutes = integer_in_line(open + 1);
    if (!minutes.end || *minutes.end != ':') return Duration{kBadMinutes, 0};
    LineNumber seconds = integer_in_line(minutes.end + 1);
    if (!seconds.end || *seconds.end != ']') return Duration{kBadSeconds, 0};
    return Duration{kParsed, int64_t{minutes.value} * 600 + int64_t{seconds.value} * 10};
}

// True when a ':' stands in the n bytes at p: for the rest of most lines one block.
inline bool holds_colon(const char* p, int32_t n) {
    if (n > 16) return find_byte(p, n, ':') != nullptr;
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i colons = _mm_cmpeq_epi8(block, _mm_set1_epi8(':'));
    return (static_cast<uint32_t>(_mm_movemask_epi8(colons)) & ((1u << n) - 1)) != 0;
}

// The duration from the '[' at open, line_end the line's NUL: "[M:S]" when a ':' follows it
// anywhere in the line, else "[S.Ss]". Minutes right after the bracket with their ':' settle
// the form without a search; one map of the digits after the bracket serves the first number
// of either form, and the seconds when they start close enough.
Duration parse_duration(const char* open, const char* line_end) {
    const char* number = open + 1;
    uint32_t stops = digit_stops(number);
    uint32_t run = static_cast<uint32_t>(digit_run(stops));
    LineNumber minutes = number[run] == ':' ? short_integer(number, stops) : LineNumber{};
    if (minutes.end) {
        const char* at = minutes.end + 1;
        LineNumber seconds = run < 7 ? short_integer(at, stops >> (run + 1)) : LineNumber{};
        if (!seconds.end) seconds = integer_in_line(at);
        if (!seconds.end || *seconds.end != ']') return Duration{kBadSeconds, 0};
        return Duration{kParsed, int64_t{minutes.value} * 600 + int64_t{seconds.value} * 10};
    }
    if (holds_colon(number, static_cast<int32_t>(line_end - number))) return parse_minutes(open);
    LineNumber tenths = short_tenths(number, stops);
    if (!tenths.end) tenths = tenths_in_line(number);
    if (!tenths.end || *tenths.end != 's') return Duration{kBadTenths, 0};
    return Duration{kParsed, tenths.value};
}

// Where marker first stands from hint on, or -1: the way of a line whose keyword starts no
// marker.
[[gnu::noinline]] int32_t search_marker(const IndexedLine& line, int32_t hint, const char* marker) {
    const char* found = find_bytes(line.text + hint, line.length - hint, marker,
                                   kEventMarkerALength);
    return found ? static_cast<int32_t>(found - line.text) : -1;
}

// Where the marker first stands from hint, the first place of its keyword, on; or -1. The
// marker is its keyword and a blank, so it stands at hint exactly when a blank follows there.
inline int32_t marker_from(const IndexedLine& line, int32_t hint, const char* marker) {
    return line.text[hint + kEventMarkerALength - 1] == ' ' ? hint
                                                           : search_marker(line, hint, marker);
}

// The first marker of the first form, else the first of the second form; the cursor after
// it, or -1 when neither stands in the line.
inline int32_t event_start(const IndexedLine& line) {
    const Findings& found = line.found;
    int32_t marker = -1;
    if (found.present >> kCallEndedKeyword & 1)
        marker = marker_from(line, found.at[kCallEndedKeyword], kEventMarkerA);
    if (marker < 0 && found.present >> kConfEndedKeyword & 1)
        marker = marker_from(line, found.at[kConfEndedKeyword], kEventMarkerB);
    return marker < 0 ? -1 : marker + kEventMarkerALength;
}

// Where the separator, each party's intro and the duration's '[' first stand from a place on
// (null: nowhere), found in one walk over the punctuation marks.
struct Landmarks {
    const char* separator;
    const char* line_intro;
    const char* extension_intro;
    const char* bracket;
};

// Notes the mark at p if it is the first of its landmark; each literal is told by one load
// from where it would start.
inline void note_landmark(const char* p, const ParserTexts& texts, Landmarks* found) {
    char mark = *p;
    if (mark == kPunctBytes[0]) {
        uint64_t word = load_word(p - kIntroMark);
        if (!found->line_intro && word_starts_with(word, texts.line_intro))
            found->line_intro = p - kIntroMark;
        else if (!found->extension_intro && word_starts_with(word, texts.extension_intro))
            found->extension_intro = p - kIntroMark;
    } else if (mark == kPunctBytes[1]) {
        if (!found->separator && starts_with_word(p - kSeparatorMark, texts.separator))
            found->separator = p - kSeparatorMark;
    } else if (!found->bracket) {
        found->bracket = p;
    }
}

// Notes the marks of bits, bit k standing for the byte at + k.
[[gnu::always_inline]] inline void note_marks(const char* at, const ParserTexts& texts,
                                              MapWord bits, Landmarks* found) {
    for (; bits; bits &= bits - 1)
        note_landmark(at + static_cast<uint32_t>(lowest_bit(bits)), texts, found);
}

// The marks among the first two bytes at p whose literal would start before p: a '(' at the
// first, a '>' at either (bit k: byte k).
inline MapWord marks_starting_before(const char* p) {
    static_assert(kIntroMark == 1 && kSeparatorMark == 2, "which marks start a literal early");
    return MapWord{p[0] == kPunctBytes[0] || p[0] == kPunctBytes[1]} |
           MapWord{p[1] == kPunctBytes[1]} << 1;
}

// Bits b, b + 1, ... of a map, kWindowBits of them at least and zeros above the last: one load
// from the byte that holds bit b. A map's words lie in memory low byte first, so its bytes
// hold its bits in order; it has a word to spare after its last.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a map's bytes hold its bits in order");
constexpr int32_t kWindowBits = kWordBits - 7;
inline MapWord map_window(const MapWord* map, int32_t b) {
    uint32_t bit = static_cast<uint32_t>(b);
    MapWord word;
    __builtin_memcpy(&word, reinterpret_cast<const char*>(map) + bit / 8, sizeof word);
    return word >> bit % 8;
}

// The walk takes the map a window at a time from from on. The rest of most lines fits one
// window or two, the second ending at the line's end and cut where the first ended. A mark at
// from or after it whose literal would start before from is left out first, so that every
// other mark is looked at alike.
[[gnu::always_inline]] inline Landmarks find_landmarks(const IndexedLine& line,
                                                       const ParserTexts& texts, int32_t from) {
    constexpr MapWord kWindow = ~MapWord{0} >> (kWordBits - kWindowBits);
    Landmarks found{nullptr, nullptr, nullptr, nullptr};
    int32_t left = line.length - from;  // the marker lies in the line: 0 or more
    const char* at = line.text + from;
    MapWord bits = map_window(line.punct, line.at + from);
    if (bits & 3) bits &= ~marks_starting_before(at);
    if (left <= kWindowBits) {
        note_marks(at, texts, bits & ((MapWord{1} << left) - 1), &found);
        return found;
    }
    if (left <= 2 * kWindowBits) {
        note_marks(at, texts, bits & kWindow, &found);
        int32_t last = line.length - kWindowBits;
        MapWord rest = map_window(line.punct, line.at + last) & kWindow;
        note_marks(line.text + last, texts, rest & kWindow << (from + kWindowBits - last), &found);
        return found;
    }
    for (; left > kWindowBits; left -= kWindowBits, at += kWindowBits) {
        note_marks(at, texts, bits & kWindow, &found);
        bits = map_window(line.punct, line.at + line.length - left + kWindowBits);
    }
    note_marks(at, texts, bits & kWindow >> (kWindowBits - left), &found);
    return found;
}

// The first extension intro, or '[', from from on (null: none): for a landmark that stood
// before the place it is wanted from, inside a name.
[[gnu::noinline]] const char* find_again(const IndexedLine& line, const ParserTexts& texts,
                                         const char* from, bool bracket) {
    Landmarks found = find_landmarks(line, texts, static_cast<int32_t>(from - line.text));
    return bracket ? found.bracket : found.extension_intro;
}

// Whether landmark p (null: nowhere) stands before at. One compare, as a null and a landmark
// after at both go the common way.
inline bool stands_before(const char* p, const char* at) {
    return reinterpret_cast<uintptr_t>(p) - 1 < reinterpret_cast<uintptr_t>(at) - 1;
}

}  // namespace

// The landmarks are found from the marker on; one that turns out to stand before the place
// it is wanted from, inside a name, is looked for again from there.
ParseError parse_event(const IndexedLine& line, ParsedEvent* event) {
    static const ParserTexts texts = prepare_texts();
    *event = ParsedEvent{0, 0, 0, line.text, 0, line.text, 0};
    int32_t cursor = event_start(line);
    if (cursor < 0) return kNoEventMarker;
    Landmarks marks = find_landmarks(line, texts, cursor);
    ParseError code = kParsed;
    const char* at = line.text + cursor;
    if (marks.separator) {
        at = parse_party(texts, at, marks.line_intro, kCallingLine, &event->line_id,
                         &event->line_name, &event->line_name_length, &code);
        if (!at) return code;
        // The first separator was seen in the walk; most lines have it right here.
        if (at != marks.separator && !starts_with_word(at, texts.separator))
            return kNoSeparatorAfterCaller;
        at += kPartySeparatorLength;
        if (stands_before(marks.extension_intro, at))
            marks.extension_intro = find_again(line, texts, at, false);
    }
    at = parse_party(texts, at, marks.extension_intro, kCalledExtension, &event->extension_id,
                     &event->extension_name, &event->extension_name_length, &code);
    if (!at) return code;
    const char* bracket = marks.bracket;
    if (stands_before(bracket, at)) bracket = find_again(line, texts, at, true);
    if (!bracket) return kParsed;
    Duration duration = parse_duration(bracket, line.text + line.length);
    event->duration = duration.tenths;
    return duration.code;
}

void parse_error_exit(ParseError code, uint64_t line_number, const char* raw) {
    print(kParseErrorFmt, static_cast<int32_t>(code), Wide(line_number), raw);
    warn_if_input_changed_at_parse_error();
    process_exit(1);
}
