// The reference's event parser: one event line into its two parties and its duration.
#include "literals.h"
#include "platform/output.h"
#include "platform/process.h"
#include "tests/oracle/oracle.h"

namespace oracle {

namespace {

struct ParsedEvent {
    int32_t first_id;
    int32_t second_id;
    int64_t duration;
    char first_name[kLineSize];
    char second_name[kLineSize];
};

ParsedEvent current_event;

bool starts_with(const char* text, const char* literal, int32_t length) {
    return text_compare_n(text, literal, length) == 0;
}

// Steps over the character after a number, but never over the end of the text.
const char* after_number(const char* end) { return *end ? end + 1 : end; }

struct PartyForm {
    const char* intro;
    int32_t intro_length;
    const char* prefix;
    int32_t prefix_length;
    int32_t no_prefix_code, bad_prefixed_id_code, bad_named_id_code;
};

constexpr PartyForm kFirstParty{kFirstIdIntro, kFirstIdIntroLength, kFirstIdPrefix,
                                kFirstIdPrefixLength, 2, 3, 4};
constexpr PartyForm kSecondParty{kSecondIdIntro, kSecondIdIntroLength, kSecondIdPrefix,
                                 kSecondIdPrefixLength, 6, 7, 8};

const char* parse_party(const char* cursor, const PartyForm& form, int32_t* id, char* name,
                        int32_t* code) {
    const char* end = nullptr;
    if (const char* intro = text_find(cursor, form.intro)) {
        text_copy_n(name, cursor, static_cast<int32_t>(intro - cursor));
        if (parse_integer(intro + form.intro_length, &end, id) != 0) {
            *code = form.bad_named_id_code;
            return nullptr;
        }
        return after_number(end);
    }
    if (!starts_with(cursor, form.prefix, form.prefix_length)) {
        *code = form.no_prefix_code;
        return nullptr;
    }
    if (parse_integer(cursor + form.prefix_length, &end, id) != 0) {
        *code = form.bad_prefixed_id_code;
        return nullptr;
    }
    return end;
}

int32_t parse_duration(const char* cursor, int64_t* duration) {
    const char* bracket = text_find(cursor, '[');
    if (!bracket) return 0;
    const char* end = nullptr;
    if (text_find(bracket, ':')) {
        int32_t minutes = 0, seconds = 0;
        if (parse_integer(bracket + 1, &end, &minutes) != 0 || *end != ':') return 9;
        if (parse_integer(end + 1, &end, &seconds) != 0 || *end != ']') return 10;
        *duration = int64_t{minutes} * 600 + int64_t{seconds} * 10;
        return 0;
    }
    int32_t tenths = 0;
    if (parse_fixed(bracket + 1, &end, 1, &tenths) != 0 || *end != 's') return 11;
    *duration = tenths;
    return 0;
}

const char* event_start(const char* line) {
    const char* marker = text_find(line, kEventMarkerA);
    if (!marker) marker = text_find(line, kEventMarkerB);
    return marker ? marker + kEventMarkerALength : nullptr;
}

int32_t parse_event(const char* line, ParsedEvent* event) {
    event->first_id = event->second_id = 0;
    event->duration = 0;
    event->first_name[0] = event->second_name[0] = 0;
    const char* cursor = event_start(line);
    if (!cursor) return 1;
    int32_t code = 0;
    if (text_find(cursor, kPartySeparator)) {
        cursor = parse_party(cursor, kFirstParty, &event->first_id, event->first_name, &code);
        if (!cursor) return code;
        if (!starts_with(cursor, kPartySeparator, kPartySeparatorLength)) return 5;
        cursor += kPartySeparatorLength;
    }
    cursor = parse_party(cursor, kSecondParty, &event->second_id, event->second_name, &code);
    if (!cursor) return code;
    return parse_duration(cursor, &event->duration);
}

}  // namespace

void parse_event_line() {
    ParsedEvent& event = current_event;
    int32_t code = parse_event(cleaned_line, &event);
    if (code != 0) parse_error_exit(code);
    tally_event(&first_party_table, event.first_id, event.duration, event.first_name);
    tally_event(&second_party_table, event.second_id, event.duration, event.second_name);
}

void parse_error_exit(int32_t code) {
    print(kParseErrorFmt, code, Wide(line_counter), raw_line);
    process_exit(1);
}

}  // namespace oracle
