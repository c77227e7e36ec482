#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <thread>
#include <vector>

#include "device/HidDevice.h"
#include "device/HidDeviceInfo.h"
#include "platform/HidBackend.h"
#include "tests/win32/Win32TestSupport.h"

namespace {

using kg::win32test::uniqueName;
using platform::HidInterfaceEntry;
using platform::systemHidBackend;

// Wine's own virtual HID devices (its mouse and keyboard) carry this vendor number.
constexpr std::int32_t kWineVendor = 0x845e;

bool underWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

std::vector<const HidDeviceInfo*> entries(const std::unique_ptr<HidDeviceInfo>& head) {
    std::vector<const HidDeviceInfo*> out;
    for (const HidDeviceInfo* e = head.get(); e != nullptr; e = e->next.get()) {
        out.push_back(e);
    }
    return out;
}

std::string narrowPath(const std::wstring& path) {
    std::string out;
    for (wchar_t c : path) {
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

class HidWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        if (!underWine()) {
            GTEST_SKIP() << "expects Wine's virtual HID devices (vendor 845e)";
        }
    }
};

TEST_F(HidWin32, SetupApiListsWinesVirtualInterfaces) {
    std::vector<HidInterfaceEntry> found;
    ASSERT_TRUE(systemHidBackend().enumerateInterfaces(platform::kHidInterfaceClassGuid, found));
    int wine = 0;
    for (const HidInterfaceEntry& e : found) {
        EXPECT_EQ(e.interfaceClassGuid, platform::kHidInterfaceClassGuid);
        EXPECT_EQ(e.detail, platform::InterfaceDetail::Ok);
        EXPECT_NE(e.flags & platform::kInterfaceActive, 0u);
        EXPECT_EQ(lower(e.path).rfind(L"\\\\?\\hid#", 0), 0u)
            << "a device path: " << narrowPath(e.path);
        if (lower(e.path).find(L"hid#vid_845e&pid_000") != std::wstring::npos) {
            ++wine;
        }
    }
    EXPECT_GE(wine, 2);
}

TEST_F(HidWin32, FindHidDevicesListsTheVendorsInterfacesWithTheirCollections) {
    const auto list = FindHidDevices(kWineVendor, nullptr, 0, -1, -1);
    const auto all = entries(list);
    ASSERT_EQ(all.size(), 2u);
    // Enumeration order; usage page and usage come from hid.dll through an opened handle.
    EXPECT_EQ(all[0]->productId, 1);
    EXPECT_EQ(all[0]->usagePage, 1u);  // generic desktop
    EXPECT_EQ(all[0]->usage, 2u);      // mouse
    EXPECT_EQ(all[1]->productId, 2);
    EXPECT_EQ(all[1]->usagePage, 1u);
    EXPECT_EQ(all[1]->usage, 6u);  // keyboard
    for (const HidDeviceInfo* e : all) {
        EXPECT_EQ(e->vendorId, kWineVendor);
        EXPECT_EQ(e->interfaceClassGuid, platform::kHidInterfaceClassGuid);
        EXPECT_NE(e->interfaceFlags & platform::kInterfaceActive, 0u);
    }
}

struct SearchCase {
    const char* name;
    std::int32_t vendorId;
    std::vector<std::int32_t> productIds;
    std::int32_t interfaceNumber;
    std::int32_t collectionNumber;
    std::vector<std::int32_t> expectedProducts;
};

class HidWin32Search : public HidWin32, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(HidWin32Search, FindsExactlyTheMatchingInterfaces) {
    const SearchCase& c = GetParam();
    const auto list = FindHidDevices(c.vendorId, c.productIds.data(),
                                     static_cast<std::int32_t>(c.productIds.size()),
                                     c.interfaceNumber, c.collectionNumber);
    std::vector<std::int32_t> products;
    for (const HidDeviceInfo* e : entries(list)) {
        products.push_back(e->productId);
    }
    EXPECT_EQ(products, c.expectedProducts);
}

INSTANTIATE_TEST_SUITE_P(
    Wine, HidWin32Search,
    ::testing::Values(
        SearchCase{"AnyProductOfTheVendor", kWineVendor, {}, -1, -1, {1, 2}},
        SearchCase{"OneProduct", kWineVendor, {2}, -1, -1, {2}},
        SearchCase{"EitherOfTwoProducts", kWineVendor, {7, 1}, -1, -1, {1}},
        SearchCase{"ProductWithoutVendor", 0, {2}, -1, -1, {2}},
        // The configured keyboard is not attached: every one of Wine's interfaces is skipped.
        SearchCase{"ConfiguredKeyboardAbsent", 0x1a2c, {2}, 1, 2, {}},
        SearchCase{"InterfaceNumberNotInPath", kWineVendor, {}, 0, -1, {}},
        SearchCase{"CollectionNumberNotInPath", kWineVendor, {}, -1, 1, {}},
        SearchCase{"NegativeNumberOtherThanAny", kWineVendor, {}, -2, -1, {}},
        SearchCase{"NeitherVendorNorProduct", 0, {}, -1, -1, {}}),
    [](const ::testing::TestParamInfo<SearchCase>& param) { return param.param.name; });

TEST_F(HidWin32, HidDeviceOpensTheFirstMatchAndReadsItsCapabilities) {
    HidDevice device(systemHidBackend());
    const std::int32_t keyboard = 2;
    std::uint16_t version = 0xFFFF;
    ASSERT_TRUE(device.OpenFirstMatch(kWineVendor, &keyboard, 1, -1, -1, &version,
                                      HidDevice::kDefaultAccess));
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(version, 0u) << "Wine's virtual keyboard reports version 0";
    EXPECT_EQ(device.caps().usagePage, 1u);
    EXPECT_EQ(device.caps().usage, 6u);

    EXPECT_FALSE(device.Open(HidDevice::kDefaultAccess, nullptr));
    EXPECT_TRUE(device.IsOpen()) << "a null path leaves the open handle alone";

    device.Close();
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(HidWin32, OpeningAnAbsentInterfaceFails) {
    HidDevice device(systemHidBackend());
    EXPECT_FALSE(device.Open(HidDevice::kDefaultAccess,
                             L"\\\\?\\hid#vid_1a2c&pid_0002&mi_01&col02#7&1b2c3d4e&0&0001#"
                             L"{4d1e55b2-f16f-11cf-88cb-001111000030}"));
    EXPECT_FALSE(device.IsOpen());
    std::uint8_t report[8] = {7};
    EXPECT_EQ(device.Write(report), 0u);
    EXPECT_FALSE(device.GetFeature(report));
}

// A named pipe stands in for a device whose writes never complete: nobody reads its far end,
// and with no buffer a write stays pending until it is read or cancelled.
class StalledPipe {
public:
    StalledPipe() : m_path(L"\\\\.\\pipe\\" + uniqueName(L"stalled-write")) {
        m_server = CreateNamedPipeW(m_path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                    PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0, 0, nullptr);
    }
    ~StalledPipe() {
        if (m_server != INVALID_HANDLE_VALUE) {
            CloseHandle(m_server);
        }
    }
    bool ok() const { return m_server != INVALID_HANDLE_VALUE; }
    const std::wstring& path() const { return m_path; }
    HANDLE server() const { return m_server; }

    DWORD bytesWaiting() const {
        DWORD available = 0;
        PeekNamedPipe(m_server, nullptr, 0, nullptr, &available, nullptr);
        return available;
    }

private:
    std::wstring m_path;
    HANDLE m_server = INVALID_HANDLE_VALUE;
};

TEST(HidWin32Write, PendingWriteIsCancelledAtTheTimeLimit) {
    StalledPipe pipe;
    ASSERT_TRUE(pipe.ok());
    HidDevice device(systemHidBackend(), true, 300);
    ASSERT_TRUE(device.Open(HidDevice::kDefaultAccess, pipe.path().c_str()));

    const std::uint8_t report[8] = {0x07, 0xF7, 0x06, 0, 0, 0, 0, 0};
    EXPECT_EQ(device.Write(report), 0u);
    EXPECT_EQ(pipe.bytesWaiting(), 0u) << "the cancelled write must not arrive later";

    // The same handle takes the next write: the control block was free again.
    EXPECT_EQ(device.Write(report), 0u);
    device.Close();
}

TEST(HidWin32Write, BackendReportsTheTimeOutAndThePendingStart) {
    StalledPipe pipe;
    ASSERT_TRUE(pipe.ok());
    platform::HidBackend& backend = systemHidBackend();
    const platform::HidHandle handle =
        backend.open(pipe.path(), platform::kGenericRead | platform::kGenericWrite,
                     platform::kShareRead | platform::kShareWrite, true);
    ASSERT_NE(handle, platform::kInvalidHidHandle);
    const std::uint8_t report[8] = {0x07, 0xFC};
    const platform::WriteResult result = backend.write(handle, report, 8, 200);
    EXPECT_EQ(result.outcome, platform::WriteOutcome::TimedOut);
    EXPECT_EQ(result.errorCode, static_cast<std::uint32_t>(ERROR_IO_PENDING));
    EXPECT_EQ(result.bytesWritten, 0u);
    EXPECT_TRUE(backend.close(handle));
}

TEST(HidWin32Write, WriteThatTheFarEndTakesReturnsItsLength) {
    StalledPipe pipe;
    ASSERT_TRUE(pipe.ok());
    HidDevice device(systemHidBackend(), true, 10000);
    ASSERT_TRUE(device.Open(HidDevice::kDefaultAccess, pipe.path().c_str()));

    std::uint8_t received[8] = {};
    DWORD got = 0;
    std::thread reader([&] {
        OVERLAPPED overlapped{};
        overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!ReadFile(pipe.server(), received, sizeof received, nullptr, &overlapped) &&
            GetLastError() != ERROR_IO_PENDING) {
            CloseHandle(overlapped.hEvent);
            return;
        }
        GetOverlappedResult(pipe.server(), &overlapped, &got, TRUE);
        CloseHandle(overlapped.hEvent);
    });
    const std::uint8_t report[8] = {0x07, 0xF7, 0x06, 1, 2, 3, 4, 5};
    EXPECT_EQ(device.Write(report), 8u);
    reader.join();
    ASSERT_EQ(got, 8u);
    EXPECT_TRUE(std::equal(report, report + 8, received));
    device.Close();
}

}  // namespace
