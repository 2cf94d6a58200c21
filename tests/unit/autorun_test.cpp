// Start with Windows under Wine's registry: the machine-wide key, the per-user
// fallback when the machine-wide key cannot be opened for writing, and removal
// from both. Each test works on keys or a value name of its own process, so
// runs in parallel and the real "Quillary" value are left alone.
#include <gtest/gtest.h>

#include "shell/AutoRun.h"
#include "shell/ModulePath.h"

#include <string>
#include <vector>

namespace {

struct StoredValue {
    bool present = false;
    DWORD type = 0;
    DWORD bytes = 0;
    std::wstring text;
};

StoredValue Read(HKEY root, const std::wstring& key, const std::wstring& name)
{
    StoredValue value;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return value;
    DWORD bytes = 0;
    if (RegQueryValueExW(opened, name.c_str(), nullptr, &value.type, nullptr, &bytes) == ERROR_SUCCESS) {
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = bytes;
        RegQueryValueExW(opened, name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        value.present = true;
        value.bytes = size;
        value.text = buffer.data();
    }
    RegCloseKey(opened);
    return value;
}

bool KeyExists(HKEY root, const std::wstring& key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

void Write(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text)
{
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
}

std::wstring ThisExecutable()
{
    std::vector<wchar_t> path(32768, L'\0');
    GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return path.data();
}

class AutoRun : public testing::Test {
protected:
    void SetUp() override
    {
        m_base = L"Software\\QuillaryTests\\autorun-" + std::to_wstring(GetCurrentProcessId());
        TearDown();
        where.machineKey = m_base + L"\\MachineRun";
        where.userKey = m_base + L"\\UserRun";
        where.valueName = L"Quillary";
        HKEY machine = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, where.machineKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &machine, nullptr),
                  ERROR_SUCCESS)
            << "Wine's prefix is expected to give write access to HKEY_LOCAL_MACHINE";
        RegCloseKey(machine);
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_base.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, m_base.c_str());
    }

    AutoRunLocation where;
    std::wstring m_base;
};

TEST_F(AutoRun, TickingWritesTheExecutablePathToTheMachineKey)
{
    SetAutoRun(true, where);
    const StoredValue machine = Read(HKEY_LOCAL_MACHINE, where.machineKey, L"Quillary");
    ASSERT_TRUE(machine.present);
    EXPECT_EQ(machine.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(machine.text, ThisExecutable());
    EXPECT_EQ(machine.bytes, (ThisExecutable().size() + 1) * sizeof(wchar_t));
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, where.userKey, L"Quillary").present);
}

TEST_F(AutoRun, MachineKeyThatCannotBeOpenedSendsTheValueToTheUserKey)
{
    where.machineKey = m_base + L"\\NoSuchKey";
    SetAutoRun(true, where);
    const StoredValue user = Read(HKEY_CURRENT_USER, where.userKey, L"Quillary");
    ASSERT_TRUE(user.present);
    EXPECT_EQ(user.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(user.text, ThisExecutable());
    EXPECT_EQ(user.bytes, (ThisExecutable().size() + 1) * sizeof(wchar_t));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, where.machineKey));
}

TEST_F(AutoRun, TickingWithWriteAccessAgainRemovesThePerUserCopy)
{
    Write(HKEY_CURRENT_USER, where.userKey, L"Quillary", L"C:\\old\\quillary.exe");
    SetAutoRun(true, where);
    EXPECT_TRUE(Read(HKEY_LOCAL_MACHINE, where.machineKey, L"Quillary").present);
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, where.userKey, L"Quillary").present);
}

TEST_F(AutoRun, UntickingRemovesTheValueFromBothKeysAndKeepsOtherValues)
{
    Write(HKEY_LOCAL_MACHINE, where.machineKey, L"Quillary", L"C:\\a\\quillary.exe");
    Write(HKEY_LOCAL_MACHINE, where.machineKey, L"Other", L"C:\\other.exe");
    Write(HKEY_CURRENT_USER, where.userKey, L"Quillary", L"C:\\b\\quillary.exe");
    SetAutoRun(false, where);
    EXPECT_FALSE(Read(HKEY_LOCAL_MACHINE, where.machineKey, L"Quillary").present);
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, where.userKey, L"Quillary").present);
    EXPECT_TRUE(Read(HKEY_LOCAL_MACHINE, where.machineKey, L"Other").present);
}

TEST_F(AutoRun, UntickingWithoutMachineAccessStillClearsTheUserKey)
{
    Write(HKEY_CURRENT_USER, where.userKey, L"Quillary", L"C:\\b\\quillary.exe");
    where.machineKey = m_base + L"\\NoSuchKey";
    SetAutoRun(false, where);
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, where.userKey, L"Quillary").present);
}

TEST_F(AutoRun, UntickingWhenNothingIsStoredCreatesNothing)
{
    SetAutoRun(false, where);
    EXPECT_FALSE(Read(HKEY_LOCAL_MACHINE, where.machineKey, L"Quillary").present);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, where.userKey));
}

TEST(AutoRunDefaults, TheRealRunKeysTakeAndLoseTheValue)
{
    AutoRunLocation real;
    const std::wstring runKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_EQ(real.machineKey, runKey);
    EXPECT_EQ(real.userKey, runKey);
    EXPECT_EQ(real.valueName, L"Quillary");

    // A value name of this process, so that the program's own entry is untouched.
    real.valueName = L"QuillaryUnitTest" + std::to_wstring(GetCurrentProcessId());
    SetAutoRun(true, real);
    const StoredValue machine = Read(HKEY_LOCAL_MACHINE, runKey, real.valueName);
    EXPECT_TRUE(machine.present);
    EXPECT_EQ(machine.text, ThisExecutable());
    SetAutoRun(false, real);
    EXPECT_FALSE(Read(HKEY_LOCAL_MACHINE, runKey, real.valueName).present);
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, runKey, real.valueName).present);
}

TEST(ModulePath, BufferGrowsUntilTheWholePathFits)
{
    const std::wstring expected = ThisExecutable();
    ASSERT_GT(expected.size(), 8u);
    EXPECT_EQ(ModuleFilePath(nullptr, 1), expected);
    EXPECT_EQ(ModuleFilePath(nullptr, 7), expected);
    EXPECT_EQ(ModuleFilePath(nullptr, expected.size()), expected);
    EXPECT_EQ(ModuleFilePath(), expected);
    EXPECT_EQ(ExecutableFolder(), expected.substr(0, expected.find_last_of(L'\\') + 1));
}

}  // namespace
