// How the process takes its memory from the system.
#pragma once

#include <cstddef>

// The heap the sheet lives in, set up for large pages. A full Calculation
// touches some 30 MB within a fraction of a second: about 8,000 first-touch
// page faults with pages of 4 KB, which cost more than reading, computing
// and writing the sheet on a virtual machine. So every thread allocates
// from the one main heap, which grows in steps of `HeapStep` and never
// hands memory back below twice that, and its first step asks the kernel
// for transparent huge pages (a request only: without them the heap works
// as before). To be called at the start of main, before any thread starts.
inline constexpr std::size_t HeapStep = std::size_t{64} << 20;
void PrepareHeap();
