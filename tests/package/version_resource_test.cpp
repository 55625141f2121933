// Reads the version information and the manifest back from logtally.exe through the Windows
// calls that Explorer and the loader use, and checks them against the project's version.
// Usage: version_resource_test EXE VERSION; exits 0 when all checks pass, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int failures = 0;

void expect(bool ok, const char* what, const std::string& seen) {
    if (ok) return;
    std::printf("FAILED: %s (found \"%s\")\n", what, seen.c_str());
    ++failures;
}

// The value at PATH in the version information BLOCK, or "" when it is missing.
std::string query_string(std::vector<char>& block, const std::string& path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || length == 0) return "";
    return std::string(static_cast<const char*>(value));
}

void check_fixed_info(std::vector<char>& block, unsigned major, unsigned minor, unsigned patch) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
        expect(false, "the fixed file information is present", "");
        return;
    }
    const VS_FIXEDFILEINFO* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    DWORD high = major << 16 | minor, low = patch << 16;
    char seen[64];
    std::snprintf(seen, sizeof seen, "%lx %lx %lx", info->dwSignature, info->dwFileVersionMS,
                  info->dwFileVersionLS);
    expect(info->dwSignature == VS_FFI_SIGNATURE, "the fixed file information is signed", seen);
    expect(info->dwFileVersionMS == high && info->dwFileVersionLS == low,
           "the binary file version is the project's", seen);
    expect(info->dwProductVersionMS == high && info->dwProductVersionLS == low,
           "the binary product version is the project's", seen);
    expect(info->dwFileType == VFT_APP, "the file type is an application", seen);
}

void check_strings(std::vector<char>& block, const std::string& version) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) ||
        length < 2 * sizeof(WORD)) {
        expect(false, "the version information names its language", "");
        return;
    }
    const WORD* translation = static_cast<const WORD*>(value);
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", translation[0],
                  translation[1]);
    // An expected text of nullptr asks only for a value that is not empty.
    const struct {
        const char* name;
        const char* expected;
    } rows[] = {
        {"FileVersion", version.c_str()},
        {"ProductVersion", version.c_str()},
        {"ProductName", "logtally"},
        {"OriginalFilename", "logtally.exe"},
        {"FileDescription", nullptr},
        {"LegalCopyright", nullptr},
    };
    for (const auto& row : rows) {
        std::string seen = query_string(block, prefix + std::string(row.name));
        std::string what = std::string(row.name) + " is as expected";
        expect(row.expected ? seen == row.expected : !seen.empty(), what.c_str(), seen);
    }
}

// The manifest as the loader finds it: resource 1 of type RT_MANIFEST.
std::string read_manifest(const char* exe) {
    HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "";
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (bytes) text.assign(bytes, SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

void check_manifest(const char* exe) {
    std::string manifest = read_manifest(exe);
    static const struct {
        const char* text;
        bool present;
    } rows[] = {
        {"level=\"asInvoker\"", true},
        {"uiAccess=\"false\"", true},
        {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", true},  // Windows 7
        {"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", true},  // Windows 8
        {"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", true},  // Windows 8.1
        {"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", true},  // Windows 10 and 11
        // Arguments and paths are read in the system's ANSI code page.
        {"<activeCodePage", false},
    };
    expect(!manifest.empty(), "the manifest is present", "");
    for (const auto& row : rows) {
        std::string what = std::string("the manifest ") + (row.present ? "holds " : "lacks ") +
                           row.text;
        bool found = manifest.find(row.text) != std::string::npos;
        expect(found == row.present, what.c_str(), found ? row.text : "");
    }
}

}  // namespace

int main(int argc, char** argv) {
    unsigned major = 0, minor = 0, patch = 0;
    if (argc != 3 || std::sscanf(argv[2], "%u.%u.%u", &major, &minor, &patch) != 3) {
        std::printf("usage: version_resource_test EXE MAJOR.MINOR.PATCH\n");
        return 1;
    }
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(argv[1], &handle);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoA(argv[1], 0, size, block.data())) {
        std::printf("FAILED: %s carries no version information\n", argv[1]);
        return 1;
    }
    check_fixed_info(block, major, minor, patch);
    check_strings(block, argv[2]);
    check_manifest(argv[1]);
    std::printf("version resource checks %s\n", failures ? "failed" : "passed");
    return failures ? 1 : 0;
}
