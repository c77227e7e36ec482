#include "macro/EditorFields.h"

#include <cwctype>
#include <limits>

#include "settings/MacroStore.h"

namespace kg {

namespace {

bool isSpace(wchar_t c) {
    return std::iswspace(static_cast<wint_t>(c)) != 0;
}

bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Parses [sign] digits at `i`; nothing when no digit follows.
std::optional<std::int32_t> signedNumberAt(std::wstring_view text, std::size_t i) {
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    if (i >= text.size() || !isDigit(text[i])) {
        return std::nullopt;
    }
    // Kept within the range plus one so a long run of digits cannot overflow.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > kLimit) {
            value = kLimit;
        }
    }
    if (negative) {
        value = -value;
    } else if (value == kLimit) {
        value = kLimit - 1;
    }
    return static_cast<std::int32_t>(value);
}

std::size_t skipSpace(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    return i;
}

}  // namespace

std::int32_t leadingNumber(std::wstring_view text) noexcept {
    return signedNumberAt(text, skipSpace(text)).value_or(0);
}

std::optional<std::int32_t> stepDelayFromText(std::wstring_view text) noexcept {
    const std::size_t start = skipSpace(text);
    if (start == text.size()) {
        return 0;
    }
    return signedNumberAt(text, start);
}

const wchar_t* stepStateText(std::int32_t state) noexcept {
    switch (state) {
        case 0:
            return L"key down";
        case 1:
            return L"key up";
        default:
            return L"replace";
    }
}

std::wstring joinKeyNames(const std::map<std::uint8_t, std::wstring>& keys) {
    std::wstring text;
    for (const auto& [code, name] : keys) {
        if (!text.empty()) {
            text += L',';
        }
        text += name;
    }
    return text;
}

bool settleEditorConfig(MacroConfig& config, int groupCount) noexcept {
    if (config.group < 0 || config.group >= groupCount) {
        config.group = 0;
    }
    if (config.mode >= 3) {
        config.mode = 0;
        return true;
    }
    return false;
}

}  // namespace kg
