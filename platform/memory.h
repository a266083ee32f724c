#ifndef PLATFORM_MEMORY_H_
#define PLATFORM_MEMORY_H_

namespace platform {

// How the C library's allocator keeps memory, for a run that builds large
// tables and lets them go again. Both do nothing where the allocator is not
// glibc's.

// Blocks from 128 KiB up (page images, file contents, growing tables) get
// mappings of their own and go back to the system when freed. glibc would
// raise this limit once the first such block is freed and serve later ones
// from the heap, where their freed space stays resident. Called once, first
// thing in the program.
void KeepLargeBlocksApart();

// Hands the free pages inside the heap back to the system, after a step
// that let go of much memory, so that they do not count again at the next
// step's peak.
void ReleaseFreeMemory();

}  // namespace platform

#endif  // PLATFORM_MEMORY_H_
