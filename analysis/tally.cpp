// Tallies events per identifier and keeps each identifier's last name in the name arena.
#include "analysis/tally.h"

#include "platform/process.h"
#include "text/text.h"

TallyTable first_party_table;
TallyTable second_party_table;
NameArena name_arena;

namespace {

// The name of every entry that was counted but never named.
char empty_name[1];

}  // namespace

void name_arena_init() {
    name_arena.next = static_cast<char*>(page_alloc(kArenaRegionSize));
    name_arena.end = name_arena.next + kArenaRegionSize;
}

const char* intern_name(const char* text) {
    int32_t size = text_length(text) + 1;
    // Names already handed out stay where they are; the rest of the old region is left unused.
    if (name_arena.end - name_arena.next < size) name_arena_init();
    char* copy = name_arena.next;
    text_copy(copy, text);
    name_arena.next += size;
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
