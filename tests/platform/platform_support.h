// Helpers of the platform tests: scratch files, the texts the console receives, and matchers
// for the standard error of a process that ended.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "literals.h"
#include "platform/win_api.h"
#include "support/texts.h"

// A file in the working directory that is removed when the test ends.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& tag) : name_("platform-" + tag + ".tmp") {
        std::remove(name_.c_str());
    }
    ScratchFile(const std::string& tag, const std::string& content) : ScratchFile(tag) {
        write(content);
    }
    ~ScratchFile() { std::remove(name_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const char* name() const { return name_.c_str(); }

    void write(const std::string& content) const {
        std::ofstream(name_, std::ios::binary | std::ios::trunc) << content;
    }

    std::string read() const { return read_file(name_); }

private:
    std::string name_;
};

// The handle registry keeps 100 names for the life of a process, so tests that do not check
// names open their files with the system call itself instead of open_file and create_file.
inline HANDLE system_open(const char* name, DWORD access, DWORD disposition) {
    return CreateFileA(name, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// What a death test sees of a process's standard error: on Windows the capture is read back
// in text mode, which turns each CR LF into LF.
inline std::string as_captured(const std::string& text) {
#ifdef _WIN32
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
#else
    return text;
#endif
}

// Matches a standard error capture equal to text.
inline testing::Matcher<const std::string&> Exactly(const std::string& text) {
    return testing::Matcher<const std::string&>(as_captured(text));
}

// Matches the text expected except that where the hex form of one of the markers stands in
// it, any hex number may stand (a value only the child process knows).
class HexHolesMatcher : public testing::MatcherInterface<const std::string&> {
public:
    HexHolesMatcher(const std::string& expected, std::initializer_list<uint32_t> markers) {
        std::vector<std::pair<size_t, size_t>> holes;
        for (uint32_t marker : markers) {
            std::string shown = formatted("%x", marker);
            size_t at = expected.find(shown);
            if (at != std::string::npos) holes.push_back({at, shown.size()});
        }
        std::sort(holes.begin(), holes.end());
        size_t from = 0;
        for (auto [at, size] : holes) {
            pieces_.push_back(expected.substr(from, at - from));
            from = at + size;
        }
        pieces_.push_back(expected.substr(from));
    }

    bool MatchAndExplain(const std::string& text, testing::MatchResultListener*) const override {
        return matches(text, 0, 0);
    }
    void DescribeTo(std::ostream* os) const override {
        *os << "is made of";
        for (const std::string& piece : pieces_) *os << " \"" << piece << "\" <hex>";
    }

private:
    bool matches(const std::string& text, size_t at, size_t piece) const {
        const std::string& p = pieces_[piece];
        if (text.compare(at, p.size(), p) != 0) return false;
        at += p.size();
        if (piece + 1 == pieces_.size()) return at == text.size();
        for (size_t end = at; end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end])); ++end)
            if (matches(text, end + 1, piece + 1)) return true;
        return false;
    }
    std::vector<std::string> pieces_;
};

inline testing::Matcher<const std::string&> WithHexHoles(const std::string& expected,
                                                         std::initializer_list<uint32_t> markers) {
    return testing::MakeMatcher(new HexHolesMatcher(expected, markers));
}

// The fatal message of a write of count bytes that put none into the file called name, for
// reason (a literal), LF as CR LF. Where the child's own code address, handle and data
// address go, it holds stand-ins that ShortWriteFatal leaves open.
inline constexpr uint32_t kCallHole = 0xDEADBEEF, kHandleHole = 0xFEEDFACE,
                          kDataHole = 0xC0FFEE00;
inline std::string short_write_message(int32_t count, const char* name, const char* reason) {
    return with_crlf(plain(kFatalHeadText) +
                     formatted(kShortWriteFmt, kCallHole, kHandleHole, kDataHole, count, 0, name,
                               plain(reason).c_str()) +
                     plain(kFatalTailText));
}

// Matches a short write's fatal message, any hex number standing in each stand-in.
inline testing::Matcher<const std::string&> ShortWriteFatal(const std::string& message) {
    return WithHexHoles(message, {kCallHole, kHandleHole, kDataHole});
}

// Death tests run their statement in a fresh process, so the program's one-shot switches and
// the handle registry start as the program finds them.
inline void use_fresh_death_test_processes() {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
}
