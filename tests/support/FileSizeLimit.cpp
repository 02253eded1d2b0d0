#include "FileSizeLimit.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    if (::sigaction(SIGXFSZ, &ignore, &m_previousAction) != 0)
        throw std::runtime_error(std::string("cannot ignore SIGXFSZ: ") + std::strerror(errno));
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &m_previous) != 0)
        throw std::runtime_error(std::string("cannot read the file-size limit: ") + std::strerror(errno));
    limit.rlim_cur = bytes;
    limit.rlim_max = m_previous.rlim_max;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        ::sigaction(SIGXFSZ, &m_previousAction, nullptr);
        throw std::runtime_error(std::string("cannot set the file-size limit: ") + std::strerror(errno));
    }
}

FileSizeLimit::~FileSizeLimit()
{
    // Only the soft limit was lowered, so the old one is within reach of an unprivileged process. Tests
    // that ran on under the limit would fail for reasons of their own, so a failure here ends the run.
    if (::setrlimit(RLIMIT_FSIZE, &m_previous) != 0 ||
        ::sigaction(SIGXFSZ, &m_previousAction, nullptr) != 0) {
        std::fprintf(stderr, "cannot lift the file-size limit: %s\n", std::strerror(errno));
        std::abort();
    }
}
