// The stand-in's message box: with no desktop, the box is shown as text on the terminal.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/standin/win_standin.h"

namespace {

void put_text(int fd, const char* text) {
    size_t length = text ? std::strlen(text) : 0;
    while (length > 0) {
        ssize_t moved = write(fd, text, length);
        if (moved <= 0) return;
        text += moved;
        length -= static_cast<size_t>(moved);
    }
}

}  // namespace

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
    int fd = terminal >= 0 ? terminal : 2;
    put_text(fd, "[");
    put_text(fd, caption);
    put_text(fd, "] ");
    put_text(fd, text);
    put_text(fd, "\n");
    if (terminal >= 0) close(terminal);
    return IDOK;
}
