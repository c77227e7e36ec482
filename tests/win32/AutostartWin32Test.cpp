// The Run-key entry, against the registry of Wine's private prefix. Each test works under a key
// of its own below HKCU\Software, so the real Run key is never touched.
#include "platform/Autostart.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/win32/Win32TestSupport.h"

namespace {

using kg::win32test::uniqueName;
using platform::Autostart;

class AutostartWin32 : public testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, m_root.c_str()); }

    // Where the Run value of the tests lives, and where Windows marks start-up entries that the
    // user switched off.
    std::wstring runKey() const { return m_root + L"\\CurrentVersion\\Run"; }
    std::wstring approvalKey() const {
        return m_root + L"\\CurrentVersion\\Explorer\\StartupApproved\\Run";
    }
    Autostart autostart() const { return Autostart(runKey(), m_program); }

    // The string stored under `key`, or "<none>".
    static std::wstring stringValue(const std::wstring& key) {
        wchar_t data[1024] = {};
        DWORD size = sizeof data;
        if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"KeyGlow", RRF_RT_REG_SZ, nullptr, data,
                         &size) != ERROR_SUCCESS) {
            return L"<none>";
        }
        return data;
    }
    static bool valueExists(const std::wstring& key) {
        return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"KeyGlow", RRF_RT_ANY, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
    }
    static void setApproval(const std::wstring& key, BYTE state) {
        const std::vector<BYTE> data = {state, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"KeyGlow", REG_BINARY,
                                  data.data(), static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }

    std::wstring m_root = L"Software\\" + uniqueName(L"autostart");
    std::wstring m_program = L"C:\\Program Files\\KeyGlow\\keyglow.exe";
};

TEST_F(AutostartWin32, TheDefaultPlaceIsTheUsersRunKey) {
    EXPECT_EQ(Autostart::defaultPlace(), L"Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    const Autostart self = Autostart::forThisProgram();
    EXPECT_EQ(self.place(), Autostart::defaultPlace());
    const std::wstring program = self.program();
    ASSERT_GE(program.size(), 4u);
    EXPECT_EQ(program.substr(program.size() - 4), L".exe");
}

TEST_F(AutostartWin32, EnableWritesTheQuotedProgramWithHid) {
    EXPECT_FALSE(autostart().isEnabled());
    ASSERT_TRUE(autostart().enable()) << "the key is made when missing";
    EXPECT_EQ(stringValue(runKey()), L"\"C:\\Program Files\\KeyGlow\\keyglow.exe\" -hid");
    EXPECT_TRUE(autostart().isEnabled());
    ASSERT_TRUE(autostart().enable()) << "a second time replaces the value";
    EXPECT_EQ(stringValue(runKey()), L"\"C:\\Program Files\\KeyGlow\\keyglow.exe\" -hid");
}

TEST_F(AutostartWin32, DisableRemovesTheValueAndIsContentWhenThereIsNone) {
    EXPECT_TRUE(autostart().disable()) << "neither key exists yet";
    ASSERT_TRUE(autostart().enable());
    // Another program's value in the same key stays.
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, runKey().c_str(), L"Other", REG_SZ, L"x",
                              2 * sizeof(wchar_t)),
              ERROR_SUCCESS);
    ASSERT_TRUE(autostart().disable());
    EXPECT_FALSE(valueExists(runKey()));
    EXPECT_FALSE(autostart().isEnabled());
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, runKey().c_str(), L"Other", RRF_RT_REG_SZ, nullptr,
                           nullptr, nullptr),
              ERROR_SUCCESS);
}

TEST_F(AutostartWin32, AnEntryTheUserSwitchedOffIsOffUntilTickedAgain) {
    ASSERT_TRUE(autostart().enable());
    setApproval(approvalKey(), 0x03);  // what the Task Manager writes when switched off
    EXPECT_FALSE(autostart().isEnabled());
    setApproval(approvalKey(), 0x02);  // and when switched on
    EXPECT_TRUE(autostart().isEnabled());
    setApproval(approvalKey(), 0x03);
    ASSERT_TRUE(autostart().enable());
    EXPECT_FALSE(valueExists(approvalKey()));
    EXPECT_TRUE(autostart().isEnabled());
}

TEST_F(AutostartWin32, AnEmptyValueStartsNothing) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, runKey().c_str(), L"KeyGlow", REG_SZ, L"",
                              sizeof(wchar_t)),
              ERROR_SUCCESS);
    EXPECT_FALSE(autostart().isEnabled());
}

}  // namespace
