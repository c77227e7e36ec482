#include "common/XmlFile.h"

#include "platform/AtomicFile.h"

namespace kg {

namespace {

class StringWriter : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : m_out(out) {}
    void write(const void* data, size_t size) override {
        m_out.append(static_cast<const char*>(data), size);
    }

private:
    std::string& m_out;
};

}  // namespace

bool loadXmlFile(pugi::xml_document& doc, const std::wstring& path, pugi::xml_encoding encoding) {
    const pugi::xml_parse_result result =
        doc.load_file(path.c_str(), pugi::parse_default, encoding);
    return static_cast<bool>(result);
}

bool loadXmlBuffer(pugi::xml_document& doc, std::string_view bytes, pugi::xml_encoding encoding) {
    const pugi::xml_parse_result result =
        doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, encoding);
    return static_cast<bool>(result);
}

std::string xmlToString(const pugi::xml_document& doc) {
    std::string out;
    StringWriter writer(out);
    doc.save(writer, "\t", pugi::format_default, pugi::encoding_utf8);
    return out;
}

bool saveXmlFile(const pugi::xml_document& doc, const std::wstring& path) {
    return platform::writeFileAtomic(path, xmlToString(doc));
}

}  // namespace kg
