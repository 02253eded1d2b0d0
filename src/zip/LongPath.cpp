#include "zip/LongPath.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor when it goes out of scope, keeping errno as the failure left it.
class TDescriptor
{
  public:
    explicit TDescriptor(int fd = -1) : FFd(fd) {}
    ~TDescriptor() { Reset(-1); }
    TDescriptor(const TDescriptor &) = delete;
    TDescriptor &operator=(const TDescriptor &) = delete;
    void Reset(int fd)
    {
        if (FFd >= 0) {
            const int saved = errno;
            ::close(FFd);
            errno = saved;
        }
        FFd = fd;
    }
    int Get() const { return FFd; }

  private:
    int FFd;
};

// Opens the folder that holds the last piece of a long path and returns the rest, short enough for
// one call relative to it; the folder is AT_FDCWD when the whole path already is.
bool ReachLastPiece(const std::string &path, TDescriptor &folder, std::string &rest)
{
    rest = path;
    while (rest.size() >= PATH_MAX) {
        // The longest leading piece that ends at a separator and stays under the limit.
        const std::size_t cut = rest.rfind('/', PATH_MAX - 1);
        if (cut == std::string::npos || cut == 0) {
            errno = ENAMETOOLONG;
            return false;
        }
        const std::string piece = rest.substr(0, cut);
        const int base = folder.Get() >= 0 ? folder.Get() : AT_FDCWD;
        int next;
        do {
            next = ::openat(base, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        } while (next < 0 && errno == EINTR);
        if (next < 0)
            return false;
        folder.Reset(next);
        rest.erase(0, cut + 1);
    }
    return true;
}

} // namespace

int OpenLongPath(const std::string &path, int flags, mode_t mode)
{
    TDescriptor folder;
    std::string rest;
    if (!ReachLastPiece(path, folder, rest))
        return -1;
    const int base = folder.Get() >= 0 ? folder.Get() : AT_FDCWD;
    int fd;
    do {
        fd = ::openat(base, rest.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int StatLongPath(const std::string &path, struct stat &status)
{
    TDescriptor folder;
    std::string rest;
    if (!ReachLastPiece(path, folder, rest))
        return -1;
    return ::fstatat(folder.Get() >= 0 ? folder.Get() : AT_FDCWD, rest.c_str(), &status, 0);
}
