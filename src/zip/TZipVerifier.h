#pragma once

#include "zip/TZipFault.h"

#include <cstdint>
#include <functional>
#include <string>

// What a verification of an archive found.
struct TZipVerification
{
    bool Sound = false;                  // every check passed
    std::uint64_t Entries = 0;           // entries the central directory lists
    std::uint64_t CheckedEntries = 0;    // entries read through before the end of the verification
    std::uint64_t UncompressedBytes = 0; // bytes those entries held
    std::string Fault;        // the first fault, naming its entry when it is an entry's; empty when sound
    TZipFault FaultReason;    // that fault's code and values, for a front end to word
    bool Interrupted = false; // the stop test ended the verification before every entry was checked
    // Entries that could not be checked (a method without a decompressor, or encrypted without a way to
    // decrypt), found wholly sound otherwise: the archive is then neither sound nor known to be damaged.
    std::uint64_t UncheckedEntries = 0;
    std::string Unchecked;     // why the first of them could not be checked, naming it; empty when none
    TZipFault UncheckedReason; // that reason's code and values
};

// Reads a ZIP archive back from the disk and checks all of it: the end records, the central directory,
// every local header against its central header, and every entry inflated with its CRC-32 and sizes
// (bzip2 and LZMA entries and other registered methods through the archive's decompressors).
// The central directory is read once and shared; the threads take runs of consecutive entries and read
// each run at once (large entries first, in pieces). Besides the directory, each thread holds about
// 8 MiB, however large the archive or its entries.
class TZipVerifier
{
  public:
    // Compressed bytes of the entries checked so far and in all; called from the checking threads,
    // one at a time.
    using TProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;
    // Asked between entries from the checking threads; true ends the verification early.
    using TStopTest = std::function<bool()>;

    // Verifies the archive file with the given number of threads (0: one per core). The file's pages
    // are dropped from the page cache first, so what is read is what the disk holds (pages not yet
    // written out stay: sync the file before verifying). Never throws for a damaged archive: the
    // fault is in the result; the first fault is the one of the lowest entry. An entry that cannot be
    // checked is no fault: it is counted apart, and the archive is not sound.
    static TZipVerification Verify(const std::string &zipFileName, unsigned threads = 0,
                                   const TProgress &progress = {}, const TStopTest &stopTest = {});
};
