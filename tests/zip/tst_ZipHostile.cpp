// Hostile archives: records whose sizes and offsets wrap or overreach, entries that share bytes or
// lie about their names, declared sizes that would decide how much memory a read takes, and failures
// of every kind reaching the caller as the unit's own exception types.

#include "AllocationBudget.h"
#include "ZipTestUtil.h"

#include "zip/EStreamError.h"
#include "zip/EZipException.h"
#include "zip/TFileStream.h"
#include "zip/TMemoryStream.h"
#include "zip/TZipFile.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <functional>
#include <optional>

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t FEW_MB = 4u << 20;

// Little-endian record images, built field by field so that any field can lie.
class Raw
{
  public:
    Raw &U16(std::uint64_t value) { return Int(value, 2); }
    Raw &U32(std::uint64_t value) { return Int(value, 4); }
    Raw &U64(std::uint64_t value) { return Int(value, 8); }
    Raw &Bytes(const TBytes &bytes)
    {
        FBytes.insert(FBytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Raw &Text(const std::string &text) { return Bytes(ToBytes(text)); }
    std::size_t Size() const { return FBytes.size(); }
    const TBytes &Get() const { return FBytes; }

  private:
    Raw &Int(std::uint64_t value, int count)
    {
        for (int i = 0; i < count; ++i)
            FBytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return *this;
    }

    TBytes FBytes;
};

std::uint32_t Crc(const TBytes &bytes)
{
    return static_cast<std::uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

// One stored entry's local header and data.
void LocalEntry(Raw &raw, const std::string &name, const TBytes &data, const TBytes &extra = {})
{
    raw.U32(0x04034B50).U16(20).U16(0).U16(0).U32(0).U32(Crc(data)).U32(data.size()).U32(data.size());
    raw.U16(name.size()).U16(extra.size()).Text(name).Bytes(extra).Bytes(data);
}

struct CentralRecord
{
    std::string Name;
    TBytes Data;
    std::uint64_t Offset = 0;
    std::optional<std::uint32_t> CompressedSize = {}; // the data's length unless given
    TBytes Extra = {};
};

void CentralEntry(Raw &raw, const CentralRecord &entry)
{
    const std::uint32_t compressed =
        entry.CompressedSize.value_or(static_cast<std::uint32_t>(entry.Data.size()));
    raw.U32(0x02014B50).U16(20).U16(20).U16(0).U16(0).U32(0).U32(Crc(entry.Data)).U32(compressed);
    raw.U32(entry.Data.size()).U16(entry.Name.size()).U16(entry.Extra.size()).U16(0).U16(0).U16(0).U32(0);
    raw.U32(entry.Offset).Text(entry.Name).Bytes(entry.Extra);
}

void EndRecord(Raw &raw, std::uint64_t entries, std::uint64_t size, std::uint64_t offset)
{
    raw.U32(0x06054B50).U16(0).U16(0).U16(entries).U16(entries).U32(size).U32(offset).U16(0);
}

// A ZIP64 end record, its locator and a plain end record that defers to them: 98 bytes.
void Zip64EndRecords(Raw &raw, std::uint64_t entries, std::uint64_t size, std::uint64_t offset,
                     std::uint64_t recordOffset)
{
    raw.U32(0x06064B50).U64(44).U16(20).U16(20).U32(0).U32(0).U64(entries).U64(entries).U64(size).U64(offset);
    raw.U32(0x07064B50).U32(0).U64(recordOffset).U32(1);
    EndRecord(raw, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
}

// Stored entries laid out one after the other, with a central directory describing them truly.
TBytes Archive(const std::vector<std::pair<std::string, TBytes>> &entries)
{
    Raw raw;
    std::vector<CentralRecord> records;
    for (const auto &[name, data] : entries) {
        records.push_back({name, data, raw.Size()});
        LocalEntry(raw, name, data);
    }
    const std::size_t directory = raw.Size();
    for (const CentralRecord &record : records)
        CentralEntry(raw, record);
    EndRecord(raw, records.size(), raw.Size() - directory, directory);
    return raw.Get();
}

// --- Records that lie ------------------------------------------------------------------------

struct HostileCase
{
    std::string Name;
    std::function<TBytes()> Build;
    std::string Message; // "" when the archive must open and test cleanly
};

void PrintTo(const HostileCase &value, std::ostream *out)
{
    *out << value.Name;
}

class HostileArchive : public ::testing::TestWithParam<HostileCase>
{
};

// Opens the archive and tests every entry; the first failure's text, or "" when all went well.
std::string OpenAndTest(TStream &archive)
{
    try {
        TZipFile zip;
        zip.Open(archive, zmRead);
        for (int i = 0; i < zip.FileCount(); ++i)
            zip.Test(i);
        return {};
    } catch (const EZipException &error) {
        return error.what();
    } catch (const std::exception &error) {
        return std::string("foreign exception: ") + error.what();
    }
}

TEST_P(HostileArchive, IsRefusedWithinAFewMegabytes)
{
    const TBytes bytes = GetParam().Build();
    TTempDir dir;
    WriteFileBytes(dir.File("hostile.zip"), bytes);
    TMemoryStream archive(bytes);
    std::string message;
    bool valid = false;
    std::size_t used = 0;
    std::size_t refused = 0;
    {
        AllocationBudget budget(FEW_MB);
        message = OpenAndTest(archive);
        valid = TZipFile::IsValid(dir.File("hostile.zip"));
        used = budget.Used();
        refused = budget.LargestRefused();
    }
    EXPECT_EQ(refused, 0u) << "asked for " << refused << " bytes";
    EXPECT_LE(used, FEW_MB);
    EXPECT_EQ(message, GetParam().Message);
    if (GetParam().Message.find("Invalid zip file: damaged central") == 0 ||
        GetParam().Message.find("Invalid zip file: damaged ZIP64") == 0) {
        EXPECT_FALSE(valid);
    }
}

const std::uint64_t WRAP = 0; // 2^64 as an unsigned 64-bit sum

INSTANTIATE_TEST_SUITE_P(
    Hostile, HostileArchive,
    ::testing::Values(
        HostileCase{"Zip64DirectoryWrapsToTheStart",
                    [] {
                        Raw raw;
                        Zip64EndRecords(raw, 1, 0xB8000000, WRAP - 0xB8000000, 0);
                        return raw.Get();
                    },
                    "Invalid zip file: damaged central directory"},
        HostileCase{"Zip64DirectoryOfHalfTheAddressSpace",
                    [] {
                        Raw raw;
                        Zip64EndRecords(raw, 1, 1ull << 63, 1ull << 63, 0);
                        return raw.Get();
                    },
                    "Invalid zip file: damaged central directory"},
        HostileCase{"Zip64DirectoryWrapsBehindAnEntry",
                    [] {
                        Raw raw;
                        LocalEntry(raw, "a", ToBytes("hello"));
                        const std::uint64_t directory = raw.Size();
                        Zip64EndRecords(raw, 1, 0x300000000, directory - 0x300000000, directory);
                        return raw.Get();
                    },
                    "Invalid zip file: damaged central directory"},
        HostileCase{"Zip64RecordOffsetWraps",
                    [] {
                        Raw raw;
                        Zip64EndRecords(raw, 0, 0, 0, WRAP - 8);
                        return raw.Get();
                    },
                    "Invalid zip file: damaged ZIP64 end of central directory"},
        HostileCase{"Zip64LocalOffsetBeyondTheFile",
                    [] {
                        Raw raw;
                        const std::uint64_t directory = raw.Size();
                        Raw item;
                        item.U16(1).U16(8).U64(1ull << 62);
                        CentralEntry(raw, {"far", ToBytes("x"), 0xFFFFFFFF, 1, item.Get()});
                        EndRecord(raw, 1, raw.Size() - directory, directory);
                        return raw.Get();
                    },
                    "Invalid zip file: damaged central directory"},
        HostileCase{"Zip64CompressedSizeBeyondTheFile",
                    [] {
                        Raw raw;
                        LocalEntry(raw, "a", ToBytes("hello"));
                        const std::uint64_t directory = raw.Size();
                        Raw item;
                        item.U16(1).U16(8).U64(WRAP - 8);
                        CentralEntry(raw, {"a", ToBytes("hello"), 0, 0xFFFFFFFF, item.Get()});
                        EndRecord(raw, 1, raw.Size() - directory, directory);
                        return raw.Get();
                    },
                    "Invalid zip file: damaged central directory"},
        HostileCase{"TwoRecordsShareOneEntry",
                    [] {
                        Raw raw;
                        LocalEntry(raw, "a", TBytes(1000, 'x'));
                        const std::uint64_t directory = raw.Size();
                        CentralEntry(raw, {"a", TBytes(1000, 'x'), 0});
                        CentralEntry(raw, {"a", TBytes(1000, 'x'), 0});
                        EndRecord(raw, 2, raw.Size() - directory, directory);
                        return raw.Get();
                    },
                    "Invalid zip file: overlapping entries"},
        HostileCase{"EntryStartsInsideTheDataBeforeIt",
                    [] {
                        // The second entry's local header is hidden inside the first one's data.
                        Raw inner;
                        LocalEntry(inner, "b", ToBytes("inner"));
                        TBytes outer = ToBytes("0123456789");
                        outer.insert(outer.end(), inner.Get().begin(), inner.Get().end());
                        Raw raw;
                        LocalEntry(raw, "a", outer);
                        const std::uint64_t directory = raw.Size();
                        CentralEntry(raw, {"a", outer, 0});
                        CentralEntry(raw, {"b", ToBytes("inner"), 30 + 1 + 10});
                        EndRecord(raw, 2, raw.Size() - directory, directory);
                        return raw.Get();
                    },
                    "Invalid zip file: overlapping entries"},
        HostileCase{"DataRunsIntoTheDirectory",
                    [] {
                        Raw raw;
                        LocalEntry(raw, "a", ToBytes("hello"));
                        const std::uint64_t directory = raw.Size();
                        CentralEntry(raw, {"a", ToBytes("hello"), 0, 5 + 20});
                        EndRecord(raw, 1, raw.Size() - directory, directory);
                        return raw.Get();
                    },
                    "Invalid zip file: damaged central directory"},
        HostileCase{"LocalExtraFieldPushesDataIntoTheNextEntry",
                    [] {
                        // The local header of "a" claims a 9-byte extra field, so its data would start
                        // inside the local header of "b", 5 bytes after the name.
                        Raw raw;
                        raw.U32(0x04034B50).U16(20).U16(0).U16(0).U32(0).U32(Crc(ToBytes("hello")));
                        raw.U32(5).U32(5).U16(1).U16(9).Text("a").Bytes(TBytes(5, 0));
                        const std::uint64_t second = raw.Size();
                        LocalEntry(raw, "b", ToBytes("world"));
                        const std::uint64_t directory = raw.Size();
                        CentralEntry(raw, {"a", ToBytes("hello"), 0});
                        CentralEntry(raw, {"b", ToBytes("world"), second});
                        EndRecord(raw, 2, raw.Size() - directory, directory);
                        return raw.Get();
                    },
                    "Invalid zip file: overlapping entries: a"},
        HostileCase{"LocalNameDiffersFromCentralName",
                    [] {
                        Raw raw;
                        LocalEntry(raw, "innocent.txt", ToBytes("hello")); // as long as the central name
                        const std::uint64_t directory = raw.Size();
                        CentralEntry(raw, {"../../ev.txt", ToBytes("hello"), 0});
                        EndRecord(raw, 1, raw.Size() - directory, directory);
                        return raw.Get();
                    },
                    "Invalid zip file: local name differs from central name: ../../ev.txt"},
        HostileCase{"SoundArchive",
                    [] {
                        return Archive({{"a", ToBytes("hello")}, {"b/", {}}, {"b/c", ToBytes("world")}});
                    },
                    ""}),
    [](const ::testing::TestParamInfo<HostileCase> &info) { return info.param.Name; });

} // namespace

// --- Memory a read takes ---------------------------------------------------------------------

namespace {

// An archive with one deflated entry of size zero bytes.
TBytes ZerosArchive(std::int64_t size)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    TMemoryStream zeros(TBytes(static_cast<std::size_t>(size), 0));
    zip.Add(zeros, "zeros.bin", zcDeflate, {}, 0x58000000);
    zip.Close();
    return archive.Bytes();
}

} // namespace

TEST(ReadMemory, LargeEntryIsTestedAndReadWithoutASecondCopy)
{
    constexpr std::int64_t size = 64 << 20;
    TMemoryStream archive(ZerosArchive(size));
    TZipFile zip;
    zip.Open(archive, zmRead);

    std::size_t testUsed = 0;
    {
        AllocationBudget budget(FEW_MB);
        zip.Test(0);
        testUsed = budget.Used();
    }
    EXPECT_LE(testUsed, FEW_MB);

    TBytes bytes;
    std::size_t readUsed = 0;
    std::size_t refused = 0;
    {
        AllocationBudget budget(size + FEW_MB);
        try {
            zip.Read(0, bytes);
        } catch (const std::exception &) {
        }
        readUsed = budget.Used();
        refused = budget.LargestRefused();
    }
    EXPECT_EQ(refused, 0u);
    EXPECT_LE(readUsed, static_cast<std::size_t>(size) + FEW_MB);
    EXPECT_EQ(bytes, TBytes(static_cast<std::size_t>(size), 0));
}

struct DeclaredSizeCase
{
    std::string Name;
    std::uint64_t DeclaredSize;
    std::string Message;
};

void PrintTo(const DeclaredSizeCase &value, std::ostream *out)
{
    *out << value.Name;
}

class DeclaredSize : public ::testing::TestWithParam<DeclaredSizeCase>
{
};

// Raw deflate data (no zlib header or trailer), as entries hold it.
TBytes Deflate(const TBytes &data)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    TBytes out(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = const_cast<Bytef *>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// A 1000-byte deflated entry whose central record declares another uncompressed size.
TEST_P(DeclaredSize, DoesNotDecideHowMuchAReadIntoMemoryAllocates)
{
    const TBytes content(1000, 'z');
    const TBytes data = Deflate(content);
    Raw raw;
    raw.U32(0x04034B50).U16(20).U16(0).U16(8).U32(0).U32(Crc(content)).U32(data.size()).U32(1000);
    raw.U16(1).U16(0).Text("z").Bytes(data);
    const std::uint64_t directory = raw.Size();
    const std::uint64_t declared = GetParam().DeclaredSize;
    Raw item;
    if (declared >= 0xFFFFFFFF)
        item.U16(1).U16(8).U64(declared);
    raw.U32(0x02014B50).U16(20).U16(20).U16(0).U16(8).U32(0).U32(Crc(content)).U32(data.size());
    raw.U32(declared >= 0xFFFFFFFF ? 0xFFFFFFFF : declared).U16(1).U16(item.Size()).U16(0).U16(0).U16(0);
    raw.U32(0).U32(0).Text("z").Bytes(item.Get());
    EndRecord(raw, 1, raw.Size() - directory, directory);

    TMemoryStream archive(raw.Get());
    TZipFile zip;
    zip.Open(archive, zmRead);
    std::string message;
    std::size_t refused = 0;
    {
        AllocationBudget budget(FEW_MB);
        try {
            TBytes bytes;
            zip.Read(0, bytes);
        } catch (const std::exception &error) {
            message = error.what();
        }
        refused = budget.LargestRefused();
    }
    EXPECT_EQ(refused, 0u) << "asked for " << refused << " bytes";
    EXPECT_EQ(message, GetParam().Message);
}

INSTANTIATE_TEST_SUITE_P(ReadMemory, DeclaredSize,
                         ::testing::Values(DeclaredSizeCase{"LargerThanTheDataCanHold", 200u << 20,
                                                            "Size mismatch in zip entry: z"},
                                           DeclaredSizeCase{"AboveTheLimit", 5ull << 30,
                                                            "Zip entry too large to read into memory: z"}),
                         [](const ::testing::TestParamInfo<DeclaredSizeCase> &info) {
                             return info.param.Name;
                         });

// --- Failures reach the caller as the unit's own exceptions ----------------------------------

struct FailureCase
{
    std::string Name;
    std::function<void(const TTempDir &)> Action;
    std::string Text; // part of the message: the system's own words
};

void PrintTo(const FailureCase &value, std::ostream *out)
{
    *out << value.Name;
}

class UnitFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(UnitFailure, IsRaisedAsAZipOrStreamErrorWithTheSystemsText)
{
    TTempDir dir;
    std::string message;
    try {
        GetParam().Action(dir);
        message = "no failure";
    } catch (const EZipException &error) {
        message = error.what();
    } catch (const EStreamError &error) {
        message = error.what();
    } catch (const std::exception &error) {
        message = std::string("foreign exception ") + typeid(error).name() + ": " + error.what();
    }
    EXPECT_NE(message.find(GetParam().Text), std::string::npos) << message;
    EXPECT_EQ(message.find("foreign exception"), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, UnitFailure,
    ::testing::Values(FailureCase{"MissingArchive",
                                  [](const TTempDir &dir) {
                                      TZipFile zip;
                                      zip.Open(dir.File("missing.zip"), zmRead);
                                  },
                                  "No such file or directory"},
                      FailureCase{"ArchiveIsAFolder",
                                  [](const TTempDir &dir) {
                                      fs::create_directory(dir.File("folder.zip"));
                                      TZipFile zip;
                                      zip.Open(dir.File("folder.zip"), zmRead);
                                  },
                                  "Is a directory"},
                      FailureCase{"DestinationBelowAFile",
                                  [](const TTempDir &dir) {
                                      WriteFileBytes(dir.File("a.zip"), Archive({{"x/y.txt", ToBytes("y")}}));
                                      WriteFileBytes(dir.File("blocker"), ToBytes("a file, not a folder"));
                                      TZipFile::ExtractZipFile(dir.File("a.zip"), dir.File("blocker/out"));
                                  },
                                  "Not a directory"},
                      FailureCase{"FolderEntryWhereAFileIs",
                                  [](const TTempDir &dir) {
                                      WriteFileBytes(dir.File("a.zip"), Archive({{"x/", {}}}));
                                      WriteFileBytes(dir.File("out/x"), ToBytes("a file, not a folder"));
                                      TZipFile::ExtractZipFile(dir.File("a.zip"), dir.File("out"));
                                  },
                                  "File exists"},
                      FailureCase{"ReadIntoAFullDevice",
                                  [](const TTempDir &) {
                                      TMemoryStream archive(Archive({{"big", TBytes(2u << 20, 'b')}}));
                                      TZipFile zip;
                                      zip.Open(archive, zmRead);
                                      TFileStream full("/dev/full", fmOpenReadWrite);
                                      zip.Read(0, full);
                                  },
                                  "No space left on device"},
                      FailureCase{"OutOfMemory",
                                  [](const TTempDir &) {
                                      // A directory of about 200 KiB: it cannot be held within the budget,
                                      // the message can.
                                      std::vector<std::pair<std::string, TBytes>> entries;
                                      for (int i = 0; i < 2000; ++i)
                                          entries.emplace_back(std::string(50, 'n') + std::to_string(i),
                                                               TBytes{});
                                      TMemoryStream archive(Archive(entries));
                                      TZipFile zip;
                                      AllocationBudget budget(128u << 10);
                                      zip.Open(archive, zmRead);
                                  },
                                  "Out of memory"}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return info.param.Name; });

// --- What the directory reports --------------------------------------------------------------

struct Zip64ItemCase
{
    std::string Name;
    TBytes Extra; // the central record's extra field
};

void PrintTo(const Zip64ItemCase &value, std::ostream *out)
{
    *out << value.Name;
}

class Zip64Item : public ::testing::TestWithParam<Zip64ItemCase>
{
};

// A 5-byte stored entry whose central record marks both sizes 0xFFFFFFFF and gives them in the item.
TEST_P(Zip64Item, SizesReportedAgreeWithWhatIsRead)
{
    Raw raw;
    LocalEntry(raw, "a", ToBytes("hello"));
    const std::uint64_t directory = raw.Size();
    raw.U32(0x02014B50).U16(45).U16(45).U16(0).U16(0).U32(0).U32(Crc(ToBytes("hello"))).U32(0xFFFFFFFF);
    raw.U32(0xFFFFFFFF).U16(1).U16(GetParam().Extra.size()).U16(0).U16(0).U16(0).U32(0).U32(0);
    raw.Text("a").Bytes(GetParam().Extra);
    EndRecord(raw, 1, raw.Size() - directory, directory);

    TMemoryStream archive(raw.Get());
    TZipFile zip;
    zip.Open(archive, zmRead);
    TBytes content;
    zip.Read(0, content);
    EXPECT_EQ(content, ToBytes("hello"));
    const TZipHeader info = zip.FileInfo(0);
    EXPECT_EQ(info.GetZIP64_UncompressedSize(), 5u);
    EXPECT_EQ(info.GetZIP64_CompressedSize(), 5u);
    EXPECT_EQ(info.UncompressedSize, 5u);
    EXPECT_EQ(info.CompressedSize, 5u);
}

INSTANTIATE_TEST_SUITE_P(
    Directory, Zip64Item,
    ::testing::Values(
        Zip64ItemCase{"Exact", Raw().U16(1).U16(16).U64(5).U64(5).Get()},
        Zip64ItemCase{"TrailingBytesInTheItem", Raw().U16(1).U16(20).U64(5).U64(5).U32(0).Get()},
        Zip64ItemCase{"TrailingBytesAfterTheItem", Raw().U16(1).U16(16).U64(5).U64(5).U16(0).Get()},
        Zip64ItemCase{"OverrunningItemAfterIt",
                      Raw().U16(1).U16(16).U64(5).U64(5).U16(0x5455).U16(9).U32(0).Get()}),
    [](const ::testing::TestParamInfo<Zip64ItemCase> &info) { return info.param.Name; });

TEST(Directory, IndexOfFindsTheFirstEntryOfANameWithoutRegardToAsciiCase)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.Add(ToBytes("1"), "Folder/Mačka.txt");
    zip.Add(ToBytes("2"), "folder/mačka.TXT");
    zip.Add(ToBytes("3"), "other.txt");
    EXPECT_EQ(zip.IndexOf("FOLDER/MAčKA.txt"), 0);
    EXPECT_EQ(zip.IndexOf("FOLDER/MAČKA.txt"), -1) << "only A-Z are folded";
    EXPECT_EQ(zip.IndexOf("new.txt"), -1);
    zip.Add(ToBytes("4"), "new.txt");
    EXPECT_EQ(zip.IndexOf("NEW.TXT"), 3) << "an entry added after a lookup";
    zip.Close();

    archive.SetPosition(0);
    zip.Open(archive, zmRead);
    EXPECT_EQ(zip.IndexOf("OTHER.txt"), 2);
    EXPECT_EQ(zip.IndexOf("folder/mačka.txt"), 0);
    TMemoryStream second(Archive({{"only.txt", ToBytes("x")}}));
    zip.Open(second, zmRead);
    EXPECT_EQ(zip.IndexOf("other.txt"), -1) << "nothing kept from the archive before";
    EXPECT_EQ(zip.IndexOf("ONLY.TXT"), 0);
}
