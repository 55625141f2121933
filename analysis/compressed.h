// Compressed logs, known by the signature their first bytes carry: refused before any line is
// read, since their bytes read as a few lines of garbage and give plausible empty reports.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

// The most bytes a signature takes.
inline constexpr int32_t kSignatureSize = 10;

// The name of the compression whose signature the first length bytes of head carry (a
// literal: gzip, bzip2, xz, zstd or zip), or null when they carry none. No text can start with
// a signature: each holds a control or high byte, or, for bzip2, "BZh" with a block size and
// the fixed "1AY&SY".
const char* compression_of(const uint8_t* head, int32_t length);

// The compression of the log open on input (see compression_of), read from its first bytes,
// or null. The log is read from its start again afterwards; when the system cannot go back
// there, the process ends with the fatal read message naming path.
const char* compression_of_log(HANDLE input, const char* path);
