#pragma once

// Helpers shared by the ZIP unit's tests: temporary folders, file bytes, hex fixtures.

#include "zip/TStream.h"
#include "zip/ZipTypes.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace ziptest {

// A fresh folder under the system's temporary folder, removed with everything in it at scope end.
class TTempDir
{
  public:
    TTempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "arkivoda-zip-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TTempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TTempDir(const TTempDir &) = delete;
    TTempDir &operator=(const TTempDir &) = delete;

    const std::filesystem::path &Path() const { return FPath; }
    std::string File(const std::string &name) const { return (FPath / name).string(); }

  private:
    std::filesystem::path FPath;
};

inline TBytes ReadFileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string &path, const TBytes &bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline TBytes ToBytes(const std::string &text)
{
    return TBytes(text.begin(), text.end());
}

// "50 4B 03 04" -> bytes; spaces and line breaks are ignored.
inline TBytes Hex(const std::string &hex)
{
    TBytes bytes;
    std::string digits;
    for (char c : hex) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits.push_back(c);
    }
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline std::string ToHex(const TBytes &bytes)
{
    static const char *const DIGITS = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text.push_back(' ');
        text.push_back(DIGITS[bytes[i] >> 4]);
        text.push_back(DIGITS[bytes[i] & 15]);
    }
    return text;
}

inline TBytes Slice(const TBytes &bytes, std::size_t offset, std::size_t count)
{
    return TBytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                  bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

inline std::uint32_t U32At(const TBytes &bytes, std::size_t offset)
{
    return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

inline std::uint16_t U16At(const TBytes &bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint64_t U64At(const TBytes &bytes, std::size_t offset)
{
    return U32At(bytes, offset) | (static_cast<std::uint64_t>(U32At(bytes, offset + 4)) << 32);
}

// Runs a shell command, returning its exit status and its standard output and error together.
inline int RunCommand(const std::string &command, std::string &output)
{
    output.clear();
    FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, count);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool HaveCommand(const std::string &name)
{
    std::string ignored;
    return RunCommand("command -v " + name, ignored) == 0;
}

} // namespace ziptest
