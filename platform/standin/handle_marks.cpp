// The stand-in's marks on descriptors: files to delete on close, and devices.
#include "platform/standin/handle_marks.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace standin {

namespace {

// The program holds one such file at a time (its lock); a few more leave room for tests.
constexpr int kDeleteOnCloseSlots = 4;

struct DeleteOnClose {
    int fd;  // -1: the slot is free
    dev_t device;
    ino_t inode;
    char name[PATH_MAX];
};

DeleteOnClose slots[kDeleteOnCloseSlots] = {{-1, 0, 0, {}}, {-1, 0, 0, {}}, {-1, 0, 0, {}},
                                            {-1, 0, 0, {}}};

constexpr int kMarkedDescriptors = 1024;
uint64_t device_marks[kMarkedDescriptors / 64];

// Removes the slot's name when it still holds the file recorded, then frees the slot. Unlink
// before close: whoever locks the file after this process let go of it finds its name gone.
void delete_slot(DeleteOnClose* slot) {
    struct stat status;
    if (lstat(slot->name, &status) == 0 && status.st_dev == slot->device &&
        status.st_ino == slot->inode)
        unlink(slot->name);
    slot->fd = -1;
}

}  // namespace

bool delete_on_close(int fd, const char* name) {
    struct stat status;
    if (std::strlen(name) >= PATH_MAX || fstat(fd, &status) != 0) return false;
    for (DeleteOnClose& slot : slots) {
        if (slot.fd >= 0) continue;
        std::strcpy(slot.name, name);
        slot.device = status.st_dev;
        slot.inode = status.st_ino;
        slot.fd = fd;
        return true;
    }
    return false;
}

void delete_before_close(int fd) {
    for (DeleteOnClose& slot : slots)
        if (slot.fd == fd) delete_slot(&slot);
}

void delete_all_on_close() {
    for (DeleteOnClose& slot : slots)
        if (slot.fd >= 0) delete_slot(&slot);
}

void mark_device(int fd, bool device) {
    if (fd < 0 || fd >= kMarkedDescriptors) return;
    uint64_t bit = uint64_t{1} << (fd % 64);
    if (device) device_marks[fd / 64] |= bit;
    else device_marks[fd / 64] &= ~bit;
}

bool is_device_handle(int fd) {
    if (fd < 0 || fd >= kMarkedDescriptors) return false;
    return (device_marks[fd / 64] >> (fd % 64)) & 1;
}

}  // namespace standin
