#include "settings/AppConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestFiles.h"

namespace {

bool isDefault(const AppConfig& c) {
    return c.usbVendorId == 0 && c.usbProductId == 0 && c.usbInterface == 0 &&
           c.usbSubdevice == 0 && c.useChinese == 0 && c.mediaKeys.empty() && c.keyCombos.empty();
}

TEST(AppConfig, MissingFileKeepsTheDefaults) {
    kgtest::TempFolder temp;
    AppConfig config;
    EXPECT_FALSE(config.loadFile(temp.wfile("config.xml")));
    EXPECT_TRUE(isDefault(config));
}

TEST(AppConfig, MalformedFileKeepsTheDefaults) {
    AppConfig config;
    EXPECT_FALSE(config.loadBuffer("<usb vid=\"258A\"><funkey>"));
    EXPECT_TRUE(isDefault(config));
}

struct LanguageCase {
    const char* name;
    const char* xml;
    int chinese;
};

class Language : public testing::TestWithParam<LanguageCase> {};

TEST_P(Language, OnlyExactlyCnIsChinese) {
    AppConfig config;
    ASSERT_TRUE(config.loadBuffer(GetParam().xml));
    EXPECT_EQ(config.useChinese, GetParam().chinese);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Language,
    testing::Values(
        LanguageCase{"cn", "<local language=\"cn\"/>", 1},
        LanguageCase{"capital_CN", "<local language=\"CN\"/>", 0},
        LanguageCase{"zh", "<local language=\"zh\"/>", 0},
        LanguageCase{"en", "<local language=\"en\"/>", 0},
        LanguageCase{"cn_with_space", "<local language=\"cn \"/>", 0},
        LanguageCase{"missing_attribute", "<local/>", 0},
        LanguageCase{"missing_element", "<usb/>", 0},
        LanguageCase{"first_local_counts", "<local language=\"cn\"/><local language=\"en\"/>", 1},
        LanguageCase{"nested_local_is_not_top_level", "<x><local language=\"cn\"/></x>", 0}),
    [](const testing::TestParamInfo<LanguageCase>& p) { return std::string(p.param.name); });

struct UsbCase {
    const char* name;
    const char* xml;
    int vid, pid, iface, sub;
};

class Usb : public testing::TestWithParam<UsbCase> {};

TEST_P(Usb, ValuesAreHexadecimal) {
    AppConfig config;
    ASSERT_TRUE(config.loadBuffer(GetParam().xml));
    EXPECT_EQ(config.usbVendorId, GetParam().vid);
    EXPECT_EQ(config.usbProductId, GetParam().pid);
    EXPECT_EQ(config.usbInterface, GetParam().iface);
    EXPECT_EQ(config.usbSubdevice, GetParam().sub);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Usb,
    testing::Values(
        UsbCase{"capitals", "<usb vid=\"258A\" pid=\"0049\" interface=\"1\" subdevice=\"2\"/>",
                0x258A, 0x49, 1, 2},
        UsbCase{"small_letters",
                "<usb vid=\"258a\" pid=\"0049\" interface=\"01\" subdevice=\"02\"/>", 0x258A, 0x49,
                1, 2},
        UsbCase{"prefix", "<usb vid=\"0x258a\" pid=\"0X49\" interface=\"0x1\" subdevice=\"0x10\"/>",
                0x258A, 0x49, 1, 16},
        UsbCase{"missing_vid", "<usb pid=\"49\"/>", 0, 0x49, 0, 0},
        UsbCase{"stops_at_non_hex", "<usb vid=\"25zz\" pid=\"\"/>", 0x25, 0, 0, 0},
        UsbCase{"missing_element", "<local/>", 0, 0, 0, 0},
        UsbCase{"first_usb_counts", "<usb vid=\"1\"/><usb vid=\"2\"/>", 1, 0, 0, 0},
        UsbCase{"any_order", "<combkey/><funkey/><usb vid=\"AB\"/><local/>", 0xAB, 0, 0, 0}),
    [](const testing::TestParamInfo<UsbCase>& p) { return std::string(p.param.name); });

TEST(AppConfig, MediaKeysNeedANameAndDefaultTheirOtherFields) {
    AppConfig config;
    ASSERT_TRUE(config.loadBuffer(
        "<funkey>"
        "<key name=\"Volume Up\" code=\"175\"/>"
        "<key name=\"\" code=\"1\"/>"
        "<key code=\"2\"/>"
        "<anything name=\"No code\"/>"
        "<key name=\"Calculator\" code=\"10000\" path=\"calc.exe\" argm=\"/x &quot;y&quot;\"/>"
        "text between"
        "<key name=\"\xE9\x9F\xB3\xE9\x87\x8F\" code=\"-3junk\"/>"
        "</funkey>"));
    ASSERT_EQ(config.mediaKeys.size(), 4u);
    EXPECT_EQ(config.mediaKeys[0].name, L"Volume Up");
    EXPECT_EQ(config.mediaKeys[0].code, 175);
    EXPECT_EQ(config.mediaKeys[0].path, L"");
    EXPECT_EQ(config.mediaKeys[1].name, L"No code");
    EXPECT_EQ(config.mediaKeys[1].code, 0);
    EXPECT_EQ(config.mediaKeys[2].path, L"calc.exe");
    EXPECT_EQ(config.mediaKeys[2].argm, L"/x \"y\"");
    EXPECT_EQ(config.mediaKeys[3].name, L"\x97F3\x91CF");
    EXPECT_EQ(config.mediaKeys[3].code, -3);
}

struct ComboCase {
    const char* name;
    const char* code;
    std::vector<std::pair<int, int>> parts;
};

class ComboCode : public testing::TestWithParam<ComboCase> {};

TEST_P(ComboCode, SplitsIntoParts) {
    AppConfig config;
    ASSERT_TRUE(config.loadBuffer(std::string("<combkey><c name=\"x\" code=\"") + GetParam().code +
                                  "\"/></combkey>"));
    ASSERT_EQ(config.keyCombos.size(), 1u);
    std::vector<std::pair<int, int>> got;
    for (const ComboPart& p : config.keyCombos[0].parts) {
        got.emplace_back(p.code, p.delay);
    }
    EXPECT_EQ(got, GetParam().parts);
}

using P = std::vector<std::pair<int, int>>;
INSTANTIATE_TEST_SUITE_P(
    Cases, ComboCode,
    testing::Values(ComboCase{"copy", "17:20,67:20", P{{17, 20}, {67, 20}}},
                    ComboCase{"spaces_everywhere", " 17 : 20 , 67 :20 ", P{{17, 20}, {67, 20}}},
                    ComboCase{"no_colons", "91,68", P{{91, 0}, {68, 0}}},
                    ComboCase{"three_parts", "17:0,16:0,27:0", P{{17, 0}, {16, 0}, {27, 0}}},
                    ComboCase{"empty_pieces", ",,17:5,,", P{{17, 5}}},
                    ComboCase{"leading_colon", ":20", P{{20, 0}}},
                    ComboCase{"only_colons", "::,17:1", P{{17, 1}}},
                    ComboCase{"double_colon", "17::5", P{{17, 5}}},
                    ComboCase{"extra_number_ignored", "17:5:9", P{{17, 5}}},
                    ComboCase{"letters_read_as_zero", "ctrl:x", P{{0, 0}}},
                    ComboCase{"tab_is_not_removed", "17:\t20", P{{17, 20}}},
                    ComboCase{"tab_before_digits_stays", "\t17", P{{17, 0}}},
                    ComboCase{"negative", "-5:-1", P{{-5, -1}}},
                    ComboCase{"huge_saturates", "99999999999:1", P{{INT32_MAX, 1}}},
                    ComboCase{"empty", "", P{}}),
    [](const testing::TestParamInfo<ComboCase>& p) { return std::string(p.param.name); });

TEST(AppConfig, EveryCombinationChildBecomesAnEntry) {
    AppConfig config;
    ASSERT_TRUE(config.loadBuffer("<combkey><a/><b name=\"Copy\"/><c code=\"1:2\"/></combkey>"));
    ASSERT_EQ(config.keyCombos.size(), 3u);
    EXPECT_EQ(config.keyCombos[0].name, L"");
    EXPECT_TRUE(config.keyCombos[0].parts.empty());
    EXPECT_EQ(config.keyCombos[1].name, L"Copy");
    EXPECT_TRUE(config.keyCombos[1].parts.empty());
    ASSERT_EQ(config.keyCombos[2].parts.size(), 1u);
}

TEST(AppConfig, Utf16FileIsDetected) {
    AppConfig config;
    ASSERT_TRUE(
        config.loadBuffer(kgtest::utf16le("<local language=\"cn\"/><usb vid=\"258A\"/>", true)));
    EXPECT_EQ(config.useChinese, 1);
    EXPECT_EQ(config.usbVendorId, 0x258A);
}

TEST(AppConfig, ShippedConfigurationsNameTheKeyboard) {
    for (const char* name : {"config.xml", "config-linux.xml"}) {
        AppConfig config;
        ASSERT_TRUE(
            config.loadFile((std::filesystem::path(KEYGLOW_SOURCE_DIR) / "app" / name).wstring()))
            << name;
        EXPECT_EQ(config.usbVendorId, 0x258A) << name;
        EXPECT_EQ(config.usbProductId, 0x0049) << name;
        EXPECT_EQ(config.usbInterface, 1) << name;
        EXPECT_EQ(config.usbSubdevice, 2) << name;
        EXPECT_EQ(config.useChinese, 0) << name;
        ASSERT_GE(config.mediaKeys.size(), 8u) << name;
        EXPECT_EQ(config.mediaKeys[0].code, 175) << name;
        ASSERT_GE(config.keyCombos.size(), 10u) << name;
        EXPECT_EQ(config.keyCombos[0].name, L"Copy");
        ASSERT_EQ(config.keyCombos[0].parts.size(), 2u);
        EXPECT_EQ(config.keyCombos[0].parts[1].code, 67);
        bool calculator = false;
        for (const MediaKeyEntry& e : config.mediaKeys) {
            calculator = calculator || (e.code == 10000 && !e.path.empty());
        }
        EXPECT_TRUE(calculator) << name;
    }
}

// Each system's configuration starts the programs that system has: Windows programs by their
// file names, Linux ones through the desktop (never a Windows file name).
TEST(AppConfig, ShippedProgramEntriesFitTheirSystem) {
    struct Shipped {
        const char* file;
        bool windows;
    };
    for (const Shipped& shipped :
         {Shipped{"config.xml", true}, Shipped{"config-linux.xml", false}}) {
        AppConfig config;
        ASSERT_TRUE(config.loadFile(
            (std::filesystem::path(KEYGLOW_SOURCE_DIR) / "app" / shipped.file).wstring()));
        std::vector<std::wstring> programs;
        for (const MediaKeyEntry& e : config.mediaKeys) {
            if (e.code >= 10000) {
                programs.push_back(e.path);
            }
        }
        ASSERT_EQ(programs.size(), 4u) << shipped.file;
        for (const std::wstring& path : programs) {
            ASSERT_FALSE(path.empty()) << shipped.file;
            const bool exe = path.size() > 4 && path.substr(path.size() - 4) == L".exe";
            EXPECT_EQ(exe, shipped.windows) << shipped.file;
        }
    }
}

class ConfigBadInput : public testing::TestWithParam<kgtest::BadInput> {};

TEST_P(ConfigBadInput, NeverCrashesAndFailsCleanly) {
    AppConfig config;
    if (!config.loadBuffer(GetParam().bytes)) {
        EXPECT_TRUE(isDefault(config));
    }
    for (const MediaKeyEntry& e : config.mediaKeys) {
        EXPECT_FALSE(e.name.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigBadInput,
    testing::ValuesIn(kgtest::badInputs(kgtest::readFile(std::filesystem::path(KEYGLOW_SOURCE_DIR) /
                                                         "app" / "config.xml"))),
    [](const testing::TestParamInfo<kgtest::BadInput>& p) { return p.param.name; });

}  // namespace
