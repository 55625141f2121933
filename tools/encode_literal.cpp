// Build step: reads the literal table and writes the scrambled literal pool and its header.
//
// Usage: encode_literal TABLE OUT_DIR [NAME=VALUE...]. Writes literals.h, literals.cpp and
// literals_plain.h, which holds the plain texts for checks made when the program is compiled.
// Each table line is "name length \"text\""; blank lines and lines starting with '#' are
// skipped. @NAME@ in a text stands for the VALUE given on the command line (the build passes
// VERSION, the project's version), and the declared length counts the text with its values
// in. The build stops with a message naming the line when a text is empty, its length is not
// the declared one, it holds a NUL or an @NAME@ that was not given, or it is longer than one
// character and holds a byte 0x80..0x9F. Each literal kName comes with its plain length as
// kNameLength.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "text/keystream.h"

namespace {

struct Literal {
    std::string name;
    std::string plain;
};

// The values of @NAME@, from the command line.
struct Value {
    std::string name;
    std::string text;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    std::fprintf(stderr, "%s: error: %s\n", where.c_str(), what.c_str());
    std::exit(1);
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Turns the quoted text with its escapes into plain bytes.
std::string unescape(const std::string& quoted, const std::string& where) {
    std::string out;
    for (size_t i = 0; i < quoted.size(); ++i) {
        char c = quoted[i];
        if (c != '\\') { out += c; continue; }
        if (++i == quoted.size()) fail(where, "escape at the end of the text");
        switch (quoted[i]) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'x': {
                int hi = i + 1 < quoted.size() ? hex_value(quoted[i + 1]) : -1;
                int lo = i + 2 < quoted.size() ? hex_value(quoted[i + 2]) : -1;
                if (hi < 0 || lo < 0) fail(where, "\\x needs two hexadecimal digits");
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default: fail(where, std::string("unknown escape \\") + quoted[i]);
        }
    }
    return out;
}

bool is_value_name(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

// Puts the values into every @NAME@ of text; an @ that starts no name stays as it is.
std::string put_values(const std::string& text, const std::vector<Value>& values,
                       const std::string& where) {
    std::string out;
    size_t from = 0;
    for (size_t at; (at = text.find('@', from)) != std::string::npos;) {
        size_t close = text.find('@', at + 1);
        std::string name = close == std::string::npos ? "" : text.substr(at + 1, close - at - 1);
        if (!is_value_name(name)) {
            out += text.substr(from, at + 1 - from);
            from = at + 1;
            continue;
        }
        const Value* value = nullptr;
        for (const Value& v : values)
            if (v.name == name) value = &v;
        if (!value) fail(where, "@" + name + "@ has no value: give " + name + "=VALUE");
        out += text.substr(from, at - from) + value->text;
        from = close + 1;
    }
    return out + text.substr(from);
}

Literal parse_line(const std::string& line, const std::vector<Value>& values,
                   const std::string& where) {
    std::istringstream in(line);
    Literal lit;
    long declared = -1;
    in >> lit.name >> declared;
    if (lit.name.empty() || declared < 0) fail(where, "expected: name length \"text\"");
    size_t open = line.find('"');
    size_t close = line.rfind('"');
    if (open == std::string::npos || close == open) fail(where, "the text needs double quotes");
    lit.plain = put_values(unescape(line.substr(open + 1, close - open - 1), where), values, where);
    long n = static_cast<long>(lit.plain.size());
    if (n == 0) fail(where, lit.name + ": the text is empty");
    if (n != declared)
        fail(where, lit.name + ": the text has " + std::to_string(n) +
                        " characters, declared " + std::to_string(declared));
    if (lit.plain.find('\0') != std::string::npos) fail(where, lit.name + ": the text holds a NUL");
    // A longer text holding a marker byte anywhere could be taken for a scrambled one when the
    // program hands on a position inside it (the rest of a text after a line feed, say).
    if (n > 1)
        for (unsigned char c : lit.plain)
            if (keystream::is_marker(c))
                fail(where, lit.name +
                                ": a text of two or more characters may not hold a byte 0x80..0x9F");
    return lit;
}

// The stored form: marker, one scrambled byte per character, NUL.
std::vector<unsigned char> scramble(const std::string& plain) {
    std::vector<unsigned char> out(1);
    uint16_t s = keystream::kSeed;
    unsigned char check = 0;
    for (unsigned char p : plain) {
        s = keystream::advance(s);
        unsigned k = keystream::key_byte(s);
        unsigned char b = static_cast<unsigned char>((p + k) & 0xFF);
        if (b == 0) b = static_cast<unsigned char>(k);
        check ^= b;
        out.push_back(b);
    }
    out[0] = static_cast<unsigned char>(keystream::kMarkerFirst + (check & keystream::kCheckMask));
    out.push_back(0);
    return out;
}

std::string comment_text(const std::string& plain) {
    std::string out;
    for (unsigned char c : plain) {
        if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c < 0x20 || c >= 0x7F) out += '?';
        else out += static_cast<char>(c);
    }
    return out;
}

// The plain text as a C++ string literal: octal escapes, which never take a following digit
// for their own, for every byte outside printable ASCII and for the quote and the backslash.
std::string quoted_text(const std::string& plain) {
    std::string out = "\"";
    for (unsigned char c : plain) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
            out += static_cast<char>(c);
            continue;
        }
        out += '\\';
        out += static_cast<char>('0' + (c >> 6));
        out += static_cast<char>('0' + (c >> 3 & 7));
        out += static_cast<char>('0' + (c & 7));
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) fail("encode_literal", "usage: encode_literal TABLE OUT_DIR [NAME=VALUE...]");
    std::vector<Value> values;
    for (int i = 3; i < argc; ++i) {
        std::string given = argv[i];
        size_t equals = given.find('=');
        if (equals == std::string::npos || !is_value_name(given.substr(0, equals)))
            fail("encode_literal", "not NAME=VALUE: " + given);
        values.push_back({given.substr(0, equals), given.substr(equals + 1)});
    }
    std::ifstream table(argv[1]);
    if (!table) fail(argv[1], "cannot read the literal table");
    std::vector<Literal> literals;
    std::string line;
    for (int number = 1; std::getline(table, line); ++number) {
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        std::string where = std::string(argv[1]) + ":" + std::to_string(number);
        literals.push_back(parse_line(line, values, where));
        for (size_t i = 0; i + 1 < literals.size(); ++i)
            if (literals[i].name == literals.back().name)
                fail(where, literals.back().name + " is defined twice");
    }
    std::string dir = argv[2];
    std::ofstream header(dir + "/literals.h"), pool(dir + "/literals.cpp");
    std::ofstream plain(dir + "/literals_plain.h");
    if (!header || !pool || !plain) fail(dir, "cannot write the generated files");

