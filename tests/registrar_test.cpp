// The registrar that applies the module's registry scripts.
#include "module/registrar.h"
#include "test_support.h"

using namespace vrz;

namespace {

bool KeyExists(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::wstring Text(const wchar_t* key, const wchar_t* name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!test::GetMachineValue(key, name, type, data) || type != REG_SZ) return L"<none>";
    return std::wstring(reinterpret_cast<const wchar_t*>(data.data()));
}

const wchar_t kScript[] = LR"(
HKLM
{
    NoRemove Software
    {
        'Test Vendor'
        {
            Product = s 'Product %name%'
            {
                val Path = s '%MODULE%'
                val Count = d '3'
                val Mask = d '0x10'
                ForceRemove Settings
                {
                    val 'Two Words' = s 'it''s'
                }
            }
        }
    }
}
)";

}  // namespace

TEST(Registrar, RegistersAndUnregistersByTheRules) {
    test::PrivateLocalMachine machine;
    Registrar registrar;
    registrar.AddReplacement(L"NAME", L"One");
    registrar.AddReplacement(L"Module", QuoteForScript(L"C:\\it's\\x.dll"));
    ASSERT_EQ(registrar.Register(kScript), S_OK) << sim::Narrow(registrar.LastError());
    EXPECT_EQ(Text(L"Software\\Test Vendor\\Product", nullptr), L"Product One") << "%name% matched without case";
    EXPECT_EQ(Text(L"Software\\Test Vendor\\Product", L"Path"), L"C:\\it's\\x.dll") << "quote doubled and read back";
    EXPECT_EQ(Text(L"Software\\Test Vendor\\Product\\Settings", L"Two Words"), L"it's");
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(test::GetMachineValue(L"Software\\Test Vendor\\Product", L"Mask", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(*reinterpret_cast<DWORD*>(data.data()), 0x10u);

    // ForceRemove clears a key with what is beneath it before writing it again.
    test::SetMachineString(L"Software\\Test Vendor\\Product\\Settings\\Stale", L"x", L"y");
    test::SetMachineString(L"Software\\Test Vendor\\Product", L"Kept", L"unlisted values stay");
    ASSERT_EQ(registrar.Register(kScript), S_OK);
    EXPECT_FALSE(KeyExists(L"Software\\Test Vendor\\Product\\Settings\\Stale"));

    // Unregistering: listed values go, keys go once empty, NoRemove keys stay.
    test::SetMachineString(L"Software\\Other", L"x", L"y");
    ASSERT_EQ(registrar.Unregister(kScript), S_OK);
    EXPECT_FALSE(KeyExists(L"Software\\Test Vendor\\Product\\Settings"));
    EXPECT_FALSE(KeyExists(L"Software\\Test Vendor")) << "a key without subkeys goes, unlisted values with it";
    EXPECT_TRUE(KeyExists(L"Software\\Other")) << "NoRemove: Software stays";
}

TEST(Registrar, KeysAreRemovedUpToTheFirstThatIsNotEmpty) {
    test::PrivateLocalMachine machine;
    const wchar_t script[] = L"HKLM { Software { A { B { C { val V = s 'x' } } } } }";
    test::SetMachineString(L"Software\\Keep", L"x", L"y");
    Registrar registrar;
    ASSERT_EQ(registrar.Register(script), S_OK);
    test::SetMachineString(L"Software\\A\\Sibling", L"x", L"y");
    ASSERT_EQ(registrar.Unregister(script), S_OK);
    EXPECT_FALSE(KeyExists(L"Software\\A\\B"));
    EXPECT_TRUE(KeyExists(L"Software\\A")) << "still holds Sibling";
    EXPECT_TRUE(KeyExists(L"Software"));
    EXPECT_EQ(registrar.Unregister(script), S_OK) << "unregistering what is not there";
}

TEST(Registrar, BrokenScriptsChangeNothingAndSayWhere) {
    struct Case {
        const wchar_t* script;
        const wchar_t* error;
    } cases[] = {
        {L"HKLM\n{\n  Software\n  {\n    X\n", L"end of script"},
        {L"HKXX { Software }", L"unknown root key 'HKXX'"},
        {L"HKLM\n{\n Software\n {\n  val N = d 'ten'\n }\n}", L"line 5"},
        {L"HKLM { Software { X = s 'open } }", L"unterminated quoted text"},
        {L"HKLM { Software { X = s '%Nope%' } }", L"unknown variable %Nope%"},
        {L"HKLM { Software { X = q 'text' } }", L"default value must be s 'text'"},
        {L"HKLM Software { }", L"expected '{'"},
    };
    for (const Case& c : cases) {
        test::PrivateLocalMachine machine;
        Registrar registrar;
        EXPECT_EQ(registrar.Register(c.script), DISP_E_EXCEPTION) << sim::Narrow(c.script);
        EXPECT_NE(registrar.LastError().find(c.error), std::wstring::npos)
            << sim::Narrow(registrar.LastError()) << " / " << sim::Narrow(c.error);
        EXPECT_FALSE(KeyExists(L"Software")) << "nothing half-applied: " << sim::Narrow(c.script);
    }
}

TEST(Registrar, WriteFailureReturnsItsError) {
    test::PrivateLocalMachine machine;
    const wchar_t script[] = L"HKLM { Software { Locked { Inner { val V = s 'x' } } } }";
    test::SetMachineString(L"Software\\Locked", L"x", L"y");
    test::RestrictMachineKey(L"Software\\Locked", 0);  // no access for anyone
    Registrar registrar;
    EXPECT_EQ(registrar.Register(script), E_ACCESSDENIED);
    EXPECT_TRUE(KeyExists(L"Software")) << "keys written before the failure stay";
}
