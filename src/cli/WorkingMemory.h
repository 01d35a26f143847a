// The heap of a short-lived command process, set up for the memory a render
// touches once.
#pragma once

// Grows the heap by a stretch of address space at once, asks the kernel to back
// it with 2 MB pages where it can, and makes the allocator serve large blocks
// from it and keep what is freed. Call once, at the start of main, before any
// thread is started. Every step may fail (another C library, a kernel without
// transparent huge pages): the process then runs as without it.
void PrepareWorkingMemory();
