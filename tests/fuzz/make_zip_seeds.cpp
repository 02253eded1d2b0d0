// Writes seed archives for the read-side fuzzer into the folder given as argument: archives from the
// unit's own writer, and a few made byte by byte at the edges the reader must refuse or survive
// (ZIP64 end records, sizes that wrap, entries that share bytes, names that differ, padded extras).

#include "zip/TMemoryStream.h"
#include "zip/TZipFile.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void Save(const std::filesystem::path &folder, const std::string &name, const TBytes &bytes)
{
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + (folder / name).string());
}

TBytes Text(const std::string &text)
{
    return TBytes(text.begin(), text.end());
}

TBytes Written(bool utf8, TZipCompression compression, const std::string &comment)
{
    TMemoryStream archive;
    TZipFile zip;
    zip.Open(archive, zmWrite);
    zip.SetUTF8Support(utf8);
    zip.Add(Text("hello hello hello hello"), "hello.txt", compression);
    TMemoryStream empty;
    zip.Add(empty, "folder/", zcStored, {faDirectory});
    zip.Add(Text(std::string(3000, 'a') + "b"), "folder/\xC4\x8D\xC4\x87.txt", compression);
    zip.Add(TBytes{}, "folder/empty", compression);
    zip.SetComment(comment);
    zip.Close();
    return archive.Bytes();
}

// Little-endian record images, field by field.
class Raw
{
  public:
    Raw &Int(std::uint64_t value, int count)
    {
        for (int i = 0; i < count; ++i)
            FBytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return *this;
    }
    Raw &U16(std::uint64_t value) { return Int(value, 2); }
    Raw &U32(std::uint64_t value) { return Int(value, 4); }
    Raw &U64(std::uint64_t value) { return Int(value, 8); }
    Raw &Bytes(const TBytes &bytes)
    {
        FBytes.insert(FBytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    std::uint64_t Size() const { return FBytes.size(); }
    const TBytes &Get() const { return FBytes; }

  private:
    TBytes FBytes;
};

std::uint32_t Crc(const TBytes &data)
{
    return static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
}

void Local(Raw &raw, const std::string &name, const TBytes &data, const TBytes &extra = {})
{
    raw.U32(0x04034B50).U16(20).U16(0).U16(0).U32(0).U32(Crc(data)).U32(data.size()).U32(data.size());
    raw.U16(name.size()).U16(extra.size()).Bytes(Text(name)).Bytes(extra).Bytes(data);
}

void Central(Raw &raw, const std::string &name, const TBytes &data, std::uint64_t offset,
             const TBytes &extra = {}, bool zip64Sizes = false)
{
    const std::uint64_t size = zip64Sizes ? 0xFFFFFFFF : data.size();
    raw.U32(0x02014B50).U16(45).U16(20).U16(0).U16(0).U32(0).U32(Crc(data)).U32(size).U32(size);
    raw.U16(name.size()).U16(extra.size()).U16(0).U16(0).U16(0).U32(0).U32(offset);
    raw.Bytes(Text(name)).Bytes(extra);
}

void End(Raw &raw, std::uint64_t entries, std::uint64_t size, std::uint64_t offset)
{
    raw.U32(0x06054B50).U16(0).U16(0).U16(entries).U16(entries).U32(size).U32(offset).U16(0);
}

void Zip64End(Raw &raw, std::uint64_t entries, std::uint64_t size, std::uint64_t offset)
{
    const std::uint64_t record = raw.Size();
    raw.U32(0x06064B50).U64(44).U16(45).U16(45).U32(0).U32(0).U64(entries).U64(entries).U64(size).U64(offset);
    raw.U32(0x07064B50).U32(0).U64(record).U32(1);
    End(raw, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
}

TBytes Zip64Records()
{
    const TBytes data = Text("zip64 sizes and end records");
    Raw raw;
    Local(raw, "a.txt", data);
    const std::uint64_t directory = raw.Size();
    Raw item;
    item.U16(1).U16(16).U64(data.size()).U64(data.size());
    Central(raw, "a.txt", data, 0, item.Get(), true);
    Zip64End(raw, 1, raw.Size() - directory, directory);
    return raw.Get();
}

TBytes WrappedDirectory()
{
    Raw raw;
    Zip64End(raw, 1, 0xB8000000, 0 - std::uint64_t{0xB8000000});
    return raw.Get();
}

TBytes SharedEntry()
{
    const TBytes data(500, 'x');
    Raw raw;
    Local(raw, "a", data);
    const std::uint64_t directory = raw.Size();
    Central(raw, "a", data, 0);
    Central(raw, "b", data, 0);
    End(raw, 2, raw.Size() - directory, directory);
    return raw.Get();
}

TBytes NameDiffers()
{
    const TBytes data = Text("payload");
    Raw raw;
    Local(raw, "safe.txt", data);
    const std::uint64_t directory = raw.Size();
    Central(raw, "../x.txt", data, 0);
    End(raw, 1, raw.Size() - directory, directory);
    return raw.Get();
}

TBytes PaddedExtra()
{
    const TBytes data = Text("padded");
    Raw extra;
    extra.U16(0x5455).U16(5).Int(3, 1).U32(0x58000000).U16(0);
    Raw raw;
    Local(raw, "p.txt", data, extra.Get());
    const std::uint64_t directory = raw.Size();
    Central(raw, "p.txt", data, 0, extra.Get());
    End(raw, 1, raw.Size() - directory, directory);
    return raw.Get();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        Save(folder, "own_deflate.zip", Written(true, zcDeflate, "a comment"));
        Save(folder, "own_stored.zip", Written(true, zcStored, ""));
        Save(folder, "own_cp437.zip", Written(false, zcDeflate, ""));
        TMemoryStream empty;
        {
            TZipFile zip;
            zip.Open(empty, zmWrite);
            zip.Close();
        }
        Save(folder, "own_empty.zip", empty.Bytes());
        Save(folder, "edge_zip64_records.zip", Zip64Records());
        Save(folder, "edge_wrapped_directory.zip", WrappedDirectory());
        Save(folder, "edge_shared_entry.zip", SharedEntry());
        Save(folder, "edge_name_differs.zip", NameDiffers());
        Save(folder, "edge_padded_extra.zip", PaddedExtra());
    } catch (const std::exception &error) {
        std::fprintf(stderr, "make_zip_seeds: %s\n", error.what());
        return 1;
    }
    return 0;
}
