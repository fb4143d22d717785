#pragma once

#include <QtGlobal>

// Every cycle makes and frees buffers of the feed's and the page's size. Left to itself,
// glibc raises its mmap threshold to the largest block freed, and from then on such buffers
// come from the heap, which keeps growing with the scraps between them. With the threshold
// fixed they are mapped and returned to the system whole, so the process stays its size.
// Called once, before the first cycle; elsewhere than on glibc it does nothing.
void keepLargeBuffersOffTheHeap();

// Asks the system to back the `bytes` at `data`, a buffer about to be filled, with large
// pages where it can: a fresh mapping of tens of megabytes otherwise costs a page fault for
// every 4 KiB written, which more than doubled the time the cards of a 10,000-item feed
// took to build. A hint only: buffers under a few megabytes and systems without large pages are
// left as they are.
void adviseLargePages(void *data, qsizetype bytes);
