// Independent readers (Info-ZIP unzip, 7-Zip, bsdtar, Python's zipfile) test and extract a small
// mixed archive with Croatian names, written with UTF-8 names and with code page 437 names.

#include "ZipTestUtil.h"

#include "zip/TMemoryStream.h"
#include "zip/TZipFile.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t T = 0x586F6DAF;

struct Reader
{
    std::string Name;
    std::string Test;    // %a = archive
    std::string Extract; // %a = archive, %d = target folder
    std::string Success; // text the test command prints when all is well ("" = exit status only)
};

const std::vector<Reader> &Readers()
{
    static const std::vector<Reader> readers = {
        {"unzip", "unzip -t %a", "unzip -q %a -d %d", "No errors detected"},
        {"7zz", "7zz t %a", "7zz x -y -o%d %a", "Everything is Ok"},
        {"bsdtar", "bsdtar -tf %a", "bsdtar -xf %a -C %d", ""},
        {"python3", "python3 -m zipfile -t %a", "python3 -m zipfile -e %a %d", ""},
    };
    return readers;
}

std::string Substitute(std::string command, const std::string &archive, const std::string &folder)
{
    for (const auto &[key, value] : {std::pair<std::string, std::string>{"%a", "'" + archive + "'"},
                                     std::pair<std::string, std::string>{"%d", "'" + folder + "'"}}) {
        for (std::size_t at = command.find(key); at != std::string::npos; at = command.find(key))
            command.replace(at, key.size(), value);
    }
    return "LC_ALL=C.UTF-8 " + command;
}

std::map<std::string, TBytes> MixedContents()
{
    std::mt19937 generator(11);
    TBytes random(200000);
    for (auto &byte : random)
        byte = static_cast<std::uint8_t>(generator());
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "sigurnosna kopija " + std::to_string(i) + "\n";
    return {
        {"home/ana/Dok/ma\u010Dka.txt", TBytes(text.begin(), text.end())},
        {"home/ana/Dok/\u0107up \u017Eaba \u0161uma \u0111ak.bin", random},
        {"home/ana/Dok/prazna.txt", {}},
        {"home/ana/Dok/plain.bin", TBytes(random.begin(), random.begin() + 1000)},
        {"home/ana/\u010C\u0106\u017D\u0160\u0110/x.txt", TBytes{'x'}},
    };
}

void WriteMixedArchive(const std::string &path, bool utf8)
{
    TZipFile zip;
    zip.Open(path, zmWrite);
    zip.SetUTF8Support(utf8);
    for (const std::string folder :
         {"home/ana/Dok/", "home/ana/Prazno/", "home/ana/\u010C\u0106\u017D\u0160\u0110/"}) {
        TMemoryStream empty;
        zip.Add(empty, folder, zcStored, {faDirectory}, T);
    }
    for (const auto &[name, content] : MixedContents()) {
        TMemoryStream source(content);
        zip.Add(source, name, name.ends_with("plain.bin") ? zcStored : zcDeflate, {faArchive}, T);
    }
    zip.SetComment("Arkivoda");
    zip.Close();
}

std::map<std::string, TBytes> Tree(const fs::path &root)
{
    std::map<std::string, TBytes> files;
    for (const auto &item : fs::recursive_directory_iterator(root)) {
        if (item.is_regular_file())
            files[item.path().lexically_relative(root).generic_string()] =
                ReadFileBytes(item.path().string());
    }
    return files;
}

std::vector<std::string> Names(const std::map<std::string, TBytes> &files)
{
    std::vector<std::string> names;
    for (const auto &entry : files)
        names.push_back(entry.first);
    return names;
}

} // namespace

class PeerReaders : public ::testing::TestWithParam<bool>
{
};

TEST_P(PeerReaders, TestAndExtractWithoutWarnings)
{
    const bool utf8 = GetParam();
    TTempDir dir;
    const std::string archive = dir.File("mixed.zip");
    WriteMixedArchive(archive, utf8);
    int readersRun = 0;
    for (const Reader &reader : Readers()) {
        if (!HaveCommand(reader.Name))
            continue;
        // Python's zipfile knows no Unicode Path item: without the UTF-8 flag it shows the 437 names.
        const bool namesExpected = utf8 || reader.Name != "python3";
        ++readersRun;
        SCOPED_TRACE(reader.Name);
        std::string output;
        EXPECT_EQ(RunCommand(Substitute(reader.Test, archive, ""), output), 0) << output;
        if (!reader.Success.empty()) {
            EXPECT_NE(output.find(reader.Success), std::string::npos) << output;
        }
        EXPECT_EQ(output.find("arning"), std::string::npos) << output;

        const fs::path target = dir.Path() / ("out-" + reader.Name);
        fs::create_directories(target);
        EXPECT_EQ(RunCommand(Substitute(reader.Extract, archive, target.string()), output), 0) << output;
        EXPECT_EQ(output.find("arning"), std::string::npos) << output;
        if (namesExpected) {
            const auto extracted = Tree(target);
            EXPECT_EQ(Names(extracted), Names(MixedContents()));
            EXPECT_TRUE(extracted == MixedContents()) << "contents differ";
            EXPECT_TRUE(fs::is_directory(target / "home/ana/Prazno"));
        } else {
            EXPECT_EQ(Tree(target).size(), MixedContents().size());
        }
    }
    if (readersRun == 0)
        GTEST_SKIP() << "no independent ZIP reader installed";

    TZipFile zip;
    zip.Open(archive, zmRead);
    for (int i = 0; i < zip.FileCount(); ++i)
        EXPECT_NO_THROW(zip.Test(i));
    EXPECT_EQ(zip.Comment(), "Arkivoda");
}

INSTANTIATE_TEST_SUITE_P(Peers, PeerReaders, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("Utf8Names") : std::string("CodePage437Names");
                         });
