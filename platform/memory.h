// The page allocator: whole pages from the system, with timed retries.
#pragma once

#include <cstdint>

// Committed, zero-filled, read-write memory of at least size bytes, in whole pages. Retries
// after 500, 1000 and 2000 ms; the fourth failure ends the process through fatal_error.
// Never returns null.
void* page_alloc(uint32_t size);

// Gives a region from page_alloc back to the system; 1 when the system refused (the region
// then stays), else 0.
int32_t page_free(void* region);
