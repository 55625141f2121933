// The two tally tables, calling lines and called extensions, and the arena that holds their
// names.
#pragma once

#include <cstdint>

// Identifiers run from 1 to kTallySize; identifier i lives at index i - 1.
inline constexpr int32_t kTallySize = 65535;

// Size of the first arena region.
inline constexpr uint32_t kArenaRegionSize = 0xA00000;

// One identifier's tally, all zero at load. Count and total are 64-bit so that a large log
// cannot wrap them (six 32-bit words on 32-bit x86). The room of the name's copy is kept
// here rather than beside the copy, so that naming an entry reads no memory but the entry.
struct TallyEntry {
    int64_t count;       // events that carried this identifier
    int64_t total;       // their summed durations in tenths of a second, saturating
    const char* name;    // last non-empty trimmed name, "" if none yet; null until counted
    uint32_t room;       // bytes name's copy in the arena may use, its NUL included; 0: none
};

// A table of every identifier and the length of the longest trimmed name ever offered to it.
struct TallyTable {
    TallyEntry entry[kTallySize];
    int32_t longest_name;
};

// The two roles a number plays in an event: its first party is the calling line, its
// second party the called extension. calling_line_table counts the calling lines,
// called_extension_table the called extensions.
extern TallyTable calling_line_table;
extern TallyTable called_extension_table;

// The name arena: the region names are copied into, its next free byte and its end. All are
// null until name_arena_init. Each copy keeps its room, so that a later name that fits
// replaces it in place; when the region is full, the names the tables still use move to a
// new region sized for them, and the old one is given back. Memory so follows the names the
// tables hold, not the number of times they change.
struct NameArena {
    char* base;
    char* next;
    char* end;
};
extern NameArena name_arena;

// Takes the first arena region with page_alloc, which ends the process if it cannot.
void name_arena_init();

// Bytes of arena region the process holds now.
int64_t name_arena_size();

// Counts one event of duration (tenths of a second) for identifier; identifiers outside
// 1..kTallySize are ignored. name (length characters, owned by the caller, left as it is) is
// trimmed and, when not empty and different from the entry's name, becomes the entry's name.
// Its storage must be readable for kSearchSlack bytes past the name's end, as line storage is.
void tally_event(TallyTable* table, int32_t identifier, int64_t duration, const char* name,
                 int32_t length);

// Asks for identifier's entry of table to be brought into the cache: the parser's caller
// asks for the called extension's entry before the calling line is tallied, so that the two
// entries come from memory side by side. Identifiers outside 1..kTallySize are ignored.
// Changes nothing.
inline void tally_prefetch(const TallyTable* table, int32_t identifier) {
    uint32_t index = static_cast<uint32_t>(identifier) - 1;
    if (index < static_cast<uint32_t>(kTallySize)) __builtin_prefetch(&table->entry[index], 1);
}

// a + b, held at the largest or smallest 64-bit value instead of wrapping.
int64_t add_saturating(int64_t a, int64_t b);
