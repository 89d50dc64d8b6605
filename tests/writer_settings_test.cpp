// The writer settings store against the real registry (a private HKEY_LOCAL_MACHINE per test).
#include "test_support.h"
#include "writer/writer_settings.h"

using namespace vrz;
using test::PrivateLocalMachine;

namespace {

DWORD StoredVisible() {
    DWORD type = 0;
    std::vector<BYTE> data;
    EXPECT_TRUE(test::GetMachineValue(kWriterKey, kVisibleValue, type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    DWORD value = 0;
    memcpy(&value, data.data(), std::min<size_t>(data.size(), 4));
    return value;
}

}  // namespace

TEST(WriterSettings, ReadStringHonoursRootSelectorAndLengthLimit) {
    PrivateLocalMachine machine;
    test::SetMachineString(kWriterKey, L"Exact", std::wstring(129, L'a'));
    test::SetMachineString(kWriterKey, L"TooLong", std::wstring(130, L'b'));
    EXPECT_EQ(ReadString(kWriterKey, 3, L"Exact"), std::wstring(129, L'a'));
    EXPECT_EQ(ReadString(kWriterKey, 3, L"TooLong"), L"");
    EXPECT_EQ(ReadString(kWriterKey, 0, L"Exact"), L"");
    EXPECT_EQ(ReadString(kWriterKey, 5, L"Exact"), L"");
    EXPECT_EQ(ReadString(kWriterKey, 3, L"Missing"), L"");
    EXPECT_EQ(ReadString(L"Software\\Nowhere", 3, L"Exact"), L"");
}

TEST(WriterSettings, ReadStringRefusesUnterminatedValueOfFullBuffer) {
    PrivateLocalMachine machine;
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWriterKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    std::wstring full(130, L'c');  // 260 bytes, no terminator
    RegSetValueExW(key, L"Raw", 0, REG_BINARY, reinterpret_cast<const BYTE*>(full.data()), 260);
    std::wstring shortText = L"abc";  // no terminator either
    RegSetValueExW(key, L"Short", 0, REG_BINARY, reinterpret_cast<const BYTE*>(shortText.data()), 6);
    RegCloseKey(key);
    EXPECT_EQ(ReadString(kWriterKey, 3, L"Raw"), L"");
    EXPECT_EQ(ReadString(kWriterKey, 3, L"Short"), L"abc");
}

TEST(WriterSettings, WriteStringCreatesKeyAndStoresTerminatedText) {
    PrivateLocalMachine machine;
    EXPECT_TRUE(WriteString(kPublishPathNameValue, L""));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(test::GetMachineValue(kWriterKey, kPublishPathNameValue, type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data.size(), 2u);
    EXPECT_EQ(ReadString(kWriterKey, 3, kPublishPathNameValue), L"");
    EXPECT_TRUE(WriteString(kPublishPathNameValue, L"C:\\x.vrz"));
    EXPECT_EQ(ReadString(kWriterKey, 3, kPublishPathNameValue), L"C:\\x.vrz");
}

TEST(WriterSettings, ToolbarVisibleReadsBit4) {
    PrivateLocalMachine machine;
    EXPECT_EQ(ReadToolbarVisible(), VARIANT_FALSE) << "no key: hidden";
    test::SetMachineString(kWriterKey, L"Other", L"x");
    EXPECT_EQ(ReadToolbarVisible(), VARIANT_TRUE) << "key without value: shown";
    test::SetMachineDword(kWriterKey, kVisibleValue, 0x10);
    EXPECT_EQ(ReadToolbarVisible(), VARIANT_TRUE);
    test::SetMachineDword(kWriterKey, kVisibleValue, 0x0F);
    EXPECT_EQ(ReadToolbarVisible(), VARIANT_FALSE);
    test::SetMachineString(kWriterKey, kVisibleValue, L"\x10");  // any registry type counts
    EXPECT_EQ(ReadToolbarVisible(), VARIANT_TRUE);
}

TEST(WriterSettings, WriteToolbarVisibleChangesOnlyTheLowByte) {
    struct Case {
        bool present;
        DWORD before;
        VARIANT_BOOL visible;
        DWORD after;
    } cases[] = {
        {false, 0, VARIANT_FALSE, 0x00000000}, {false, 0, VARIANT_TRUE, 0x00000010},
        {true, 0xFF, VARIANT_FALSE, 0x0F},     {true, 0xFF, VARIANT_TRUE, 0xFF},
        {true, 0xABCDEF78, VARIANT_FALSE, 0xABCDEF08}, {true, 0xABCDEF78, VARIANT_TRUE, 0xABCDEF78},
    };
    for (const Case& c : cases) {
        PrivateLocalMachine machine;
        if (c.present) test::SetMachineDword(kWriterKey, kVisibleValue, c.before);
        WriteToolbarVisible(c.visible);
        EXPECT_EQ(StoredVisible(), c.after) << std::hex << c.before << " visible " << c.visible;
    }
}

TEST(WriterSettings, ParseIntPairCases) {
    struct Case {
        const wchar_t* text;
        int first, second, status;
    } cases[] = {
        {L"3,5", 3, 5, 0},   {L"3,", 3, -7, 1},      {L"7", 0, -7, 1},      {L",5", 0, 5, 0},
        {L"12,34,56", 12, 34, 0}, {L" 4, 6", 4, 6, 0}, {L"a,b", 0, 0, 0},   {L"-4,+2", -4, 2, 0},
        {L"99999999999,-99999999999", INT_MAX, INT_MIN, 0}, {L"", 0, -7, 1},
    };
    for (const Case& c : cases) {
        int first = -7, second = -7;
        EXPECT_EQ(ParseIntPair(first, second, c.text), c.status) << sim::Narrow(c.text);
        EXPECT_EQ(first, c.first) << sim::Narrow(c.text);
        EXPECT_EQ(second, c.second) << sim::Narrow(c.text);
    }
}

TEST(WriterSettings, ToAnsiStopsAtUnrepresentableAndKeepsLocale) {
    const char* before = setlocale(LC_ALL, nullptr);
    std::string localeBefore = before ? before : "";
    EXPECT_EQ(ToAnsi(L"12,34"), "12,34");
    EXPECT_EQ(ToAnsi(L"ab\x4E2D" L"cd"), "ab");  // CJK is outside the Western code page
    const char* after = setlocale(LC_ALL, nullptr);
    EXPECT_EQ(localeBefore, after ? after : "");
}