    header << "// Generated by encode_literal from text/literals.txt: edit that table instead.\n"
              "#pragma once\n\n#include <cstdint>\n\n";
    pool << "// Generated by encode_literal from text/literals.txt: edit that table instead.\n"
            "#include \"literals.h\"\n\nchar literal_pool[kLiteralPoolSize] = {\n";
    plain << "// Generated by encode_literal from text/literals.txt: edit that table instead.\n"
             "// The plain texts, for checks made when the program is compiled. Only constant\n"
             "// expressions may use them, so that the program carries every literal scrambled.\n"
             "#pragma once\n\nnamespace plain {\n\n";
    size_t offset = 0;
    std::ostringstream names;
    for (const Literal& lit : literals) {
        std::vector<unsigned char> stored = scramble(lit.plain);
        names << "// " << comment_text(lit.plain) << "\ninline constexpr char* " << lit.name
              << " = literal_pool + " << offset << ";\ninline constexpr int32_t " << lit.name
              << "Length = " << lit.plain.size() << ";\n";
        pool << "    ";
        for (unsigned char b : stored) {
            static const char digits[] = "0123456789abcdef";
            pool << "'\\x" << digits[b >> 4] << digits[b & 15] << "',";
        }
        pool << "  // " << lit.name << "\n";
        plain << "inline constexpr char " << lit.name << "[] = " << quoted_text(lit.plain) << ";\n";
        offset += stored.size();
    }
    pool << "};\n";
    plain << "\n}  // namespace plain\n";
    header << "inline constexpr int32_t kLiteralPoolSize = " << offset << ";\n"
           << "// Every literal's stored form, decoded in place on first use.\n"
           << "extern char literal_pool[kLiteralPoolSize];\n\n"
           << names.str();
    return header && pool && plain ? 0 : 1;
}
