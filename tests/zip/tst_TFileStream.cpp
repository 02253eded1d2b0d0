// The archive file's exclusive creation: a name that is taken is refused, the file is locked against
// other writers while it is open, and closing notices a file that lost its name meanwhile.

#include "ZipTestUtil.h"

#include "zip/TFileStream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

using ziptest::TTempDir;

namespace {

// Whether another open file description may lock the file at once, as another run would try.
bool lockableByOthers(const std::string &name)
{
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool lockable = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
    ::close(fd);
    return lockable;
}

} // namespace

TEST(TFileStreamCreateNew, RefusesANameThatIsTaken)
{
    const TTempDir dir;
    const std::string name = dir.File("a.zip");
    TFileStream first(name, fmCreateNew);
    try {
        TFileStream second(name, fmCreateNew);
        FAIL() << "a second exclusive creation succeeded";
    } catch (const std::system_error &failure) {
        EXPECT_EQ(failure.code().value(), EEXIST);
    }
}

TEST(TFileStreamCreateNew, IsLockedUntilClosed)
{
    const TTempDir dir;
    const std::string name = dir.File("a.zip");
    TFileStream file(name, fmCreateNew);
    file.WriteBuffer("PK", 2);
    EXPECT_FALSE(lockableByOthers(name));
    file.Close();
    EXPECT_TRUE(lockableByOthers(name));
}

TEST(TFileStreamCreateNew, ClosingAFileThatLostItsNameFails)
{
    const TTempDir dir;
    const std::string name = dir.File("a.zip");
    TFileStream file(name, fmCreateNew);
    file.WriteBuffer("PK", 2);
    ASSERT_EQ(::unlink(name.c_str()), 0);
    EXPECT_THROW(file.Close(), std::system_error);
}
