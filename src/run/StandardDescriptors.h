#pragma once

// Makes sure descriptors 0, 1 and 2 are open, on /dev/null where they were closed. A program started with
// them closed (as some schedulers do) would otherwise hand them to the first files it opens, and what it
// writes to standard error would land in those files. Call first thing in main().
void OpenStandardDescriptors();
