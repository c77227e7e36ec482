#pragma once

#include <cstdint>

// The numbers a HID interface path carries: "hid#vid_XXXX&pid_XXXX[&rev_XXXX][&mi_NN][&colNN]".
struct HidPathIds {
    std::int32_t vendorId = -1;
    std::int32_t productId = -1;
    std::int32_t interfaceNumber = -1;   // -1: no "&mi_" field
    std::int32_t collectionNumber = -1;  // -1: no "&col" field
};

// Searches `path` anywhere, case-insensitively, for the HID path pattern and fills `ids` (may be
// null: only the match is reported). The mi and col fields give only their last character, so
// "mi_10" is interface 0; the hexadecimal conversion stops at the first character that is not a
// hexadecimal digit. Returns false, leaving `ids` untouched, when `path` is null or no pattern is
// found.
bool ParseHidPath(const wchar_t* path, HidPathIds* ids);
