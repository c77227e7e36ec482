#include "platform/KeyCodes.h"

#include <array>

namespace platform {
namespace {

struct Row {
    std::uint16_t linuxCode;
    std::uint8_t vk;
    bool extended;
    std::uint8_t scanCode;
};

// Linux key codes 1..88 are the set-1 scan codes themselves; the keys behind an E0 prefix
// carry the extended flag and their scan code without the prefix.
constexpr Row kRows[] = {
    {1, 0x1B, false, 0x01},  // Esc
    {2, '1', false, 0x02},    {3, '2', false, 0x03},    {4, '3', false, 0x04},
    {5, '4', false, 0x05},    {6, '5', false, 0x06},    {7, '6', false, 0x07},
    {8, '7', false, 0x08},    {9, '8', false, 0x09},    {10, '9', false, 0x0A},
    {11, '0', false, 0x0B},   {12, 0xBD, false, 0x0C},  {13, 0xBB, false, 0x0D},
    {14, 0x08, false, 0x0E},  {15, 0x09, false, 0x0F},  {16, 'Q', false, 0x10},
    {17, 'W', false, 0x11},   {18, 'E', false, 0x12},   {19, 'R', false, 0x13},
    {20, 'T', false, 0x14},   {21, 'Y', false, 0x15},   {22, 'U', false, 0x16},
    {23, 'I', false, 0x17},   {24, 'O', false, 0x18},   {25, 'P', false, 0x19},
    {26, 0xDB, false, 0x1A},  {27, 0xDD, false, 0x1B},  {28, 0x0D, false, 0x1C},
    {29, 0xA2, false, 0x1D},  {30, 'A', false, 0x1E},   {31, 'S', false, 0x1F},
    {32, 'D', false, 0x20},   {33, 'F', false, 0x21},   {34, 'G', false, 0x22},
    {35, 'H', false, 0x23},   {36, 'J', false, 0x24},   {37, 'K', false, 0x25},
    {38, 'L', false, 0x26},   {39, 0xBA, false, 0x27},  {40, 0xDE, false, 0x28},
    {41, 0xC0, false, 0x29},  {42, 0xA0, false, 0x2A},  {43, 0xDC, false, 0x2B},
    {44, 'Z', false, 0x2C},   {45, 'X', false, 0x2D},   {46, 'C', false, 0x2E},
    {47, 'V', false, 0x2F},   {48, 'B', false, 0x30},   {49, 'N', false, 0x31},
    {50, 'M', false, 0x32},   {51, 0xBC, false, 0x33},  {52, 0xBE, false, 0x34},
    {53, 0xBF, false, 0x35},  {54, 0xA1, false, 0x36},  {55, 0x6A, false, 0x37},
    {56, 0xA4, false, 0x38},  {57, 0x20, false, 0x39},  {58, 0x14, false, 0x3A},
    {59, 0x70, false, 0x3B},  {60, 0x71, false, 0x3C},  {61, 0x72, false, 0x3D},
    {62, 0x73, false, 0x3E},  {63, 0x74, false, 0x3F},  {64, 0x75, false, 0x40},
    {65, 0x76, false, 0x41},  {66, 0x77, false, 0x42},  {67, 0x78, false, 0x43},
    {68, 0x79, false, 0x44},  {69, 0x90, true, 0x45},  // Num Lock reports extended
    {70, 0x91, false, 0x46},  {71, 0x67, false, 0x47},  {72, 0x68, false, 0x48},
    {73, 0x69, false, 0x49},  {74, 0x6D, false, 0x4A},  {75, 0x64, false, 0x4B},
    {76, 0x65, false, 0x4C},  {77, 0x66, false, 0x4D},  {78, 0x6B, false, 0x4E},
    {79, 0x61, false, 0x4F},  {80, 0x62, false, 0x50},  {81, 0x63, false, 0x51},
    {82, 0x60, false, 0x52},  {83, 0x6E, false, 0x53},  {86, 0xE2, false, 0x56},
    {87, 0x7A, false, 0x57},  {88, 0x7B, false, 0x58},  {96, 0x0D, true, 0x1C},  // keypad Enter
    {97, 0xA3, true, 0x1D},                                                      // right Ctrl
    {98, 0x6F, true, 0x35},                                                      // keypad /
    {99, 0x2C, true, 0x37},                                                      // Print Screen
    {100, 0xA5, true, 0x38},                                                     // right Alt
    {102, 0x24, true, 0x47},  {103, 0x26, true, 0x48},  {104, 0x21, true, 0x49},
    {105, 0x25, true, 0x4B},  {106, 0x27, true, 0x4D},  {107, 0x23, true, 0x4F},
    {108, 0x28, true, 0x50},  {109, 0x22, true, 0x51},  {110, 0x2D, true, 0x52},
    {111, 0x2E, true, 0x53},  {113, 0xAD, true, 0x20},  {114, 0xAE, true, 0x2E},
    {115, 0xAF, true, 0x30},  {119, 0x13, false, 0x45},  // Pause
    {125, 0x5B, true, 0x5B},  {126, 0x5C, true, 0x5C},  {127, 0x5D, true, 0x5D},
    {128, 0xA9, true, 0x68},  {140, 0xB7, true, 0x21},  {142, 0x5F, true, 0x5F},
    {155, 0xB4, true, 0x6C},  {156, 0xAB, true, 0x66},  {157, 0xB6, true, 0x6B},
    {158, 0xA6, true, 0x6A},  {159, 0xA7, true, 0x69},  {163, 0xB0, true, 0x19},
    {164, 0xB3, true, 0x22},  {165, 0xB1, true, 0x10},  {166, 0xB2, true, 0x24},
    {172, 0xAC, true, 0x32},  {173, 0xA8, true, 0x67},  {183, 0x7C, false, 0x64},
    {184, 0x7D, false, 0x65}, {185, 0x7E, false, 0x66}, {186, 0x7F, false, 0x67},
    {187, 0x80, false, 0x68}, {188, 0x81, false, 0x69}, {189, 0x82, false, 0x6A},
    {190, 0x83, false, 0x6B}, {191, 0x84, false, 0x6C}, {192, 0x85, false, 0x6D},
    {193, 0x86, false, 0x6E}, {194, 0x87, false, 0x76}, {217, 0xAA, true, 0x65},
    {226, 0xB5, true, 0x6D},
};

constexpr std::uint16_t kLinuxLeftShift = 42;
constexpr std::uint16_t kLinuxLeftCtrl = 29;
constexpr std::uint16_t kLinuxLeftAlt = 56;

struct ByLinux {
    std::array<VirtualKey, 256> keys{};
    constexpr ByLinux() {
        for (const Row& r : kRows) {
            keys[r.linuxCode] = VirtualKey{r.vk, r.extended, r.scanCode};
        }
    }
};

struct ByVk {
    std::array<std::uint16_t, 256> plain{};
    std::array<std::uint16_t, 256> extended{};
    std::array<std::uint8_t, 256> scan{};
    constexpr ByVk() {
        for (const Row& r : kRows) {
            auto& slot = r.extended ? extended[r.vk] : plain[r.vk];
            if (slot == 0) {
                slot = r.linuxCode;
            }
            if (scan[r.vk] == 0) {
                scan[r.vk] = r.scanCode;
            }
        }
        // Side-neutral modifiers, as key combinations name them.
        plain[0x10] = kLinuxLeftShift;
        plain[0x11] = kLinuxLeftCtrl;
        plain[0x12] = kLinuxLeftAlt;
        scan[0x10] = 0x2A;
        scan[0x11] = 0x1D;
        scan[0x12] = 0x38;
    }
};

constexpr ByLinux kByLinux{};
constexpr ByVk kByVk{};

}  // namespace

VirtualKey virtualKeyForLinuxKey(std::uint16_t linuxCode) noexcept {
    return linuxCode < kByLinux.keys.size() ? kByLinux.keys[linuxCode] : VirtualKey{};
}

std::uint16_t linuxKeyForVirtualKey(std::uint8_t vk, bool extended) noexcept {
    const std::uint16_t preferred = extended ? kByVk.extended[vk] : kByVk.plain[vk];
    if (preferred != 0) {
        return preferred;
    }
    return extended ? kByVk.plain[vk] : kByVk.extended[vk];
}

std::uint32_t scanCodeForVirtualKey(std::uint32_t code) noexcept {
    return code < kByVk.scan.size() ? kByVk.scan[code] : 0;
}

}  // namespace platform
