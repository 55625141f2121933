// Tells a compressed log by its signature and puts the log back at its start.
#include "analysis/compressed.h"

#include "literals.h"
#include "platform/fatal.h"
#include "platform/reasons.h"

namespace {

// A byte of a signature, or any block size '1'..'9' (bzip2 names its block size there).
constexpr uint16_t kBlockSize = 0x100;

struct Signature {
    uint16_t bytes[kSignatureSize];
    int32_t length;
    const char* name;
};

const Signature kSignatures[] = {
    {{0x1F, 0x8B}, 2, kGzipText},
    {{'B', 'Z', 'h', kBlockSize, 0x31, 0x41, 0x59, 0x26, 0x53, 0x59}, 10, kBzip2Text},
    {{0xFD, 0x37, 0x7A, 0x58, 0x5A, 0x00}, 6, kXzText},
    {{0x28, 0xB5, 0x2F, 0xFD}, 4, kZstdText},
    {{0x50, 0x4B, 0x03, 0x04}, 4, kZipText},
};

bool byte_matches(uint16_t expected, uint8_t byte) {
    if (expected == kBlockSize) return byte >= '1' && byte <= '9';
    return expected == byte;
}

bool carries(const Signature& signature, const uint8_t* head, int32_t length) {
    if (length < signature.length) return false;
    for (int32_t i = 0; i < signature.length; ++i)
        if (!byte_matches(signature.bytes[i], head[i])) return false;
    return true;
}

}  // namespace

const char* compression_of(const uint8_t* head, int32_t length) {
    for (const Signature& signature : kSignatures)
        if (carries(signature, head, length)) return signature.name;
    return nullptr;
}

// A failed read is left to the line loop, which reports it with the system's reason.
const char* compression_of_log(HANDLE input, const char* path) {
    uint8_t head[kSignatureSize];
    DWORD got = 0;
    if (!ReadFile(input, head, kSignatureSize, &got, nullptr)) got = 0;
    if (SetFilePointer(input, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        char reason[kReasonSize];
        fatal_error(kReadFailedFmt, path, system_reason(GetLastError(), reason));
    }
    return compression_of(head, static_cast<int32_t>(got));
}
