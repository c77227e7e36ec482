#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

// A media key or a program the editor offers as a target. Codes below 10000 are virtual-key
// codes pressed in place of the assigned key; 10000 and above open `path` with `argm`.
struct MediaKeyEntry {
    std::wstring name;
    int code = 0;
    std::wstring path;
    std::wstring argm;
};

// One key of a combination and the milliseconds to wait after it.
struct ComboPart {
    int code = 0;
    int delay = 0;
};

struct KeyComboEntry {
    std::wstring name;
    std::vector<ComboPart> parts;
};

// The read-only configuration from "config.xml": the keyboard's USB identification, the
// start-up language and the two target lists of the assignment editor. The program never
// writes the file. Readers use the fields directly.
class AppConfig {
public:
    // The process-wide configuration, created with the defaults on first use and never
    // destroyed.
    static AppConfig& instance();

    // Reads "config.xml" from the program folder. A missing or malformed file is silent and
    // leaves every field at its default.
    void load();

    // The same from a given file or from bytes in memory; returns whether the document was
    // parsed (the fields are filled only then).
    bool loadFile(const std::wstring& path);
    bool loadBuffer(std::string_view bytes);

    const pugi::xml_document& document() const { return m_document; }

    int usbVendorId = 0;
    int usbProductId = 0;
    int usbInterface = 0;
    int usbSubdevice = 0;
    int useChinese = 0;
    std::vector<MediaKeyEntry> mediaKeys;
    std::vector<KeyComboEntry> keyCombos;

private:
    void readDocument();

    pugi::xml_document m_document;
};
