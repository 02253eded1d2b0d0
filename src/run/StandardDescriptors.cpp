#include "run/StandardDescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

void OpenStandardDescriptors()
{
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        // open() takes the lowest free number, which is this one: the ones below are open already.
        const int opened = ::open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
        if (opened > 2)
            ::close(opened);
    }
}
