// Tallies events per identifier and keeps each identifier's last name in the name arena.
#include "analysis/tally.h"

#include "platform/memory.h"
#include "text/bytes.h"
#include "text/text.h"

TallyTable calling_line_table;
TallyTable called_extension_table;
NameArena name_arena;

namespace {

// The smallest room given a copy: a name that changes a little still fits its old copy, and
// most names fit it whole.
constexpr int32_t kLeastRoom = 32;
static_assert(kLeastRoom % 16 == 0, "a copy's room holds whole blocks of sixteen");
static_assert(kLeastRoom <= kSearchSlack, "a name's first blocks lie in its line's storage");
// A region after a compaction has this much room for every byte its names take, so that the
// next compaction is far: the moves then cost a constant share of the bytes interned.
constexpr int32_t kRegionHeadroom = 2;
constexpr uint32_t kLeastRegionSize = 65536;

// The name of every entry that was counted but never named: a name without room.
char empty_name[4];

TallyTable* const kTables[] = {&calling_line_table, &called_extension_table};

// Room for a name of length characters: a power of two, at least kLeastRoom.
int32_t room_for(int32_t length) {
    int32_t room = kLeastRoom;
    while (room < length + 1) room *= 2;
    return room;
}

// Bytes the copies of both tables' names take.
int64_t live_bytes() {
    int64_t bytes = 0;
    for (const TallyTable* table : kTables)
        for (const TallyEntry& entry : table->entry) bytes += entry.room;
    return bytes;
}

// Moves every name the tables use into region, in table order; returns the next free byte.
char* move_names(char* region) {
    for (TallyTable* table : kTables)
        for (TallyEntry& entry : table->entry) {
            if (entry.room == 0) continue;
            copy_bytes(region, entry.name, static_cast<int32_t>(entry.room));
            entry.name = region;
            region += entry.room;
        }
    return region;
}

// Makes room for a copy of size bytes: the names in use move to a new region with headroom
// and the old region goes back to the system.
[[gnu::noinline]] void compact_arena(int32_t size) {
    int64_t wanted = (live_bytes() + size) * kRegionHeadroom;
    uint32_t region_size = wanted < kLeastRegionSize ? kLeastRegionSize
                                                     : static_cast<uint32_t>(wanted);
    char* region = static_cast<char*>(page_alloc(region_size));
    char* old = name_arena.base;
    name_arena.next = move_names(region);
    name_arena.base = region;
    name_arena.end = region + region_size;
    if (old) page_free(old);
}

// Gives entry a new copy with room for length characters (1 or more), holding name. Out of
// line: a name mostly fits the copy it replaces.
[[gnu::noinline]] void intern_name(TallyEntry* entry, const char* name, int32_t length) {
    int32_t room = room_for(length);
    if (name_arena.end - name_arena.next < room) compact_arena(room);
    char* text = name_arena.next;
    name_arena.next += room;
    copy_bytes(text, name, length);
    text[length] = 0;
    entry->name = text;
    entry->room = static_cast<uint32_t>(room);
}

// An entry offered an empty name keeps its name, or takes the shared empty one on its first
// event.
void keep_empty_name(TallyEntry* entry) {
    if (!entry->name) entry->name = empty_name;
}

// Gives entry the name (length characters, 1 or more, trimmed) and counts its length: in
// place when its own copy has the room, else in a new copy. Names change on most events of
// a busy log: writing the name over its copy costs less than comparing first, and an
// unchanged name fits its own room. The shared empty name has no room.
[[gnu::always_inline]] inline void keep_name(TallyTable* table, TallyEntry* entry,
                                             const char* name, int32_t length) {
    if (length > table->longest_name) table->longest_name = length;
    if (entry->room <= static_cast<uint32_t>(length)) {
        intern_name(entry, name, length);
        return;
    }
    char* text = const_cast<char*>(entry->name);
    // The room is a multiple of sixteen, and the name comes from line storage: whole blocks,
    // the least room of them at once, as most names are shorter, then any more one by one.
    copy_blocks(text, name, kLeastRoom);
    copy_blocks(text + kLeastRoom, name + kLeastRoom, length - kLeastRoom);
    text[length] = 0;
}

// tally_event's naming for a name (length characters, 1 or more) that may have blanks at
// its ends: they are trimmed first.
[[gnu::noinline]] void keep_trimmed_name(TallyTable* table, TallyEntry* entry,
                                         const char* name, int32_t length) {
    while (length > 0 && is_blank(*name)) ++name, --length;
    while (length > 0 && is_blank(name[length - 1])) --length;
    if (length > 0) {
        keep_name(table, entry, name, length);
        return;
    }
    keep_empty_name(entry);
}

}  // namespace

void name_arena_init() {
    name_arena.base = static_cast<char*>(page_alloc(kArenaRegionSize));
    name_arena.next = name_arena.base;
    name_arena.end = name_arena.base + kArenaRegionSize;
}

int64_t name_arena_size() { return name_arena.end - name_arena.base; }

void tally_event(TallyTable* table, int32_t identifier, int64_t duration, const char* name,
                 int32_t length) {
    // Identifiers below 1 wrap to large indexes.
    uint32_t index = static_cast<uint32_t>(identifier) - 1;
    if (index >= static_cast<uint32_t>(kTallySize)) return;
    TallyEntry* entry = &table->entry[index];
    entry->count += 1;
    entry->total = add_saturating(entry->total, duration);
    if (length <= 0) {
        keep_empty_name(entry);
        return;
    }
    // Every blank is at most ' ': a name that ends in greater bytes needs no trimming.
    if (static_cast<uint8_t>(name[0]) <= ' ' || static_cast<uint8_t>(name[length - 1]) <= ' ') {
        keep_trimmed_name(table, entry, name, length);
        return;
    }
    keep_name(table, entry, name, length);
}

int64_t add_saturating(int64_t a, int64_t b) {
    int64_t sum;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b < 0 ? INT64_MIN : INT64_MAX;
}
