// Extraction into a folder that already holds things: links planted there are replaced, never
// written through, and a file that an entry was to replace survives when the entry turns out damaged.

#include "ZipTestUtil.h"

#include "zip/EZipException.h"
#include "zip/TMemoryStream.h"
#include "zip/TZipFile.h"

#include <gtest/gtest.h>

#include <map>

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

void WriteArchive(const std::string &path, const Entries &entries)
{
    TZipFile zip;
    zip.Open(path, zmWrite);
    for (const auto &[name, content] : entries) {
        if (name.ends_with('/')) {
            TMemoryStream empty;
            zip.Add(empty, name, zcStored, {faDirectory});
        } else {
            zip.Add(ToBytes(content), name);
        }
    }
    zip.Close();
}

// Every path below root (links not followed) with its kind and, for files, content.
std::map<std::string, std::string> Snapshot(const fs::path &root)
{
    std::map<std::string, std::string> items;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string relative = it->path().lexically_relative(root).generic_string();
        if (it->is_symlink()) {
            items[relative] = "link -> " + fs::read_symlink(it->path()).string();
        } else if (it->is_directory()) {
            items[relative] = "folder";
        } else {
            const TBytes bytes = ReadFileBytes(it->path().string());
            items[relative] = std::string(bytes.begin(), bytes.end());
        }
    }
    return items;
}

struct LinkCase
{
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Links; // name in the destination -> target
    Entries Archive;
    std::map<std::string, std::string> Expected; // the destination afterwards
};

void PrintTo(const LinkCase &value, std::ostream *out)
{
    *out << value.Name;
}

class PreexistingLink : public ::testing::TestWithParam<LinkCase>
{
};

TEST_P(PreexistingLink, IsReplacedNotWrittenThrough)
{
    TTempDir dir;
    const fs::path outside = dir.Path() / "outside";
    const fs::path target = dir.Path() / "target";
    fs::create_directories(outside / "folder");
    WriteFileBytes((outside / "precious.txt").string(), ToBytes("precious"));
    fs::create_directories(target);
    for (const auto &[name, linkTarget] : GetParam().Links)
        fs::create_symlink(linkTarget == "MISSING" ? outside / "missing" : outside / linkTarget,
                           target / name);
    const auto outsideBefore = Snapshot(outside);
    WriteArchive(dir.File("a.zip"), GetParam().Archive);

    TZipFile::ExtractZipFile(dir.File("a.zip"), target.string());

    EXPECT_EQ(Snapshot(outside), outsideBefore);
    EXPECT_EQ(Snapshot(target), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Extract, PreexistingLink,
    ::testing::Values(LinkCase{"LinkToAFolderOnTheWay",
                               {{"link", "folder"}},
                               {{"link/x.txt", "new"}},
                               {{"link", "folder"}, {"link/x.txt", "new"}}},
                      LinkCase{"LinkToAFolderAsAFolderEntry",
                               {{"link", "folder"}},
                               {{"link/", ""}, {"link/deeper/x.txt", "new"}},
                               {{"link", "folder"}, {"link/deeper", "folder"}, {"link/deeper/x.txt", "new"}}},
                      LinkCase{"LinkToAFileAtTheEntrysName",
                               {{"file.txt", "precious.txt"}},
                               {{"file.txt", "new"}},
                               {{"file.txt", "new"}}},
                      LinkCase{"DanglingLinkAtTheEntrysName",
                               {{"file.txt", "MISSING"}},
                               {{"file.txt", "new"}},
                               {{"file.txt", "new"}}}),
    [](const ::testing::TestParamInfo<LinkCase> &info) { return info.param.Name; });

struct DamageCase
{
    std::string Name;
    std::size_t FromEnd; // position of the damaged byte, counted from the end of the archive
    std::string Message;
};

void PrintTo(const DamageCase &value, std::ostream *out)
{
    *out << value.Name;
}

class DamagedEntryOverAFile : public ::testing::TestWithParam<DamageCase>
{
};

TEST_P(DamagedEntryOverAFile, LeavesTheOldFileAsItWas)
{
    TTempDir dir;
    const fs::path target = dir.Path() / "target";
    WriteFileBytes((target / "data.txt").string(), ToBytes("the old content"));
    WriteArchive(dir.File("a.zip"), {{"data.txt", std::string(5000, 'n')}});
    TBytes archive = ReadFileBytes(dir.File("a.zip"));
    archive[archive.size() - GetParam().FromEnd] ^= 0x55;
    WriteFileBytes(dir.File("a.zip"), archive);

    try {
        TZipFile::ExtractZipFile(dir.File("a.zip"), target.string());
        FAIL() << "damage not noticed";
    } catch (const EZipException &error) {
        EXPECT_EQ(std::string(error.what()), GetParam().Message);
    }
    EXPECT_EQ(Snapshot(target), (std::map<std::string, std::string>{{"data.txt", "the old content"}}));
}

// The end record is 22 bytes, the central header before it 46 + 8 (the name).
INSTANTIATE_TEST_SUITE_P(
    Extract, DamagedEntryOverAFile,
    ::testing::Values(DamageCase{"CrcMismatch", 22 + 54 - 16, "CRC-32 mismatch in zip entry: data.txt"},
                      DamageCase{"SizeMismatch", 22 + 54 - 24, "Size mismatch in zip entry: data.txt"}),
    [](const ::testing::TestParamInfo<DamageCase> &info) { return info.param.Name; });

TEST(Extract, SoundEntryReplacesAnOldFileAndItsTime)
{
    TTempDir dir;
    const fs::path target = dir.Path() / "target";
    WriteFileBytes((target / "data.txt").string(), ToBytes("the old content, longer than the new"));
    {
        TZipFile zip;
        zip.Open(dir.File("a.zip"), zmWrite);
        TMemoryStream content(ToBytes("new"));
        // 2001-02-03 04:05:06 local time
        zip.Add(content, "data.txt", zcDeflate, {},
                (21u << 25) | (2u << 21) | (3u << 16) | (4u << 11) | (5u << 5) | 3u);
        zip.Close();
    }
    TZipFile::ExtractZipFile(dir.File("a.zip"), target.string());
    EXPECT_EQ(Snapshot(target), (std::map<std::string, std::string>{{"data.txt", "new"}}));
    std::tm parts{};
    parts.tm_year = 101;
    parts.tm_mon = 1;
    parts.tm_mday = 3;
    parts.tm_hour = 4;
    parts.tm_min = 5;
    parts.tm_sec = 6;
    parts.tm_isdst = -1;
    const auto written = fs::last_write_time(target / "data.txt");
    const auto expected =
        std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(std::mktime(&parts)));
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(written - expected).count(), 0);
}

} // namespace
