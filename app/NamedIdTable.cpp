#include "app/NamedIdTable.h"

#include <algorithm>
#include <cwchar>

// The layouts name their controls; the code finds many of them by these numbers. Both sides
// are fixed: a layout and the code agree only through this table. Kept sorted by name in
// ordinal order of the wide characters (upper case before '_', '_' before lower case), so the
// toolkit can take it as it is and lookups can search it by halves.
const NamedId kNamedIds[kNamedIdCount] = {
    {L"_name_start", 65535},
    {L"bar_const_brightness_0", 65544},
    {L"bar_const_brightness_1", 65548},
    {L"bar_const_brightness_2", 65549},
    {L"bar_const_brightness_3", 65551},
    {L"bar_general_speed_0", 65543},
    {L"bar_general_speed_1", 65547},
    {L"bar_general_speed_3", 65550},
    {L"bar_side_brightness", 65560},
    {L"btnCancel", 65563},
    {L"btnDelete", 65597},
    {L"btnMin", 65561},
    {L"btnOK", 65596},
    {L"btnRestore", 65562},
    {L"btnSwitch", 65601},
    {L"btn_close", 65539},
    {L"btn_min", 65538},
    {L"btn_more", 65537},
    {L"btn_restore_factory", 65555},
    {L"button1st", 65602},
    {L"button2nd", 65603},
    {L"button3rd", 65604},
    {L"cbx_color_effect", 65541},
    {L"cbx_in_lv", 65556},
    {L"cbx_side_color_effect", 65558},
    {L"chk_macro_fixed_delay", 65588},
    {L"chk_macro_no_delay", 65589},
    {L"chk_macro_realy_delay", 65587},
    {L"chk_macro_record", 65590},
    {L"chk_single_record", 65592},
    {L"click_to_stop", 65591},
    {L"cmb_function_keys", 65595},
    {L"cmb_media_keys", 65594},
    {L"col1", 65577},
    {L"col2", 65579},
    {L"col3", 65581},
    {L"col4", 65583},
    {L"edit_macro_delay_time", 65586},
    {L"edit_macro_repeat_times", 65585},
    {L"edit_single_key", 65593},
    {L"groupAdd", 65571},
    {L"groupDel", 65570},
    {L"groupExport", 65573},
    {L"groupImport", 65572},
    {L"group_name", 65575},
    {L"img_keyboard", 65540},
    {L"item_clear", 65569},
    {L"item_delete", 65568},
    {L"item_down", 65567},
    {L"item_up", 65566},
    {L"key_code", 65578},
    {L"key_delay", 65584},
    {L"key_info", 65576},
    {L"key_name", 65580},
    {L"key_state", 65582},
    {L"macro_group", 65574},
    {L"msgicon", 65599},
    {L"msgtext", 65600},
    {L"msgtitle", 65598},
    {L"radio_direction_left_0", 65545},
    {L"radio_direction_right_0", 65546},
    {L"radio_loader_center_3", 65553},
    {L"radio_loader_left_3", 65552},
    {L"radio_loader_right_3", 65554},
    {L"tab_color_effect", 65542},
    {L"tab_macro_mode_selection", 65565},
    {L"text_recording_keys", 65564},
    {L"text_side_brightness", 65559},
    {L"title", 65536},
    {L"version", 65557},
};

const wchar_t* const kNamedIdNames[kNamedIdCount] = {
    kNamedIds[0].name,  kNamedIds[1].name,  kNamedIds[2].name,  kNamedIds[3].name,
    kNamedIds[4].name,  kNamedIds[5].name,  kNamedIds[6].name,  kNamedIds[7].name,
    kNamedIds[8].name,  kNamedIds[9].name,  kNamedIds[10].name, kNamedIds[11].name,
    kNamedIds[12].name, kNamedIds[13].name, kNamedIds[14].name, kNamedIds[15].name,
    kNamedIds[16].name, kNamedIds[17].name, kNamedIds[18].name, kNamedIds[19].name,
    kNamedIds[20].name, kNamedIds[21].name, kNamedIds[22].name, kNamedIds[23].name,
    kNamedIds[24].name, kNamedIds[25].name, kNamedIds[26].name, kNamedIds[27].name,
    kNamedIds[28].name, kNamedIds[29].name, kNamedIds[30].name, kNamedIds[31].name,
    kNamedIds[32].name, kNamedIds[33].name, kNamedIds[34].name, kNamedIds[35].name,
    kNamedIds[36].name, kNamedIds[37].name, kNamedIds[38].name, kNamedIds[39].name,
    kNamedIds[40].name, kNamedIds[41].name, kNamedIds[42].name, kNamedIds[43].name,
    kNamedIds[44].name, kNamedIds[45].name, kNamedIds[46].name, kNamedIds[47].name,
    kNamedIds[48].name, kNamedIds[49].name, kNamedIds[50].name, kNamedIds[51].name,
    kNamedIds[52].name, kNamedIds[53].name, kNamedIds[54].name, kNamedIds[55].name,
    kNamedIds[56].name, kNamedIds[57].name, kNamedIds[58].name, kNamedIds[59].name,
    kNamedIds[60].name, kNamedIds[61].name, kNamedIds[62].name, kNamedIds[63].name,
    kNamedIds[64].name, kNamedIds[65].name, kNamedIds[66].name, kNamedIds[67].name,
    kNamedIds[68].name, kNamedIds[69].name,
};

int namedIdByName(std::wstring_view name) {
    const NamedId* const end = kNamedIds + kNamedIdCount;
    const NamedId* it = std::lower_bound(
        kNamedIds, end, name,
        [](const NamedId& e, std::wstring_view n) { return std::wstring_view(e.name) < n; });
    if (it == end || std::wstring_view(it->name) != name) {
        return -1;
    }
    return it->id;
}

const wchar_t* namedIdName(int id) {
    for (const NamedId& e : kNamedIds) {
        if (e.id == id) {
            return e.name;
        }
    }
    return nullptr;
}
