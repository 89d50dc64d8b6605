// The ZIP package directory reader and the package check, on archives the tests build.
#include <cstring>

#include "delivery/package_directory.h"
#include "test_support.h"
#include "virtual_printer.h"
#include "zip_writer.h"

using namespace vrz;

namespace {

std::wstring Write(const std::string& bytes) {
    std::wstring path = test::ScratchFolder() + L"\\package.vrz";
    EXPECT_TRUE(sim::WriteFileBytes(path, bytes));
    return path;
}

void Put16(std::string& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}

size_t EndRecord(const std::string& bytes) { return bytes.rfind(std::string("PK\x05\x06", 4)); }
size_t FirstHeader(const std::string& bytes) { return bytes.find(std::string("PK\x01\x02", 4)); }

std::vector<sim::ZipEntry> Entries(size_t count, size_t dataAt) {
    std::vector<sim::ZipEntry> entries;
    for (size_t i = 0; i < count; ++i) entries.push_back({"e" + std::to_string(i), i == dataAt ? "data" : ""});
    return entries;
}

}  // namespace

TEST(PackageDirectory, CheckAnswers) {
    struct Case {
        const char* what;
        std::string bytes;
        bool accepted;
    } cases[] = {
        {"first entry with data", sim::BuildZip({{"manifest.xml", "<vrz/>"}, {"b", ""}}), true},
        {"data in a late entry", sim::BuildZip(Entries(5, 4)), true},
        {"all entries empty", sim::BuildZip(Entries(5, 99)), false},
        {"no manifest, data", sim::BuildZip({{"page.txt", "x"}}), true},
        {"manifest without data", sim::BuildZip({{"manifest.xml", ""}}), false},
        {"only an end record", sim::BuildZip({}), false},
        {"zero entries after other data", sim::BuildZip({}, std::string(50, 'x')), false},
        {"200 bytes in front", sim::BuildZip({{"a", "data"}}, std::string(200, 'S')), true},
        {"a comment", sim::BuildZip({{"a", "data"}}, "", "comment"), true},
        {"end record cut off", sim::BuildZip({{"a", "data"}}).substr(0, 60), false},
        {"not an archive", std::string(3000, 'z'), false},
        {"empty file", std::string(), false},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckPackageContent(Write(c.bytes)), c.accepted) << c.what;
    EXPECT_FALSE(CheckPackageContent(test::ScratchFolder() + L"\\missing.vrz"));
}

TEST(PackageDirectory, WalkReadsOnlyTheDirectory) {
    std::string bytes = sim::BuildZip({{"manifest.xml", std::string(100000, 'm')}, {"pages/p1.txt", "one"}}, "", "c");
    auto package = PackageDirectory::Open(Write(bytes));
    ASSERT_NE(package, nullptr);
    EXPECT_EQ(package->EntryCount(), 2);
    PackageEntryInfo info;
    char name[64];
    uint32_t localOffset = 1;
    ASSERT_EQ(package->GetCurrentEntryInfo(&info, name, sizeof(name), &localOffset), kPackageOk);
    EXPECT_STREQ(name, "manifest.xml");
    EXPECT_EQ(info.compressedSize, 100000u);
    EXPECT_EQ(localOffset, 0u);
    EXPECT_EQ(info.year, 2026u);
    EXPECT_EQ(info.month, 11u) << "counted from 0";
    EXPECT_EQ(info.day, 11u);
    EXPECT_EQ(info.hour, 12u);
    EXPECT_EQ(info.minute, 30u);
    ASSERT_EQ(package->GoToNextEntry(), kPackageOk);
    ASSERT_EQ(package->GetCurrentEntryInfo(&info, name, sizeof(name)), kPackageOk);
    EXPECT_STREQ(name, "pages/p1.txt");
    EXPECT_EQ(package->GoToNextEntry(), kPackageEndOfList);
    EXPECT_EQ(package->GoToNextEntry(), kPackageEndOfList);
    EXPECT_LT(package->BytesRead(), 1500u) << "the end record window and the headers, never the data";
    EXPECT_EQ(Close(package), kPackageOk);
    EXPECT_EQ(Close(package), kPackageNoHandle);
}

