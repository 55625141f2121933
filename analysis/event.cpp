// Parses event lines: an optional calling line, the called extension and the duration in
// brackets.
#include "analysis/event.h"

#include "analysis/tally.h"
#include "literals.h"
#include "platform/output.h"
#include "platform/process.h"
#include "text/bytes.h"
#include "text/text.h"
#include "text/words.h"

namespace {

static_assert(kEventMarkerALength == kEventMarkerBLength, "both event markers are skipped alike");

// A line and its end: every search runs from a cursor to the end.
struct Span {
    const char* line;
    const char* end;
};

const char* find(const Span& span, const char* from, const char* literal, int32_t length) {
    return find_bytes(from, static_cast<int32_t>(span.end - from), literal, length);
}

// The line's storage reaches past its NUL, and the NUL differs from every literal character,
// so the comparison never reads a byte it could be fooled by.
bool starts_with(const char* text, const char* literal, int32_t length) {
    return same_bytes(text, literal, length);
}

// Steps over the character after a number, but never over the end of the text.
const char* after_number(const char* end) { return *end ? end + 1 : end; }

// How the calling line or the called extension is written: "NAME<intro>ID" anywhere ahead of
// the cursor, where the character after ID is skipped, or "<prefix>ID" right at the cursor;
// and the error code of each way it can be malformed.
struct PartyForm {
    const char* intro;
    int32_t intro_length;
    const char* prefix;
    int32_t prefix_length;
    ParseError no_prefix_code, bad_prefixed_id_code, bad_named_id_code;
};

constexpr PartyForm kCallingLine{kFirstIdIntro, kFirstIdIntroLength, kFirstIdPrefix,
                                kFirstIdPrefixLength, kNoCallingLineForm,
                                kBadPrefixedLineNumber, kBadNamedLineNumber};
constexpr PartyForm kCalledExtension{kSecondIdIntro, kSecondIdIntroLength, kSecondIdPrefix,
                                 kSecondIdPrefixLength, kNoCalledExtensionForm,
                                 kBadPrefixedExtensionNumber, kBadNamedExtensionNumber};

// Reads one party into *id and its name, given where its intro first stands after the cursor
// (null: nowhere). Returns the cursor after the party, or null with *code set.
inline const char* parse_party(const char* cursor, const char* intro, const PartyForm& form,
                               int32_t* id, const char** name, int32_t* name_length,
                               ParseError* code) {
    const char* end = nullptr;
    if (intro) {
        *name = cursor;
        *name_length = static_cast<int32_t>(intro - cursor);
        if (parse_integer_in_line(intro + form.intro_length, &end, id) != 0) {
            *code = form.bad_named_id_code;
            return nullptr;
        }
        return after_number(end);
    }
    if (!starts_with(cursor, form.prefix, form.prefix_length)) {
        *code = form.no_prefix_code;
        return nullptr;
    }
    if (parse_integer_in_line(cursor + form.prefix_length, &end, id) != 0) {
        *code = form.bad_prefixed_id_code;
        return nullptr;
    }
    return end;
}

// Whether the separator stands anywhere after the cursor, a calling line then being named;
// *intro gets where the calling line's intro first stands after the cursor, or null. One pass
// finds both.
bool calling_line_ahead(const Span& span, const char* cursor, const char** intro) {
    const char* separator = nullptr;
    find_both(cursor, static_cast<int32_t>(span.end - cursor),
              Needle{kPartySeparator, kPartySeparatorLength},
              Needle{kFirstIdIntro, kFirstIdIntroLength}, &separator, intro);
    return separator != nullptr;
}

// "[M:S]" when a ':' follows the '[' anywhere in the line, else "[N.Ns]"; no '[' gives 0.
ParseError parse_duration(const Span& span, const char* cursor, int64_t* duration) {
    const char* bracket = find_byte(cursor, static_cast<int32_t>(span.end - cursor), '[');
    if (!bracket) return kParsed;
    const char* end = nullptr;
    if (find_byte(bracket, static_cast<int32_t>(span.end - bracket), ':')) {
        int32_t minutes = 0, seconds = 0;
        if (parse_integer_in_line(bracket + 1, &end, &minutes) != 0 || *end != ':')
            return kBadMinutes;
        if (parse_integer_in_line(end + 1, &end, &seconds) != 0 || *end != ']')
            return kBadSeconds;
        *duration = int64_t{minutes} * 600 + int64_t{seconds} * 10;
        return kParsed;
    }
    int32_t tenths = 0;
    if (parse_fixed_in_line(bracket + 1, &end, 1, &tenths) != 0 || *end != 's') return kBadTenths;
    *duration = tenths;
    return kParsed;
}

[[gnu::noinline]] const char* search_marker(const Span& span, const char* from,
                                            const char* marker) {
    return find(span, from, marker, kEventMarkerALength);
}

// The first marker of the first form, else the first of the second form, searched from
// where its keyword first stands. Mostly the keyword starts the marker: that check is inline.
[[gnu::always_inline]] inline const char* find_marker(const Span& span, const char* hint,
                                                      const char* marker) {
    if (!hint) return nullptr;
    if (span.end - hint >= kEventMarkerALength && starts_with(hint, marker, kEventMarkerALength))
        return hint;
    return search_marker(span, hint, marker);
}

const char* event_start(const Span& span, MarkerHints hints) {
    const char* marker = find_marker(span, hints.call, kEventMarkerA);
    if (!marker) marker = find_marker(span, hints.conf, kEventMarkerB);
    return marker ? marker + kEventMarkerALength : nullptr;
}

const char* const kEventLiterals[] = {kEventMarkerA,  kEventMarkerB,  kPartySeparator,
                                      kFirstIdIntro,  kFirstIdPrefix, kSecondIdIntro,
                                      kSecondIdPrefix};

// The parser compares raw bytes, so its literals must be plain before the first line.
void decode_event_literals() {
    static bool decoded = false;
    if (decoded) return;
    for (const char* literal : kEventLiterals) decode_literal(literal);
    decoded = true;
}

// An event on its way to the tallies, with copies of its names (the line does not last).
struct PendingEvent {
    int32_t line_id;
    int32_t extension_id;
    int64_t duration;
    int32_t line_name_length;
    int32_t extension_name_length;
    char line_name[kLineBufferSize];
    char extension_name[kLineBufferSize];
};

// An event is tallied kEventDelay event lines after its own. The tables are far larger than
// the nearest caches: its entries are fetched from memory when it is held, its names
// kNameDelay events later, while the processor parses the lines between instead of waiting.
constexpr uint32_t kNameDelay = 2;
constexpr uint32_t kEventDelay = 4;
constexpr uint32_t kPendingSlots = 8;
static_assert(kPendingSlots > kEventDelay && (kPendingSlots & (kPendingSlots - 1)) == 0,
              "a power of two of slots holds every event not yet tallied");
PendingEvent pending[kPendingSlots];
uint32_t events_parsed;  // events ever held; the newest is pending_at(events_parsed - 1)
uint32_t events_tallied;

PendingEvent& pending_at(uint32_t number) { return pending[number % kPendingSlots]; }

void hold_event(const ParsedEvent& event) {
    PendingEvent& held = pending_at(events_parsed++);
    held.line_id = event.line_id;
    held.extension_id = event.extension_id;
    held.duration = event.duration;
    held.line_name_length = event.line_name_length;
    held.extension_name_length = event.extension_name_length;
    // Both names lie in line storage and go to line-sized buffers: whole blocks fit.
    copy_blocks(held.line_name, event.line_name, event.line_name_length);
    copy_blocks(held.extension_name, event.extension_name, event.extension_name_length);
    prefetch_entry(&calling_line_table, held.line_id);
    prefetch_entry(&called_extension_table, held.extension_id);
}

void tally_oldest() {
    const PendingEvent& event = pending_at(events_tallied++);
    tally_event(&calling_line_table, event.line_id, event.duration, event.line_name,
                event.line_name_length);
    tally_event(&called_extension_table, event.extension_id, event.duration, event.extension_name,
                event.extension_name_length);
}

}  // namespace

