// The timestamp-order check: the leading word of a line with a ':' at index 3, taken as the
// last one when the line starts with the same bytes, else compared as a number of its first
// eight characters with the last one, and byte by byte only where both are longer.
#include "analysis/timestamp.h"

#include "literals.h"
#include "platform/output.h"
#include "text/bytes.h"
#include "text/text.h"

namespace {

// Characters of a zero-padded stamp its key holds.
constexpr int32_t kKeyLength = 8;

// The bytes of a word of n characters (0..8) in the eight loaded from its start.
const uint64_t kWordBytes[kKeyLength + 1] = {
    0,
    0xFF,
    0xFFFF,
    0xFFFFFF,
    0xFFFFFFFF,
    0xFFFFFFFFFF,
    0xFFFFFFFFFFFF,
    0xFFFFFFFFFFFFFF,
    0xFFFFFFFFFFFFFFFF,
};

// A timestamp stands at the line start: at least five characters with a ':' at index 3.
bool carries_timestamp(const char* line, int32_t length) {
    return length >= 5 && line[3] == ':';
}

// The key of a zero-padded stamp from the eight bytes at its word's start, word holding
// only the word's own bytes: '0' in front when padded, then the bytes from the most
// significant down. The word has no NUL, so only a stamp that ends sooner has a zero byte
// where the other has a character, and a proper prefix comes first.
uint64_t stamp_key(uint64_t word, bool padded) {
    if (padded) word = word << 8 | '0';
    return __builtin_bswap64(word);
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

// -1, 0 or 1 as stamp a sorts before, with or after b, bytes unsigned, a proper prefix first.
// Both words lie in line storage that reaches kSearchSlack bytes past the line.
int32_t compare_stamps(const Stamp& a, const Stamp& b) {
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

// The warning's format quotes each line in at most 1000 characters, so that it always fits
// the console buffer whole, line ends and caret notation included.
[[gnu::noinline]] void warn_time_backwards(const char* previous_line, const char* line) {
    print(kTimeBackwardsFmt, previous_line, line);
}

// Keeps line with its stamp of at most eight characters, which ends at end. The pin comes
// last, so that the common path keeps nothing across a call.
void keep_short_stamp(TimeOrder* order, const char* line, int32_t length, uint64_t key,
                      int32_t end) {
    order->key = key;
    copy_blocks(order->head, line, sizeof order->head);
    order->head_used = (2u << end) - 1;
    pin_line(&order->pin, order->reader, line, length);
}

// The warning for a stamp of at most eight characters, which ends at end; returns 1.
[[gnu::noinline]] int32_t warn_and_keep(TimeOrder* order, const char* line, int32_t length,
                                        uint64_t key, int32_t end) {
    warn_time_backwards(order->pin.text, line);
    keep_short_stamp(order, line, length, key, end);
    return 1;
}

// check_timestamp_order for a stamp of more than eight characters, whose word starts at
// start: the keys decide unless both stamps are that long and agree in their first eight.
// A shorter previous stamp with the same key is this one's first eight characters.
[[gnu::noinline]] int32_t check_long_stamp(TimeOrder* order, const char* line, int32_t length,
                                           int32_t start, bool padded) {
    const char* word = line + start;
    const char* end = find_blank(word, length - start);
    Stamp stamp{word, static_cast<int32_t>((end ? end : line + length) - word), padded};
    uint64_t key = stamp_key(load_word(word), padded);
    int32_t warned = key < order->key;
    if (key == order->key && order->head_used == kNoHead)
        warned = compare_stamps(stamp, Stamp{order->pin.text + order->long_start,
                                             order->long_length, order->long_padded}) < 0;
    if (warned) warn_time_backwards(order->pin.text, line);
    pin_line(&order->pin, order->reader, line, length);
    order->key = key;
    order->long_start = start;
    order->long_length = stamp.length;
    order->long_padded = padded;
    order->head_used = kNoHead;
    return warned;
}

// check_timestamp_order for a line whose head differs from the last one's: its stamp found
// and compared.
[[gnu::noinline]] int32_t check_new_stamp(TimeOrder* order, const char* line, int32_t length) {
    uint32_t blanks = blank_bits(line);
    int32_t start = __builtin_ctz(~blanks);
    int32_t size = __builtin_ctz((blanks | 0x10000u) >> start);
    if (size > length - start) size = length - start;
    bool padded = line[start + 1] == ':';
    if (size + padded > kKeyLength) return check_long_stamp(order, line, length, start, padded);
    uint64_t key = stamp_key(load_word(line + start) & kWordBytes[size], padded);
    // The same key as a longer stamp: this one is its first eight characters.
    if (key < order->key || (key == order->key && order->head_used == kNoHead))
        return warn_and_keep(order, line, length, key, start + size);
    keep_short_stamp(order, line, length, key, start + size);
    return 0;
}

}  // namespace

void time_order_init(TimeOrder* order, const LineReader* reader) {
    order->pin.text = "";
    order->reader = reader;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(order->head), _mm_setzero_si128());
    order->head_used = kNoHead;
    order->key = 0;
    order->long_start = 0;
    order->long_length = 0;
    order->long_padded = false;
}

// The word starts within the first four characters, as index 3 is no blank, and a stamp of
// at most eight characters ends within the first sixteen: one block holds it. A line that
// repeats the stamp of the line before, as most lines of a busy log do, is only pinned.
int32_t check_timestamp_order(TimeOrder* order, const char* line, int32_t length) {
    if (!carries_timestamp(line, length)) {
        order->key = 0;
        order->head_used = kNoHead;
        return 0;
    }
    __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line));
    __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(order->head));
    uint32_t same = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(head, last)));
    if (~same & order->head_used) return check_new_stamp(order, line, length);
    pin_line(&order->pin, order->reader, line, length);
    return 0;
}
