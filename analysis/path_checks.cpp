// Checks of the log path before it is opened.
#include "analysis/path_checks.h"

#include "platform/win_api.h"

namespace {

// The names "." and ".." end in a dot by what they are.
bool is_dot_name(const char* start, const char* end) {
    long length = end - start;
    return (length == 1 || length == 2) && start[0] == '.' && end[-1] == '.';
}

}  // namespace

bool path_names_kept(const char* path) {
    const char* start = path;
    for (const char* p = path;; ++p) {
        if (*p != 0 && !is_folder_separator(*p)) continue;
        if (p > start && dropped_at_name_end(p[-1]) && !is_dot_name(start, p)) return false;
        if (*p == 0) return true;
        start = p + 1;
    }
}
