// Tests of the signatures that tell a compressed log.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "analysis/compressed.h"
#include "text/text.h"

namespace {

std::string compression(const std::string& head) {
    const char* name = compression_of(reinterpret_cast<const uint8_t*>(head.data()),
                                      static_cast<int32_t>(head.size()));
    return name ? decode_literal(name) : "";
}

TEST(CompressionOf, KnowsEachSignatureWhole) {
    const std::string bzip2 = "1AY&SY";
    struct Case {
        std::string head;
        std::string name;  // "" for none
    } cases[] = {
        {std::string("\x1F\x8B\x08\x00", 4), "gzip"},
        {"BZh9" + bzip2, "bzip2"},
        {"BZh1" + bzip2 + "rest", "bzip2"},
        {std::string("\xFD" "7zXZ\0", 6), "xz"},
        {"\x28\xB5\x2F\xFD", "zstd"},
        {"PK\x03\x04", "zip"},
        // a part of a signature, a wrong block size, a text that merely starts alike
        {"\x1F", ""},
        {"BZh0" + bzip2, ""},
        {"BZh9" + bzip2.substr(0, 5), ""},
        {"BZh91AY&SX", ""},
        {"\xFD" "7zXZ!", ""},
        {"PK\x03\x05", ""},
        {"PK..", ""},
        {"  9:05:12 Call ended: ext 202", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        EXPECT_EQ(c.name, compression(c.head));
    }
}

}  // namespace
