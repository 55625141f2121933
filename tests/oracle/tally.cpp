// The reference's tally tables and its append-only name arena.
#include "platform/memory.h"
#include "tests/oracle/oracle.h"

namespace oracle {

TallyTable first_party_table;
TallyTable second_party_table;

namespace {

// The next free byte and the end of the current arena region.
char* arena_next;
char* arena_end;

// The name of every entry that was counted but never named.
char empty_name[1];

}  // namespace

void name_arena_init() {
    arena_next = static_cast<char*>(page_alloc(kArenaRegionSize));
    arena_end = arena_next + kArenaRegionSize;
}

// Every call takes new room; a text that no longer fits goes into a new region.
const char* intern_name(const char* text) {
    int32_t size = text_length(text) + 1;
    if (arena_end - arena_next < size) name_arena_init();
    char* copy = arena_next;
    text_copy(copy, text);
    arena_next += size;
    return copy;
}

void tally_event(TallyTable* table, int32_t identifier, int64_t duration, char* name) {
    if (identifier < 1 || identifier > kTallySize) return;
    TallyEntry& entry = table->entry[identifier - 1];
    entry.count += 1;
    entry.total = add_saturating(entry.total, duration);
    if (!entry.name) entry.name = empty_name;
    trim_leading(name);
    trim_trailing(name);
    int32_t length = text_length(name);
    if (length > table->longest_name) table->longest_name = length;
    if (length == 0) return;
    if (text_compare(name, entry.name) != 0) entry.name = intern_name(name);
}

int64_t add_saturating(int64_t a, int64_t b) {
    int64_t sum;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b < 0 ? INT64_MIN : INT64_MAX;
}

}  // namespace oracle
