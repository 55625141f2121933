// The formatter: expands % directives into a destination of known size, cutting what does not fit.
//
// Every directive is first described as pieces of known length (a fill, a head, a run of zeros,
// a tail) and then written through one bounded writer (format_out.h), so the result is the
// unbounded text cut to capacity - 1 bytes.
#include "text/format.h"

#include "literals.h"
#include "text/digits.h"
#include "text/format_out.h"

namespace {

// The widest a * width may be; outside 0..kMaxStarWidth the value is reported instead.
constexpr int32_t kMaxStarWidth = 1024;
// A digit group too large for 32 bits is taken as the largest width.
constexpr int32_t kHugeWidth = 0x7FFFFFFF;
// %v without a precision shows at most this many characters, or as many as the text has bytes
// when that is more: caret notation never makes a message longer than this or than the text.
constexpr int64_t kShownRoom = 1023;

using namespace format_out;

// --- Argument words ------------------------------------------------------------------------

struct ArgCursor {
    FormatArgs args;
    int64_t next;

    uintptr_t word(int64_t i) const {
        return i >= 0 && i < args.count ? args.words[i] : 0;
    }
    uint32_t low32(int64_t i) const { return static_cast<uint32_t>(word(i)); }
};

// --- Directive settings and modifiers ------------------------------------------------------

enum : uint32_t {
    kWide = 1, kGroup = 2, kAlwaysGroup = 4, kPlus = 8, kDashZero = 16, kBlankZero = 32,
    kZeroFill = 64,
};

struct Settings {
    uint32_t flags;
    int64_t width;
    int64_t decimals;
};

struct Modifier {
    char letter;
    uint32_t set;
    uint32_t clear;
    bool point;  // '.': the width so far becomes the decimals' partner
};

constexpr Modifier kModifiers[] = {
    {'~', kWide, 0, false},      {',', kGroup, kAlwaysGroup, false},
    {';', kGroup | kAlwaysGroup, 0, false}, {'+', kPlus, 0, false},
    {'.', 0, 0, true},           {'-', kDashZero, 0, false},
    {' ', kBlankZero, 0, false},
};

// The tables indexed by character, built from them when compiled: a directive is read with one
// look-up per character instead of a search of the table. 0 is no entry, else 1 + the row.
template <class Row, int32_t N>
struct LetterIndex {
    uint8_t row[128] = {};
    constexpr explicit LetterIndex(const Row (&rows)[N]) {
        for (int32_t k = N - 1; k >= 0; --k) row[static_cast<uint8_t>(rows[k].letter)] = k + 1;
    }
    int32_t of(char c) const {
        uint8_t u = static_cast<uint8_t>(c);
        return u < 128 ? row[u] : 0;
    }
};

constexpr LetterIndex<Modifier, sizeof kModifiers / sizeof kModifiers[0]> kModifierIndex{
    kModifiers};

const Modifier* find_modifier(char c) {
    int32_t k = kModifierIndex.of(c);
    return k ? &kModifiers[k - 1] : nullptr;
}

// --- Conversions ---------------------------------------------------------------------------

enum class Kind : uint8_t { Text, Shown, Number, Plural };

using Converter = void (*)(uint32_t, uint32_t, char*);

struct Conversion {
    char letter;
    Kind kind;
    Converter convert;
    bool sign_extend;  // a 32-bit value is signed
    int8_t words;      // argument words taken without ~ (~ takes one more)
};

constexpr Conversion kConversions[] = {
    {'s', Kind::Text, nullptr, false, 1},
    {'v', Kind::Shown, nullptr, false, 1},
    {'i', Kind::Number, format_signed, true, 1},
    {'l', Kind::Number, format_signed, true, 1},
    {'u', Kind::Number, format_unsigned, false, 1},
    {'x', Kind::Number, format_hex, false, 1},
    {'y', Kind::Number, format_hex, false, 1},
    {'b', Kind::Number, format_binary, false, 1},
    {'p', Kind::Plural, nullptr, false, 0},
};

constexpr LetterIndex<Conversion, sizeof kConversions / sizeof kConversions[0]>
    kConversionIndex{kConversions};

const Conversion* find_conversion(char lower) {
    int32_t k = kConversionIndex.of(lower);
    return k ? &kConversions[k - 1] : nullptr;
}

// What a conversion writes, before its fill: head, then `zeros` zero digits, then tail.
struct Field {
    const char* head;
    int64_t head_len;
    int64_t zeros;
    const char* tail;
    int64_t tail_len;

