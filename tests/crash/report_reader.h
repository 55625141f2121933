// Reads a crash report back into its values, line by line against the report's formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crash/crash.h"
#include "support/texts.h"

// An exception code the report names and the literal of the name it must show.
struct KnownException {
    uint32_t code;
    const char* name;
};

// Every code the report names, written out here rather than taken from the program's table,
// so that a wrong row there shows; the reader accepts only these names and the unlisted one.
extern const KnownException kKnownExceptions[23];

struct ReadReport {
    std::string failure;  // empty when the whole text was a report
    uint32_t code = 0, address = 0;
    std::string name;
    bool has_access = false, has_extra = false;
    std::string access_text;
    uint32_t access_address = 0, extra = 0;
    CrashValues registers = {};  // only the sixteen register fields are filled
};

// Reads text, which must be exactly one report.
ReadReport read_report(const std::string& text);
