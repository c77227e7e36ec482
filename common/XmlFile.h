#pragma once

#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace kg {

// Parses the file at `path` into `doc`. The settings files are read with the library's default
// parse options; `encoding` is encoding_utf8 for the files the program writes and
// encoding_auto for config.xml. Returns whether the file was opened and is well-formed.
bool loadXmlFile(pugi::xml_document& doc, const std::wstring& path,
                 pugi::xml_encoding encoding = pugi::encoding_utf8);

// The same for bytes already in memory.
bool loadXmlBuffer(pugi::xml_document& doc, std::string_view bytes,
                   pugi::xml_encoding encoding = pugi::encoding_utf8);

// A store's load from a file: remembers `path` in `storedPath` first (so that defaults written
// when the file is missing or malformed land there too), parses the file and hands the
// document and whether it parsed to `read`. A null path changes nothing and returns false.
template <class Read>
bool loadSettingsFile(const wchar_t* path, std::wstring& storedPath, Read&& read) {
    if (path == nullptr) {
        return false;
    }
    storedPath = path;
    pugi::xml_document doc;
    const bool parsed = loadXmlFile(doc, storedPath);
    return read(doc, parsed);
}

// The same for a store's load from bytes in memory; the stored path stays as it is.
template <class Read>
bool loadSettingsBuffer(std::string_view bytes, Read&& read) {
    pugi::xml_document doc;
    const bool parsed = loadXmlBuffer(doc, bytes);
    return read(doc, parsed);
}

// The settings files' layout: XML declaration, one element per line, one tab per level,
// empty elements as `<item ... />`, UTF-8 without byte-order mark.
std::string xmlToString(const pugi::xml_document& doc);

// Writes xmlToString(doc) over `path` through a temporary file, so the old file stays whole
// when the write fails. Returns whether the new file is in place.
bool saveXmlFile(const pugi::xml_document& doc, const std::wstring& path);

}  // namespace kg
