// What the stand-in remembers of a descriptor beyond what POSIX keeps: that its file goes when
// it is closed (FILE_FLAG_DELETE_ON_CLOSE), and that it was opened as a device.
#pragma once

namespace standin {

// Remembers that the file open on fd under name is deleted when fd is closed or the process
// ends. False when it cannot be (no room left, a name longer than the system takes): the
// caller then fails the open.
bool delete_on_close(int fd, const char* name);

// Before fd is closed: deletes the name that delete_on_close gave fd, when that name still
// holds fd's file (another file under the name is never touched), and forgets fd.
void delete_before_close(int fd);

// Deletes every name delete_on_close recorded that still holds its file: what the system
// does when the process ends. Async-signal-safe.
void delete_all_on_close();

// Marks fd as opened through the device namespace (or clears the mark); is_device_handle
// tells. Descriptors above 1023 are never marked.
void mark_device(int fd, bool device);
bool is_device_handle(int fd);

}  // namespace standin
