// Tests of the structural index: the maps of every byte value at every place of a word, the
// keywords it finds against a plain search, and the walk against read_line on random logs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/line_index.h"
#include "platform/platform_support.h"

namespace {

bool bit(const MapWord* map, int32_t i) { return map[i / kWordBits] >> (i % kWordBits) & 1; }

// Every byte value at places around the sixteen-byte blocks and the words of the maps lands
// in the maps it belongs to and in no other.
TEST(IndexBytes, MarksEveryByteInItsMapsOnly) {
    auto index = std::make_unique<LineIndex>();
    const int32_t places[] = {0, 1, 15, 16, 31, 32, 63, 64, 65, 127, 1022};
    for (int32_t at : places) {
        for (int32_t value = 0; value < 256; ++value) {
            SCOPED_TRACE(testing::Message() << "byte " << value << " at " << at);
            char text[kLineBufferSize];
            std::memset(text, 'x', sizeof text);
            text[at] = static_cast<char>(value);
            index_bytes(text, at + 1, index->words, kLineWords, index->marks);
            const char c = static_cast<char>(value);
            EXPECT_EQ(bit(index->words + kStopMap * kLineWords, at), value <= '\r');
            EXPECT_EQ(bit(index->words + kAnchorMap * kLineWords, at), c == '(' || c == 'd');
            EXPECT_EQ(bit(index->words + kPunctMap * kLineWords, at),
                      c == '(' || c == '>' || c == '[');
            // The 'x' before it is in no map.
            for (int32_t m = 0; m < kMapCount; ++m)
                for (int32_t i = 0; i < at; ++i)
                    EXPECT_FALSE(bit(index->words + m * kLineWords, i)) << "map " << m << " at " << i;
        }
    }
}

// The keywords the index finds through their anchors, in the order of enum Keyword.
const char* const kKeywordTexts[kKeywordCount] = {
    "(VIP) (",      "(home) (",      "System clock adjusted by admin.", "Conference bridge opened",
    "(voice mail)", "(not counted)", "Call ended:",                     "Conf ended:",
};

// What find_keywords must give: each keyword's first place, found by a plain search.
Findings searched(const std::string& line) {
    Findings found{};
    for (int32_t k = 0; k < kKeywordCount; ++k) {
        size_t at = line.find(kKeywordTexts[k]);
        if (at == std::string::npos) continue;
        found.present |= 1u << k;
        found.at[k] = static_cast<int16_t>(at);
    }
    return found;
}

// Every occurrence of every keyword, (place, keyword) in the order of the places: the marks
// the index must make.
std::vector<std::pair<int32_t, int32_t>> every_place(const std::string& line) {
    std::vector<std::pair<int32_t, int32_t>> places;
    for (int32_t k = 0; k < kKeywordCount; ++k)
        for (size_t at = line.find(kKeywordTexts[k]); at != std::string::npos;
             at = line.find(kKeywordTexts[k], at + 1))
            places.emplace_back(static_cast<int32_t>(at), k);
    std::sort(places.begin(), places.end());
    return places;
}

std::vector<std::pair<int32_t, int32_t>> marked(const IndexedLine& line) {
    std::vector<std::pair<int32_t, int32_t>> places;
    for (int32_t m = 0; m < line.mark_count; ++m)
        places.emplace_back(line.marks[m].at - line.at, line.marks[m].keyword);
    return places;
}

void expect_same(const Findings& want, const Findings& got) {
    EXPECT_EQ(want.present, got.present);
    for (uint32_t k = want.present & got.present; k; k &= k - 1)
        EXPECT_EQ(want.at[__builtin_ctz(k)], got.at[__builtin_ctz(k)]) << "keyword " << __builtin_ctz(k);
}

// The line indexed on its own, its keywords found and its marks checked against a search.
Findings indexed(const std::string& line) {
    auto storage = std::make_unique<char[]>(kLineBufferSize);
    std::memset(storage.get(), 0, kLineBufferSize);
    line.copy(storage.get(), kLineSize - 1);
    auto index = std::make_unique<LineIndex>();
    IndexedLine indexed = index_line(storage.get(), static_cast<int32_t>(line.size()), index.get());
    EXPECT_EQ(every_place(line), marked(indexed));
    return indexed.found;
}

TEST(IndexLine, FindsTheFirstPlaceOfEveryKeyword) {
    const std::string filler(1000, 'y');
    const std::string rows[] = {
        "",
        "d",
        "(",
        "Call ended",
        "Call ended:",
        "xCall ended:",
        "call ended: Conf ended:",
        "Conf ended: x Call ended: y Call ended:",
        "(VIP) (VIP) (home) (",
        "(VIP) (VIP) (VIP) (VIP) (VIP) (VIP) (VIP) (VIP) (VIP) (VIP) (VIP) (VIP) (",
        "(VIP)(home) (vip) (",
        "continued: channel 9",
        "ended: (ext 5) (line 6)",
        "Call ended: ext 1 (voice mail) (not counted)",
        "Alarm System clock adjusted by admin.",
        "System clock adjusted by admin",
        "Conference bridge opened by ext 5",
        std::string(13, 'x') + "Call ended:",  // the anchor on a block's last byte
        std::string(54, 'x') + "Call ended:",  // the anchor on a word's last byte
        std::string(60, 'x') + "(home) (",     // a keyword across a word
        filler + "(not counted)",
        filler.substr(0, 1012) + "Call ended:",  // ends at the line's last character
    };
    for (const std::string& row : rows) {
        SCOPED_TRACE(row.substr(0, 60));
        expect_same(searched(row), indexed(row));
    }
}

// A short line indexed where a long one was: the anchor bits the long one left past the
// short one's end must not send the index reading past the short one's storage, which here
// ends right after its search slack (AddressSanitizer watches the byte after).
TEST(IndexLine, ReadsNoFurtherThanTheSlackOfAShortLineIndexedAfterALongOne) {
    auto index = std::make_unique<LineIndex>();
    std::string long_line(1000, 'd');
    for (size_t i = 0; i < long_line.size(); i += 2) long_line[i] = '(';
    auto long_storage = std::make_unique<char[]>(kLineBufferSize);
    std::memset(long_storage.get(), 0, kLineBufferSize);
    long_line.copy(long_storage.get(), long_line.size());
    index_line(long_storage.get(), static_cast<int32_t>(long_line.size()), index.get());
    for (int32_t length : {0, 1, 2, 17, 40}) {
        SCOPED_TRACE(length);
        auto storage = std::make_unique<char[]>(length + 1 + kSearchSlack);
        std::memset(storage.get(), 'x', length);
        std::memset(storage.get() + length, 0, 1 + kSearchSlack);
        IndexedLine line = index_line(storage.get(), length, index.get());
        EXPECT_EQ(line.mark_count, 0);
        EXPECT_EQ(line.found.present, 0u);
    }
}

TEST(IndexLine, AgreesWithASearchOnRandomLines) {
    std::mt19937 engine(7);
    const std::string pieces[] = {"(", ")", " ", "d", ":", "Call", "Conf", " ended:", "(VIP)",
                                  "(home) ", "(voice mail)", "(not counted)", "adjusted",
                                  "System clock adjusted by admin.", "Conference bridge opened",
                                  "xyz", "\t"};
    for (int n = 0; n < 3000; ++n) {
        std::string line;
        while (line.size() < engine() % 300) line += pieces[engine() % std::size(pieces)];
        line = line.substr(0, kLineSize - 1);
        SCOPED_TRACE(line);
        expect_same(searched(line), indexed(line));
    }
}

// A random log as read_line reads it, each line cut at its first NUL, against what the walk
// hands out; lines ended by LF or CR LF must be handed out in place.
std::string random_log(uint32_t seed, size_t size) {
    std::mt19937 engine(seed);
    auto below = [&](uint32_t k) { return static_cast<int>(engine() % k); };
    static const char* const kPieces[] = {"abc ", "(", "d:", "Call ended: ", "(VIP) (", "\t",
                                          "\r",   "x", "\x85", "(voice mail)", "Conf ended:"};
    static const char* const kEnds[] = {"\n", "\n", "\r\n", "\r\n", "\r\r\n", "\n\r"};
    std::string log;
    while (log.size() < size) {
        int length = below(20) == 0 ? 1000 + below(40) : below(90);
        std::string line;
        while (static_cast<int>(line.size()) < length)
            line += below(300) == 0 ? std::string(1, '\0') : kPieces[below(11)];
        log += line + kEnds[below(6)];
    }
    if (below(2)) log += "last line without LF";
    return log;
}

// The lines of log as read_line reads them, each cut at its first NUL.
std::vector<std::string> read_lines(const std::string& tag, const std::string& log) {
    ScratchFile file(tag, log);
    HANDLE handle = system_open(file.name(), GENERIC_READ, OPEN_EXISTING);
    auto reader = std::make_unique<LineReader>();
    reader_init(reader.get(), handle);
    std::vector<std::string> lines;
    char buffer[kLineSize];
    while (read_line(reader.get(), buffer, kLineSize) >= 0) lines.emplace_back(buffer);
    CloseHandle(handle);
    return lines;
}

TEST(NextLine, HandsOutTheLinesReadLineReadsWithTheirKeywords) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::string log = random_log(seed, 200000);
        std::vector<std::string> expected = read_lines("walk-plain-" + std::to_string(seed), log);
        ScratchFile file("walk-" + std::to_string(seed), log);
        HANDLE handle = system_open(file.name(), GENERIC_READ, OPEN_EXISTING);
        auto reader = std::make_unique<LineReader>();
        auto walk = std::make_unique<LineWalk>();
        auto pin = std::make_unique<LinePin>();
        pin->text = nullptr;
        reader_init(reader.get(), handle);
        walk_init(walk.get());
        IndexedLine line;
        int32_t cut = 0;
        std::vector<std::string> lines;
        size_t in_place = 0;
        // The line before, while its buffer holds it: the walk ends the next line early, and
        // must leave this one as it was handed out.
        const char* before = nullptr;
        uint32_t before_refills = 0;
        while (next_line(walk.get(), reader.get(), pin.get(), &line, &cut)) {
            std::string text(line.text, line.length);
            SCOPED_TRACE(testing::Message() << "line " << lines.size() + 1);
            EXPECT_EQ(line.text[line.length], '\0');
            if (before && reader->refills == before_refills) EXPECT_EQ(lines.back(), before);
            expect_same(searched(text), line.found);
            EXPECT_EQ(every_place(text), marked(line));
            in_place += line.text != reader->assembled;
            before = line.text != reader->assembled ? line.text : nullptr;
            before_refills = reader->refills;
            lines.push_back(text);
        }
        CloseHandle(handle);
        EXPECT_EQ(expected, lines);
        EXPECT_GT(in_place, 0u);
    }
}

// A log written on Windows, every line ended by CR LF: only the line that a refill cuts is
// assembled, one a buffer.
TEST(NextLine, HandsOutCrLfLinesInPlace) {
    std::string log;
    for (int n = 0; log.size() < 300000; ++n)
        log += " 10:00:0" + std::to_string(n % 10) + " Call ended: ext " + std::to_string(n) +
               " [0:05]\r\n";
    ScratchFile file("walk-crlf", log);
    HANDLE handle = system_open(file.name(), GENERIC_READ, OPEN_EXISTING);
    auto reader = std::make_unique<LineReader>();
    auto walk = std::make_unique<LineWalk>();
    reader_init(reader.get(), handle);
    walk_init(walk.get());
    IndexedLine line;
    int32_t cut = 0;
    size_t lines = 0, assembled = 0;
    while (next_line(walk.get(), reader.get(), nullptr, &line, &cut)) {
        ++lines;
        assembled += line.text == reader->assembled;
        EXPECT_EQ(line.text[line.length - 1], ']');
    }
    CloseHandle(handle);
    EXPECT_GT(lines, 7000u);
    EXPECT_LE(assembled, log.size() / kReaderBufferSize + 1);
}

}  // namespace
