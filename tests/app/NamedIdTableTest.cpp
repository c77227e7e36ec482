#include "app/NamedIdTable.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <set>
#include <string>

namespace {

TEST(NamedIdTable, HasSeventyEntriesSortedByOrdinalName) {
    for (int i = 1; i < kNamedIdCount; ++i) {
        EXPECT_LT(std::wstring_view(kNamedIds[i - 1].name), std::wstring_view(kNamedIds[i].name))
            << i;
    }
    EXPECT_STREQ(kNamedIds[0].name, L"_name_start");
    EXPECT_EQ(kNamedIds[0].id, 65535);
}

TEST(NamedIdTable, IdsAreExactly65535To65604) {
    std::set<int> ids;
    for (const NamedId& e : kNamedIds) {
        ids.insert(e.id);
        EXPECT_LE(std::wcslen(e.name), 51u);
    }
    ASSERT_EQ(ids.size(), 70u);
    EXPECT_EQ(*ids.begin(), 65535);
    EXPECT_EQ(*ids.rbegin(), 65604);
}

struct KnownId {
    const wchar_t* name;
    int id;
};

TEST(NamedIdTable, ControlsTheCodeFindsByNumber) {
    const KnownId known[] = {
        {L"title", 65536},
        {L"cbx_color_effect", 65541},
        {L"bar_side_brightness", 65560},
        {L"cbx_side_color_effect", 65558},
        {L"btn_restore_factory", 65555},
        {L"version", 65557},
        {L"btnMin", 65561},
        {L"tab_macro_mode_selection", 65565},
        {L"chk_macro_realy_delay", 65587},
        {L"btnOK", 65596},
        {L"btnDelete", 65597},
        {L"msgtitle", 65598},
        {L"button3rd", 65604},
    };
    for (const KnownId& k : known) {
        EXPECT_EQ(namedIdByName(k.name), k.id) << std::wstring(k.name).size();
        EXPECT_STREQ(namedIdName(k.id), k.name);
    }
}

TEST(NamedIdTable, LookupsOfAbsentNamesAndIds) {
    EXPECT_EQ(namedIdByName(L"no_such_control"), -1);
    EXPECT_EQ(namedIdByName(L""), -1);
    EXPECT_EQ(namedIdByName(L"CBX_COLOR_EFFECT"), -1);  // names are case-sensitive
    EXPECT_EQ(namedIdByName(L"cbx_color_effect "), -1);
    EXPECT_EQ(namedIdName(65534), nullptr);
    EXPECT_EQ(namedIdName(65605), nullptr);
    EXPECT_EQ(namedIdName(-1), nullptr);
}

TEST(NamedIdTable, EveryEntryIsFoundByItsNameAndId) {
    for (const NamedId& e : kNamedIds) {
        EXPECT_EQ(namedIdByName(e.name), e.id);
        EXPECT_EQ(namedIdName(e.id), e.name);
    }
}

TEST(NamedIdTable, SecondListNamesTheEntriesInTableOrder) {
    for (int i = 0; i < kNamedIdCount; ++i) {
        EXPECT_STREQ(kNamedIdNames[i], kNamedIds[i].name) << i;
    }
    // The slider bindings of the main window.
    const wchar_t* const sliders[] = {L"bar_const_brightness_0", L"bar_const_brightness_1",
                                      L"bar_const_brightness_2", L"bar_const_brightness_3",
                                      L"bar_general_speed_0",    L"bar_general_speed_1",
                                      L"bar_general_speed_3",    L"bar_side_brightness"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_STREQ(kNamedIdNames[i + 1], sliders[i]);
    }
}

}  // namespace
