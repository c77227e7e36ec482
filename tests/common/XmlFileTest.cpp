#include "common/XmlFile.h"

#include <gtest/gtest.h>

#include "common/PathJoin.h"
#include "platform/ProgramFolder.h"
#include "tests/support/TestFiles.h"

namespace {

TEST(XmlFile, WritesTheSettingsLayout) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("effect");
    root.append_attribute("sel").set_value(3);
    pugi::xml_node item = root.append_child("item");
    item.append_attribute("name").set_value("a<b & \"c\"");
    pugi::xml_node group = root.append_child("group");
    group.append_child("item").append_attribute("code").set_value(1);
    EXPECT_EQ(kg::xmlToString(doc),
              "<?xml version=\"1.0\"?>\n"
              "<effect sel=\"3\">\n"
              "\t<item name=\"a&lt;b &amp; &quot;c&quot;\" />\n"
              "\t<group>\n"
              "\t\t<item code=\"1\" />\n"
              "\t</group>\n"
              "</effect>\n");
}

TEST(XmlFile, AnEmptyDocumentIsTheDeclarationAlone) {
    pugi::xml_document doc;
    EXPECT_EQ(kg::xmlToString(doc), "<?xml version=\"1.0\"?>\n");
}

TEST(XmlFile, SavesAndLoadsThroughAFile) {
    kgtest::TempFolder temp;
    pugi::xml_document doc;
    doc.append_child("config").append_attribute("type").set_value(2);
    ASSERT_TRUE(kg::saveXmlFile(doc, temp.wfile("a.xml")));
    EXPECT_EQ(kgtest::readFile(temp.file("a.xml")),
              "<?xml version=\"1.0\"?>\n<config type=\"2\" />\n");

    pugi::xml_document back;
    ASSERT_TRUE(kg::loadXmlFile(back, temp.wfile("a.xml")));
    EXPECT_EQ(back.child("config").attribute("type").as_int(), 2);
    EXPECT_FALSE(kgtest::exists(temp.file("a.xml.tmp")));
}

TEST(XmlFile, MissingFileAndMalformedBufferFail) {
    kgtest::TempFolder temp;
    pugi::xml_document doc;
    EXPECT_FALSE(kg::loadXmlFile(doc, temp.wfile("absent.xml")));
    EXPECT_FALSE(kg::loadXmlBuffer(doc, "<a><b></a>"));
    EXPECT_TRUE(kg::loadXmlBuffer(doc, "<a/><b/>"));
}

TEST(XmlFile, ForcedUtf8RejectsUtf16WhileAutomaticDetectionReadsIt) {
    const std::string utf16 = kgtest::utf16le("<usb vid=\"258A\"/>", true);
    pugi::xml_document doc;
    EXPECT_FALSE(kg::loadXmlBuffer(doc, utf16, pugi::encoding_utf8));
    ASSERT_TRUE(kg::loadXmlBuffer(doc, utf16, pugi::encoding_auto));
    EXPECT_STREQ(doc.child("usb").attribute("vid").value(), "258A");
}

TEST(PathJoin, JoinsWithThePlatformSeparator) {
    const wchar_t sep = platform::pathSeparator();
    EXPECT_EQ(kg::joinPath(L"C:\\KeyGlow", L"macro.xml"),
              std::wstring(L"C:\\KeyGlow") + sep + L"macro.xml");
    EXPECT_EQ(kg::joinPath(L"", L"x.xml"), std::wstring(1, sep) + L"x.xml");
}

}  // namespace
