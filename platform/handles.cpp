// The handle registry: 100 slots filled from the last towards the first, never freed.
#include "platform/handles.h"

#include "text/text.h"

namespace {

constexpr int32_t kSlotCount = 100;

struct HandleSlot {
    HANDLE handle;  // 0: the slot is free
    char name[kHandleNameSize];
};

HandleSlot slots[kSlotCount];

}  // namespace

void register_handle_name(HANDLE handle, const char* name) {
    decode_literal(name);
    for (int32_t i = kSlotCount - 1; i >= 0; --i) {
        if (slots[i].handle != 0) continue;
        slots[i].handle = handle;
        text_copy_n(slots[i].name, name, kHandleNameMax);
        return;
    }
}

// The slot nearest the first is the most recent, so its name is the one left in out.
void handle_name(HANDLE handle, char* out) {
    out[0] = 0;
    for (int32_t i = kSlotCount - 1; i >= 0; --i) {
        if (slots[i].handle == handle) text_copy(out, slots[i].name);
    }
}
