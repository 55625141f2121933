// Fuzzes the literal decoder with arbitrary bytes inside and outside the literal pool.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "literals.h"
#include "text/keystream.h"
#include "text/text.h"

namespace {

// What the decoder must leave in a marked text: the plain bytes, or the text unchanged.
std::string expected_decoding(const std::string& t) {
    uint8_t marker = static_cast<uint8_t>(t[0]);
    if (t.size() < 2 || marker < 0x80 || marker > 0x9F) return t;
    uint8_t check = 0;
    for (size_t i = 1; i < t.size(); ++i) check ^= static_cast<uint8_t>(t[i]);
    if ((check & 0x1F) != (marker & 0x1F)) return t;
    std::string plain;
    uint16_t s = keystream::kSeed;
    for (size_t i = 1; i < t.size(); ++i) {
        s = keystream::advance(s);
        uint8_t k = keystream::key_byte(s);
        uint8_t b = static_cast<uint8_t>(t[i]);
        plain += static_cast<char>(b == k ? 256 - k : b - k);
    }
    return plain;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str();
    size_t room = text.size() + 2;

    // Outside the pool nothing is ever written.
    std::string outside = text;
    decode_literal(outside.c_str());
    if (outside != text) abort();

    // Inside the pool a marked text decodes exactly, and nothing past its NUL changes.
    if (room + 8 > static_cast<size_t>(kLiteralPoolSize)) return 0;
    std::string saved(literal_pool, room + 8);
    std::memcpy(literal_pool, text.c_str(), text.size() + 1);
    std::memset(literal_pool + text.size() + 1, 'g', room + 8 - text.size() - 1);
    decode_literal(literal_pool);
    std::string want = expected_decoding(text);
    if (std::string(literal_pool) != want) abort();
    for (size_t i = text.size() + 1; i < room + 8; ++i)
        if (literal_pool[i] != 'g') abort();
    std::memcpy(literal_pool, saved.data(), saved.size());
    return 0;
}
