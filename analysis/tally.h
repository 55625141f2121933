// The two tally tables, one per party role, and the append-only arena that holds their names.
#pragma once

#include <cstdint>

// Identifiers run from 1 to kTallySize; identifier i lives at index i - 1.
inline constexpr int32_t kTallySize = 65535;

// Size of one arena region; a full region is followed by another of the same size.
inline constexpr uint32_t kArenaRegionSize = 0xA00000;

// One identifier's tally, all zero at load. Count and total are 64-bit so that a large log
// cannot wrap them (six 32-bit words with the name pointer and its padding on 32-bit x86).
struct TallyEntry {
    int64_t count;       // events that carried this identifier
    int64_t total;       // their summed durations in tenths of a second, saturating
    const char* name;    // last non-empty trimmed name, "" if none yet; null until counted
};

// A table of every identifier and the length of the longest trimmed name ever offered to it.
struct TallyTable {
    TallyEntry entry[kTallySize];
    int32_t longest_name;
};

// The table of first parties (callers) and the table of second parties (called extensions).
extern TallyTable first_party_table;
extern TallyTable second_party_table;

// The name arena: the next free byte and the end of the current region. Both are null until
// name_arena_init; a test may point them at a small buffer of its own.
struct NameArena {
    char* next;
    char* end;
};
extern NameArena name_arena;

// Takes the first arena region with page_alloc, which ends the process if it cannot.
void name_arena_init();

// Copies text and its NUL into the arena and returns the copy, which stays valid for the
// rest of the run. A text that no longer fits the current region goes into a new one.
const char* intern_name(const char* text);

// Counts one event of duration (tenths of a second) for identifier; identifiers outside
// 1..kTallySize are ignored. name is trimmed in place (owned by the caller) and, when not
// empty and different from the entry's name, interned as the entry's new name.
void tally_event(TallyTable* table, int32_t identifier, int64_t duration, char* name);

// a + b, held at the largest or smallest 64-bit value instead of wrapping.
int64_t add_saturating(int64_t a, int64_t b);