ParseError parse_event(const char* line, int32_t length, MarkerHints hints, ParsedEvent* event) {
    decode_event_literals();
    *event = ParsedEvent{0, 0, 0, line, 0, line, 0};
    const Span span{line, line + length};
    const char* cursor = event_start(span, hints);
    if (!cursor) return kNoEventMarker;
    ParseError code = kParsed;
    const char* intro = nullptr;
    if (calling_line_ahead(span, cursor, &intro)) {
        cursor = parse_party(cursor, intro, kCallingLine, &event->line_id,
                             &event->line_name, &event->line_name_length, &code);
        if (!cursor) return code;
        if (!starts_with(cursor, kPartySeparator, kPartySeparatorLength))
            return kNoSeparatorAfterCaller;
        cursor += kPartySeparatorLength;
    }
    intro = find(span, cursor, kSecondIdIntro, kSecondIdIntroLength);
    cursor = parse_party(cursor, intro, kCalledExtension, &event->extension_id,
                         &event->extension_name, &event->extension_name_length, &code);
    if (!cursor) return code;
    return parse_duration(span, cursor, &event->duration);
}

void parse_event_line(const ScanLine& line, MarkerHints hints) {
    ParsedEvent event;
    ParseError code = parse_event(line.clean, line.clean_length, hints, &event);
    if (code != kParsed) {
        parse_error_exit(code, line);
        return;  // reached in the fuzz build only
    }
    hold_event(event);
    if (events_parsed - events_tallied > kNameDelay) {
        const PendingEvent& named = pending_at(events_parsed - 1 - kNameDelay);
        prefetch_name(&calling_line_table, named.line_id);
        prefetch_name(&called_extension_table, named.extension_id);
    }
    if (events_parsed - events_tallied > kEventDelay) tally_oldest();
}

void flush_events() {
    while (events_tallied != events_parsed) tally_oldest();
}

void parse_error_exit(ParseError code, const ScanLine& line) {
    print(kParseErrorFmt, static_cast<int32_t>(code), Wide(line.number), line.raw);
#ifndef LOGTALLY_PARSE_ERROR_RETURNS
    process_exit(1);
#endif
}