TEST(PackageDirectory, NameBufferRule) {
    auto package = PackageDirectory::Open(Write(sim::BuildZip({{"abcdef", "x"}})));
    ASSERT_NE(package, nullptr);
    PackageEntryInfo info;
    for (uint32_t size : {6u, 4u}) {  // the name's length or less: cut, no terminator
        char buffer[8];
        std::memset(buffer, '#', sizeof(buffer));
        ASSERT_EQ(package->GetCurrentEntryInfo(&info, buffer, size), kPackageOk);
        EXPECT_EQ(std::string(buffer, 8), std::string("abcdef", size) + std::string(8 - size, '#')) << size;
    }
    char buffer[8];
    std::memset(buffer, '#', sizeof(buffer));
    ASSERT_EQ(package->GetCurrentEntryInfo(&info, buffer, 7), kPackageOk);
    EXPECT_EQ(std::string(buffer, 8), std::string("abcdef\0#", 8));
}

TEST(PackageDirectory, ArchiveWithDataInFront) {
    auto package = PackageDirectory::Open(Write(sim::BuildZip({{"a", "data"}}, std::string(200, 'S'))));
    ASSERT_NE(package, nullptr);
    EXPECT_EQ(package->BytesBeforeArchive(), 200u);
    auto empty = PackageDirectory::Open(Write(sim::BuildZip({}, std::string(50, 'x'))));
    ASSERT_NE(empty, nullptr) << "zero entries after other data still opens";
    EXPECT_EQ(empty->GoToFirstEntry(), kPackageBadArchive) << "the first header position holds the end record";
}

TEST(PackageDirectory, MaximumEntryCount) {
    std::string bytes = sim::BuildZip(Entries(65535, 65534));
    std::wstring path = Write(bytes);
    auto package = PackageDirectory::Open(path);
    ASSERT_NE(package, nullptr);
    EXPECT_EQ(package->EntryCount(), 65535);
    int walked = 1;
    while (package->GoToNextEntry() == kPackageOk) ++walked;
    EXPECT_EQ(walked, 65535);
    EXPECT_TRUE(CheckPackageContent(path)) << "the last entry holds the data";
}

TEST(PackageDirectory, HostileDirectoriesAreRefusedCleanly) {
    const std::string good = sim::BuildZip({{"a", "data"}, {"b", "more"}});
    const size_t end = EndRecord(good), header = FirstHeader(good);
    struct Case {
        const char* what;
        std::function<void(std::string&)> spoil;
        bool opens;
    } cases[] = {
        {"directory offset past the end record", [&](std::string& b) { Put32(b, end + 16, 0x7FFFFFF0); }, false},
        {"directory larger than the file", [&](std::string& b) { Put32(b, end + 12, 0xFFFFFF00); }, false},
        {"more entries than the directory holds", [&](std::string& b) { Put16(b, end + 8, 9000), Put16(b, end + 10, 9000); }, false},
        {"entry counts disagree", [&](std::string& b) { Put16(b, end + 8, 1); }, false},
        {"another disk", [&](std::string& b) { Put16(b, end + 4, 1); }, false},
        {"comment running past the file", [&](std::string& b) { Put16(b, end + 20, 500); }, false},
        {"name length pointing past the end", [&](std::string& b) { Put16(b, header + 28, 0xFFFF); }, true},
        {"extra length pointing past the end", [&](std::string& b) { Put16(b, header + 30, 0xFFFF); }, true},
        {"bad header signature", [&](std::string& b) { b[header + 2] = 'X'; }, true},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        c.spoil(bytes);
        std::wstring path = Write(bytes);
        auto package = PackageDirectory::Open(path);
        EXPECT_EQ(package != nullptr, c.opens) << c.what;
        if (package) {
            PackageEntryInfo info;
            char name[4];
            int steps = 0;
            for (int status = package->GoToFirstEntry(); status == kPackageOk && steps < 10; status = package->GoToNextEntry(), ++steps)
                package->GetCurrentEntryInfo(&info, name, sizeof(name));
            EXPECT_LT(steps, 10) << c.what;
        }
        // The data entry comes first, so a spoiled later header changes nothing for the check,
        // while any spoiled end record refuses the package.
        EXPECT_EQ(CheckPackageContent(path), c.opens && std::string(c.what) != "bad header signature") << c.what;
    }
}