    int64_t length() const { return head_len + zeros + tail_len; }
};

Field text_field(const char* t, int64_t n) { return Field{t, n, 0, t, 0}; }

// The state that lasts for one expansion.
struct Call {
    Out& out;
    ArgCursor args;
    bool plural;         // the last number shown was anything but exactly "1"
    bool percent_blank;  // the last number was a zero shown as dash or blank
};

void expand(Out& out, const char* format, FormatArgs args);

// --- Numbers -------------------------------------------------------------------------------

// Room for a sign, up to 64 digits with their commas and a point.
constexpr int32_t kDressRoom = 96;

struct Number {
    char sign;         // 0 when there is none
    const char* digits;
    int64_t count;     // characters of `digits`
};

// The first character counts as the sign when it is not a decimal digit; + goes before any
// value that neither is zero nor has a sign of "-".
Number split_sign(const char* t, int64_t n, bool plus) {
    if (plus && t[0] != '-' && t[0] != '0') return Number{'+', t, n};
    if (!is_digit(t[0])) return Number{t[0], t + 1, n - 1};
    return Number{0, t, n};
}

// Whether commas go into a number whose part before the point, sign included, has `front`
// characters, out of `length` characters in all.
bool wants_commas(uint32_t flags, bool has_sign, int64_t length, int64_t front) {
    if (has_sign && length == 5 && !(flags & kAlwaysGroup)) return false;
    if (!(flags & kGroup)) return false;
    if (flags & kAlwaysGroup) return true;
    return front > 4;
}

// Writes `n` characters into `buf` at `*at` with a comma before every complete group of three
// that has a character in front of it.
void put_grouped(char* buf, int32_t* at, const char* t, int64_t n, bool commas) {
    for (int64_t i = 0; i < n; ++i) {
        if (commas && i > 0 && (n - i) % 3 == 0) buf[(*at)++] = ',';
        buf[(*at)++] = t[i];
    }
}

// Builds the field of a converted number: sign, integer part with commas and point in `buf`,
// the decimals as the tail. Decimals beyond the digits come out as a count of zeros in front of
// them, so no number of decimals costs memory.
Field dress_number(const char* t, int64_t n, const Settings& s, char* buf) {
    Number num = split_sign(t, n, s.flags & kPlus);
    int64_t d = s.decimals;
    bool padded = d > 0 && num.count <= d;
    int64_t front = d == 0 ? num.count : (padded ? 1 : num.count - d);
    int64_t sign_len = num.sign ? 1 : 0;
    int64_t length = sign_len + front + (d > 0 ? d + 1 : 0);
    bool commas = wants_commas(s.flags, num.sign != 0, length, sign_len + front);
    int32_t at = 0;
    if (num.sign) buf[at++] = num.sign;
    put_grouped(buf, &at, padded ? "0" : num.digits, front, commas);
    if (d == 0) return text_field(buf, at);
    buf[at++] = '.';
    if (padded) return Field{buf, at, d - num.count, num.digits, num.count};
    return Field{buf, at, 0, num.digits + front, num.count - front};
}

// Reads the value (one word, or two under ~) and converts it into `digits`.
void convert_value(Call& call, const Conversion& cv, uint32_t flags, char* digits) {
    uint32_t low = call.args.low32(call.args.next);
    uint32_t high = 0;
    if (flags & kWide)
        high = call.args.low32(call.args.next + 1);
    else if (cv.sign_extend && (low & 0x80000000u))
        high = 0xFFFFFFFFu;
    cv.convert(low, high, digits);
}

// A numeric conversion; a zero may be shown as a dash or a blank instead.
Field number_field(Call& call, const Conversion& cv, Settings& s, char* digits, char* buf) {
    convert_value(call, cv, s.flags, digits);
    int64_t n = text_length(digits);
    bool zero = n == 1 && digits[0] == '0';
    if (zero && (s.flags & (kDashZero | kBlankZero))) {
        buf[0] = (s.flags & kDashZero) ? '-' : ' ';
        s.flags &= ~kZeroFill;
        call.percent_blank = true;
        return text_field(buf, 1);
    }
    call.plural = !(n == 1 && digits[0] == '1');
    return dress_number(digits, n, s, buf);
}

// --- Texts and plurals ---------------------------------------------------------------------

// %s: a text (decoded when it is a literal), or a character code; the character 0 is nothing.
Field text_arg_field(Call& call, char* buf) {
    uintptr_t word = call.args.word(call.args.next);
    if (word == 0) return text_field(buf, 0);
    if (word <= 255) {
        buf[0] = static_cast<char>(word);
        return text_field(buf, 1);
    }
    const char* t = decode_literal(reinterpret_cast<const char*>(word));
    return text_field(t, text_length(t));
}

// %v: the text of %s as the console shows it, control characters in caret notation, in at most
// the precision's characters (without one, see kShownRoom).
void put_shown_field(Call& call, const Settings& s, bool left) {
    char single[2] = {0, 0};
    Field f = text_arg_field(call, single);
    int64_t limit = s.decimals > 0 ? s.decimals : (f.head_len > kShownRoom ? f.head_len
                                                                            : kShownRoom);
    int64_t shown = 0;
    int64_t taken = shown_prefix(f.head, limit, &shown);
    int64_t fill = s.width - shown;
    char c = (s.flags & kZeroFill) ? '0' : ' ';
    if (!left) call.out.put_copies(c, fill);
    put_shown(call.out, f.head, taken);
    if (left) call.out.put_copies(c, fill);
}

// Endings of a number that was exactly one, by width.
const char* const kSingularEndings[] = {"", "", "", "y", "es", "s"};

// The plural ending chosen by the width and whether the last number was exactly one; widths
// 1 to 3 after any other number take the end of kPluralEndingText.
void put_plural(Call& call, int64_t width) {
    if (width < 1 || width > 5) return;
    if (!call.plural) {
        call.out.put_text(kSingularEndings[width], text_length(kSingularEndings[width]));
        return;
    }
    const char* ending = decode_literal(kPluralEndingText);
    int32_t n = text_length(ending);
    if (width <= 3 && width <= n) call.out.put_text(ending + n - width, width);
}

// --- Directives ----------------------------------------------------------------------------

// Writes the field with its fill: in front when right-justified, behind when left-justified.
void put_field(Out& out, const Field& f, const Settings& s, bool left) {
    int64_t fill = s.width - f.length();
    char c = (s.flags & kZeroFill) ? '0' : ' ';
    if (!left) out.put_copies(c, fill);
    out.put_text(f.head, f.head_len);
    out.put_copies('0', f.zeros);
    out.put_text(f.tail, f.tail_len);
    if (left) out.put_copies(c, fill);
}

// A digit group: its value as a width (a group too large for 32 bits as the largest width).
const char* read_digit_group(const char* p, Settings& s) {
    s.flags = (*p == '0') ? (s.flags | kZeroFill) : (s.flags & ~kZeroFill);
    int64_t value = 0;
    for (; is_digit(*p); ++p)
        if ((value = value * 10 + (*p - '0')) > kHugeWidth) value = kHugeWidth + int64_t{1};
    s.width = value > kHugeWidth ? kHugeWidth : value;
    return p;
}

// A * width: one argument word; outside 0..1024 it is reported in the text and taken as 0.
void read_star_width(Call& call, Settings& s) {
    int32_t value = static_cast<int32_t>(call.args.low32(call.args.next++));
    s.width = value;
    if (value >= 0 && value <= kMaxStarWidth) return;
    uintptr_t word = static_cast<uintptr_t>(static_cast<intptr_t>(value));
    expand(call.out, kBadWidthFmt, FormatArgs{&word, 1});
    s.width = 0;
}

// Reads the modifiers after "%". Returns the conversion character's position, or null when the
// format ends right after a modifier (the output then ends there).
const char* read_modifiers(Call& call, const char* p, Settings& s) {
    for (;;) {
        if (is_digit(*p)) p = read_digit_group(p, s);
        if (*p == '*') {
            read_star_width(call, s);
            ++p;
        }
        const Modifier* m = find_modifier(*p);
        if (!m) return p;
        s.flags = (s.flags | m->set) & ~m->clear;
        if (m->point) s.decimals = s.width > 1 ? s.width : 1;
        if (*++p == 0) return nullptr;
    }
}

// Carries out one conversion directive at its conversion character `p`; returns where the
// format goes on (an unknown character is read again as ordinary text).
const char* convert(Call& call, const char* p, Settings& s) {
    if (s.decimals != 0) {
        int64_t width = s.width;
        s.width = s.decimals;
        s.decimals = width;
    }
    bool upper = CharClass[static_cast<uint8_t>(*p)] & kClassUpper;
    const Conversion* cv = find_conversion(upper ? static_cast<char>(*p + 32) : *p);
    int64_t taken = (cv ? cv->words : 0) + ((s.flags & kWide) ? 1 : 0);
    char digits[kDigitRoom];
    char buf[kDressRoom];
    Field f = text_field("?", 1);
    if (cv && cv->kind == Kind::Plural) put_plural(call, s.width);
    if (cv && cv->kind == Kind::Shown) put_shown_field(call, s, upper);
    if (cv && cv->kind == Kind::Text) f = text_arg_field(call, buf);
    if (cv && cv->kind == Kind::Number) f = number_field(call, *cv, s, digits, buf);
    call.args.next += taken;
    if (!cv || cv->kind == Kind::Text || cv->kind == Kind::Number) put_field(call.out, f, s, upper);
    call.out.mark_end();
    return cv ? p + 1 : p;
}

// The directives that take no argument and leave the conversion state alone; false for any
// other character.
bool plain_directive(Call& call, char c) {
    switch (c) {
        case '%': call.out.put(call.percent_blank ? ' ' : '%'); return true;
        case '>': step_over(call.out); return true;
        case 'w':
        case 'W': trim_end(call.out); return true;
        default: return false;
    }
}

// Handles the directive after a "%" at `p`; returns where the format goes on, or null when the
// output ends inside the directive.
const char* directive(Call& call, const char* p) {
    if (plain_directive(call, p[1])) return p + 2;
    call.percent_blank = false;
    if (p[1] == 0) return nullptr;
    Settings s{0, 0, 0};
    const char* conv = read_modifiers(call, p + 1, s);
    return conv ? convert(call, conv, s) : nullptr;
}

void expand(Out& out, const char* format, FormatArgs args) {
    Call call{out, ArgCursor{args, 0}, true, false};
    const char* p = decode_literal(format);
    while (p && *p) {
        if (*p == '%') {
            p = directive(call, p);
        } else {
            out.put(*p);
            ++p;
        }
    }
}

}  // namespace

int32_t format_text(char* dst, int32_t capacity, const char* format, FormatArgs args) {
    if (!dst || capacity < 1) return 0;
    Out out{dst, capacity - 1, 0, 0};
    expand(out, format, args);
    return finish(out);
}
