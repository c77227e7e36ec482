#include "settings/AppConfig.h"

#include <cstring>

#include "common/NumberText.h"
#include "common/PathJoin.h"
#include "common/Utf.h"
#include "common/XmlFile.h"
#include "platform/ProgramFolder.h"

namespace {

int hexAttribute(const pugi::xml_node& node, const char* name) {
    const pugi::xml_attribute attr = node.attribute(name);
    return attr ? static_cast<int>(kg::parseHex32(attr.value())) : 0;
}

// Splits at `sep`, leaving out empty pieces.
std::vector<std::string_view> splitNonEmpty(std::string_view text, char sep) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(sep, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (end > start) {
            pieces.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return pieces;
}

// "17:20, 67:20" -> {17, 20}, {67, 20}. Only the space character is dropped; a piece made of
// colons alone carries no part.
std::vector<ComboPart> parseComboCode(std::string_view code) {
    std::string compact;
    compact.reserve(code.size());
    for (char c : code) {
        if (c != ' ') {
            compact.push_back(c);
        }
    }
    std::vector<ComboPart> parts;
    for (std::string_view piece : splitNonEmpty(compact, ',')) {
        const std::vector<std::string_view> numbers = splitNonEmpty(piece, ':');
        if (numbers.empty()) {
            continue;
        }
        ComboPart part;
        part.code = kg::parseAtol(numbers[0]);
        part.delay = numbers.size() > 1 ? kg::parseAtol(numbers[1]) : 0;
        parts.push_back(part);
    }
    return parts;
}

}  // namespace

AppConfig& AppConfig::instance() {
    static AppConfig* const config = new AppConfig();
    return *config;
}

void AppConfig::load() {
    loadFile(kg::joinPath(platform::programFolder(), L"config.xml"));
}

bool AppConfig::loadFile(const std::wstring& path) {
    if (!kg::loadXmlFile(m_document, path, pugi::encoding_auto)) {
        return false;
    }
    readDocument();
    return true;
}

bool AppConfig::loadBuffer(std::string_view bytes) {
    if (!kg::loadXmlBuffer(m_document, bytes, pugi::encoding_auto)) {
        return false;
    }
    readDocument();
    return true;
}

void AppConfig::readDocument() {
    // Of several top-level elements with one name only the first counts; child() finds it.
    useChinese = std::strcmp(m_document.child("local").attribute("language").value(), "cn") == 0;

    const pugi::xml_node usb = m_document.child("usb");
    usbVendorId = hexAttribute(usb, "vid");
    usbProductId = hexAttribute(usb, "pid");
    usbInterface = hexAttribute(usb, "interface");
    usbSubdevice = hexAttribute(usb, "subdevice");

    mediaKeys.clear();
    for (const pugi::xml_node child : m_document.child("funkey").children()) {
        const char* name = child.attribute("name").value();
        if (name[0] == '\0') {
            continue;
        }
        MediaKeyEntry entry;
        entry.name = kg::fromUtf8(name);
        const pugi::xml_attribute code = child.attribute("code");
        entry.code = code ? kg::parseAtol(code.value()) : 0;
        entry.path = kg::fromUtf8(child.attribute("path").value());
        entry.argm = kg::fromUtf8(child.attribute("argm").value());
        mediaKeys.push_back(std::move(entry));
    }

    keyCombos.clear();
    for (const pugi::xml_node child : m_document.child("combkey").children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        KeyComboEntry entry;
        entry.name = kg::fromUtf8(child.attribute("name").value());
        if (const pugi::xml_attribute code = child.attribute("code")) {
            entry.parts = parseComboCode(code.value());
        }
        keyCombos.push_back(std::move(entry));
    }
}
