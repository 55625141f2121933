// Line classification: the index has found the keywords that come before the event's and the
// event's own; the later ones, which only a line without those needs, are searched for.
#include "analysis/classify.h"

#include "literals.h"
#include "text/bytes.h"

namespace {

// The kind each keyword the index finds decides, for the keywords tried before the later
// kinds' in the order of their bits: the lowest bit present decides.
constexpr LineKind kKindOf[kKeywordCount] = {
    kNoKeywordLine,         kNoKeywordLine,  // the cleaning patterns decide nothing
    kClockAdjustedLine,     kConferenceBridgeLine, kVoiceMailLine, kNotCountedLine,
    kEventLine,             kEventLine,
};
constexpr uint32_t kKindBits = ~kPatternBits & ((1u << kKeywordCount) - 1);
static_assert(kClockKeyword < kBridgeKeyword && kBridgeKeyword < kVoiceMailKeyword &&
                  kVoiceMailKeyword < kNotCountedKeyword && kNotCountedKeyword < kCallEndedKeyword,
              "the keywords' bits come in the order the kinds are tried");

// The keywords tried after the event's, in order.
struct SearchedKind {
    const char* keyword;
    int32_t length;
    LineKind kind;
};
const SearchedKind kSearchedKinds[] = {
    {kKind8Keyword, kKind8KeywordLength, kCallSetupLine},
    {kKind7Keyword, kKind7KeywordLength, kAlarmLine},
    {kKind9Keyword, kKind9KeywordLength, kOperatorLoginLine},
};

}  // namespace

LineKind classify_line(const IndexedLine& line) {
    if (uint32_t kinds = line.found.present & kKindBits) return kKindOf[__builtin_ctz(kinds)];
    for (const SearchedKind& k : kSearchedKinds)
        if (find_bytes(line.text, line.length, k.keyword, k.length)) return k.kind;
    return kNoKeywordLine;
}
