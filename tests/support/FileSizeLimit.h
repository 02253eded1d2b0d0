#pragma once

#include <sys/resource.h>

#include <csignal>

// Makes writes of this process beyond a given file size fail with EFBIG, as a full disk makes them
// fail, for as long as the object lives. SIGXFSZ is ignored meanwhile: without that the kernel
// would end the process at the first write past the limit instead of failing the write.
class FileSizeLimit
{
  public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();

    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

  private:
    rlimit m_previous{};
    struct sigaction m_previousAction = {};
};
