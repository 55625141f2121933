// The structural index of the bytes read: bit maps of the line stops, the keyword anchors and
// the parser's punctuation, made in one pass per buffer, the list of the keywords found
// through the anchors, and the walk that hands out each line with its maps and keywords.
#pragma once

#include <cstdint>

#include "platform/reader.h"
#include "text/limits.h"

// A word of a bit map, bit i standing for byte i of the indexed bytes: 64 bits natively, 32
// on the 32-bit build, whose registers are that wide.
typedef uintptr_t MapWord;
inline constexpr int32_t kWordBits = sizeof(MapWord) * 8;

// The maps of an index.
enum IndexMap : int32_t {
    kStopMap,    // every byte up to CR: the line stops LF, CR and NUL are among them
    kAnchorMap,  // the bytes through which the keywords are found: '(' and 'd'
    kPunctMap,   // what the event parser looks for: kPunctBytes
    kMapCount,
};

// The punctuation the index marks: the party intros' '(', the separator's '>', the duration's
// '['.
inline constexpr char kPunctBytes[] = {'(', '>', '['};

// The keywords found through their anchors, in the order of Findings::present's bits.
enum Keyword : int32_t {
    kPatternAKeyword,  // the two cleaning patterns
    kPatternBKeyword,
    kClockKeyword,  // the keywords of the kinds that shadow an event, in the order tried
    kBridgeKeyword,
    kVoiceMailKeyword,
    kNotCountedKeyword,
    kCallEndedKeyword,  // the event keywords
    kConfEndedKeyword,
    kKeywordCount,
};
inline constexpr uint32_t kPatternBits = 1u << kPatternAKeyword | 1u << kPatternBKeyword;
inline constexpr uint32_t kEventKeywordBits = 1u << kCallEndedKeyword | 1u << kConfEndedKeyword;

// A keyword found in the indexed bytes: where it starts, and which it is.
struct KeywordMark {
    int32_t at;
    int32_t keyword;  // a Keyword
};

// Two keyword marks stand at least this far apart, so n indexed bytes hold at most
// most_marks(n) of them.
inline constexpr int32_t kLeastMarkSpacing = 6;
constexpr int32_t most_marks(int32_t n) { return n / kLeastMarkSpacing + 1; }

// Builds the maps of bytes[0..n) into words, map m at words + m * stride (stride words each,
// room for n bits and two words more), and the mark of every keyword that starts there into
// marks (room for most_marks(n)) in the order of their places. Returns the number of marks.
// Reads up to kSearchSlack bytes past n, as line storage has. The bits from n on are left as
// they come: every reader of a map bounds what it reads.
int32_t index_bytes(const char* bytes, int32_t n, MapWord* words, int32_t stride,
                    KeywordMark* marks);

// Which keywords a line holds (bit k for keyword k) and where each first starts; at[k] is
// meaningful only where its bit is set.
struct Findings {
    uint32_t present;
    int16_t at[kKeywordCount];
};

// A line and its place in an index: bit at + i of the punctuation map stands for text[i],
// as a mark at at + i does.
struct IndexedLine {
    const char* text;  // NUL-terminated, with kSearchSlack bytes of storage after the NUL
    int32_t length;
    Findings found;
    const MapWord* punct;      // the punctuation map of the storage the line lies in
    const KeywordMark* marks;  // the marks of every keyword in the line; none once cleaned
    int32_t mark_count;
    int32_t at;
};

inline int32_t lowest_bit(MapWord bits) {
    if constexpr (sizeof(MapWord) == 8)
        return __builtin_ctzll(bits);
    else
        return __builtin_ctz(static_cast<uint32_t>(bits));
}

// Words of each map over a line's storage, with a word to spare.
inline constexpr int32_t kLineWords = kLineBufferSize / kWordBits + 2;

// The index of a line outside the reader's buffer, owned by the caller.
struct LineIndex {
    MapWord words[kMapCount * kLineWords];
    KeywordMark marks[most_marks(kLineBufferSize)];
};

// Indexes text (length characters in line storage, below kLineSize) into index and returns
// the line with its keywords found.
IndexedLine index_line(const char* text, int32_t length, LineIndex* index);

// index_line into *line for a caller that knows the line's keywords: only the punctuation is
// indexed, line->found is left as it is, and the line has no marks.
void index_punctuation(const char* text, int32_t length, LineIndex* index, IndexedLine* line);

// The walk over the lines of a reader, owned by the caller: the index of the reader's buffer,
// made anew after each refill, and of the last line that had to be assembled.
struct LineWalk {
    static constexpr int32_t kStride = (kReaderBufferSize + kSearchSlack) / kWordBits + 2;
    uint32_t indexed_refills;  // the reader's refills when the buffer was indexed
    int32_t next_mark;         // the first mark not yet handed out
    // The next line of the buffer when it was ended a line ahead of its turn: its start (-1:
    // none was), stop and line end's bytes. Set anew for each line handed out in place, and
    // dropped when the buffer is indexed anew; an assembled line follows none that was set.
    int32_t ready_start, ready_stop, ready_ending;
    MapWord buffer[kMapCount * kStride];
    // The marks of the buffer, and one after them past every byte.
    KeywordMark marks[most_marks(kReaderBufferSize + kSearchSlack) + 1];
    LineIndex assembled;
};

// Prepares walk for a reader that reads from the start.
void walk_init(LineWalk* walk);

// The next line of reader, indexed and with its keywords found; *cut is 1 when the line had
// more characters than fit and the rest comes as the next line. The reader keeps pin's line
// across refills. The line after it in the buffer may already be ended (its NUL written):
// nothing of the line handed out changes. Returns false at end of input.
bool next_line(LineWalk* walk, LineReader* reader, LinePin* pin, IndexedLine* line,
               int32_t* cut);
