// The handle registry: most recent name wins, names are cut at 261 characters, 100 slots.
#include "platform/handles.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/process.h"
#include "platform_support.h"

namespace {

// Handle values no file of the test process will ever get.
HANDLE fake_handle(uintptr_t n) { return reinterpret_cast<HANDLE>(0x7F000000u + n * 4); }

std::string name_of(HANDLE handle) {
    char out[kHandleNameSize];
    handle_name(handle, out);
    return out;
}

TEST(HandleRegistry, NeverRegisteredHandleHasEmptyName) {
    EXPECT_EQ(name_of(fake_handle(1)), "");
}

TEST(HandleRegistry, MostRecentRegistrationWins) {
    register_handle_name(fake_handle(2), "first.txt");
    register_handle_name(fake_handle(3), "other.txt");
    EXPECT_EQ(name_of(fake_handle(2)), "first.txt");
    register_handle_name(fake_handle(2), "second.txt");
    EXPECT_EQ(name_of(fake_handle(2)), "second.txt");
    EXPECT_EQ(name_of(fake_handle(3)), "other.txt");
}

TEST(HandleRegistry, NamesAreCutAt261Characters) {
    struct Row {
        int length;
        int stored;
    } rows[] = {{0, 0}, {1, 1}, {260, 260}, {261, 261}, {262, 261}, {600, 261}};
    uintptr_t n = 10;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.length);
        std::string name(row.length, 'n');
        register_handle_name(fake_handle(n), name.c_str());
        EXPECT_EQ(name_of(fake_handle(n)), name.substr(0, row.stored));
        ++n;
    }
}

TEST(HandleRegistry, LookupWritesNameAndNulOnly) {
    std::string name(300, 'k');
    register_handle_name(fake_handle(20), name.c_str());
    char out[320];
    std::fill(out, out + sizeof out, 'x');
    handle_name(fake_handle(20), out);
    EXPECT_EQ(std::string(out, kHandleNameMax), std::string(kHandleNameMax, 'k'));
    EXPECT_EQ(out[kHandleNameMax], '\0');
    EXPECT_EQ(std::string(out + kHandleNameSize, out + sizeof out),
              std::string(sizeof out - kHandleNameSize, 'x'));
}

// In a fresh process: 100 registrations are kept, the 101st and later are dropped, so a
// handle keeps the name of its earlier slot.
void fill_registry_and_check() {
    for (uintptr_t i = 0; i < 100; ++i)
        register_handle_name(fake_handle(100 + i), std::to_string(i).c_str());
    int failures = 0;
    for (uintptr_t i = 0; i < 100; ++i)
        failures += name_of(fake_handle(100 + i)) != std::to_string(i);
    register_handle_name(fake_handle(300), "dropped");
    register_handle_name(fake_handle(100), "also dropped");
    failures += name_of(fake_handle(300)) != "";
    failures += name_of(fake_handle(100)) != "0";
    process_exit(failures);
}

TEST(HandleRegistry, HoldsOneHundredRegistrations) {
    use_fresh_death_test_processes();
    EXPECT_EXIT(fill_registry_and_check(), testing::ExitedWithCode(0), Exactly(""));
}

}  // namespace
