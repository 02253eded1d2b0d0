// The archive file's exclusive creation: a name that is taken is refused, the file is locked against
// other writers while it is open, and closing notices a file that lost its name meanwhile. A created
// file is its owner's alone, whatever the umask.

#include "ZipTestUtil.h"

#include "zip/TFileStream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// An archive holds copies of private files: other users of the machine may not read it, even where the
// umask would let them read what they create.
class TFileStreamCreatedMode : public ::testing::TestWithParam<std::tuple<TFileStreamMode, mode_t>>
{
};

TEST_P(TFileStreamCreatedMode, IsReadableByItsOwnerOnly)
{
    const auto [mode, mask] = GetParam();
    const TTempDir dir;
    const std::string name = dir.File("a.zip");
    const mode_t previous = ::umask(mask);
    {
        TFileStream file(name, mode);
        file.WriteBuffer("PK", 2);
        file.Close();
    }
    ::umask(previous);
    struct stat status = {};
    ASSERT_EQ(::stat(name.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

INSTANTIATE_TEST_SUITE_P(Umasks, TFileStreamCreatedMode,
                         ::testing::Combine(::testing::Values(fmCreate, fmCreateNew),
                                            ::testing::Values(mode_t(0), mode_t(022), mode_t(077))));
