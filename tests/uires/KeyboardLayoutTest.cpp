// The key layout and the keyboard pictures come from one table in tools/uiart; these checks
// hold the generated files to what the keyboard image control relies on.

#include <QImage>
#include <QRect>
#include <QString>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kResourceDir = std::string(KEYGLOW_BIN_DIR) + "/uires";

struct LayoutKey {
    int id = -1;
    std::string name;
    std::string colour;
    QRect rect;
};

bool parseRect(const char* text, QRect& rect) {
    int left = 0, top = 0, width = 0, height = 0;
    if (std::sscanf(text, "%d,%d,%d,%d", &left, &top, &width, &height) != 4) {
        return false;
    }
    rect = QRect(left, top, width, height);
    return true;
}

class KeyboardLayout : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = kResourceDir + "/keyboard.xml";
        ASSERT_TRUE(m_doc.load_file(path.c_str())) << path;
        const pugi::xml_node root = m_doc.child("positions");
        ASSERT_TRUE(root) << "no <positions> in " << path;
        for (const pugi::xml_node node : root.children()) {
            LayoutKey key;
            key.id = node.attribute("id").as_int(-1);
            key.name = node.attribute("name").as_string();
            key.colour = node.attribute("color").as_string();
            ASSERT_TRUE(parseRect(node.attribute("rect").as_string(), key.rect))
                << "key " << key.name << ": rect \"" << node.attribute("rect").as_string() << "\"";
            m_keys.push_back(key);
        }
        m_picture = QImage(QString::fromStdString(kResourceDir + "/image/keyboard.png"));
        ASSERT_FALSE(m_picture.isNull());
    }

    const LayoutKey* byName(const std::string& name) const {
        for (const LayoutKey& key : m_keys) {
            if (key.name == name) {
                return &key;
            }
        }
        return nullptr;
    }

    pugi::xml_document m_doc;
    std::vector<LayoutKey> m_keys;
    QImage m_picture;
};

TEST_F(KeyboardLayout, HasTheHundredAndFourKeysOfAFullSizeBoardWithUniqueIds) {
    EXPECT_EQ(m_keys.size(), 104u);
    std::set<int> ids;
    std::set<std::string> names;
    for (const LayoutKey& key : m_keys) {
        EXPECT_TRUE(ids.insert(key.id).second) << "duplicate id " << key.id;
        EXPECT_TRUE(names.insert(key.name).second) << "duplicate name " << key.name;
        EXPECT_FALSE(key.name.empty()) << "key " << key.id;
    }
}

TEST_F(KeyboardLayout, IdsAreKeyCodesWithTheExtendedBit) {
    struct Case {
        const char* name;
        int id;
    };
    const Case cases[] = {
        {"Enter", 0x0D},    {"Pad Enter", 0x10D}, {"CtrlLeft", 0xA2},   {"CtrlRight", 0x1A3},
        {"AltLeft", 0xA4},  {"AltRight", 0x1A5},  {"ShiftRight", 0xA1}, {"Insert", 0x12D},
        {"Delete", 0x12E},  {"PageDown", 0x122},  {"ArrowUp", 0x126},   {"ArrowLeft", 0x125},
        {"Pad /", 0x16F},   {"Pad 5", 0x65},      {"Pad .", 0x6E},      {"A", 0x41},
        {"0", 0x30},        {"F12", 0x7B},        {"~", 0xC0},          {"\xE2\x80\x98", 0xDE},
        {"SpaceBar", 0x20}, {"Pause", 0x13},
    };
    for (const Case& c : cases) {
        const LayoutKey* key = byName(c.name);
        ASSERT_NE(key, nullptr) << c.name;
        EXPECT_EQ(key->id, c.id) << c.name;
    }
}

TEST_F(KeyboardLayout, ColoursAreHashAndSixHexDigits) {
    for (const LayoutKey& key : m_keys) {
        ASSERT_EQ(key.colour.size(), 7u) << key.name << " " << key.colour;
        EXPECT_EQ(key.colour[0], '#') << key.name;
        EXPECT_EQ(key.colour.find_first_not_of("0123456789ABCDEFabcdef", 1), std::string::npos)
            << key.name << " " << key.colour;
    }
}

TEST_F(KeyboardLayout, KeysLieInsideThePictureAndNeverOverlap) {
    const QRect picture(QPoint(0, 0), m_picture.size());
    for (size_t i = 0; i < m_keys.size(); ++i) {
        EXPECT_TRUE(picture.contains(m_keys[i].rect)) << m_keys[i].name;
        EXPECT_GE(m_keys[i].rect.width(), 20) << m_keys[i].name;
        for (size_t j = i + 1; j < m_keys.size(); ++j) {
            EXPECT_FALSE(m_keys[i].rect.intersects(m_keys[j].rect))
                << m_keys[i].name << " and " << m_keys[j].name;
        }
    }
}

TEST_F(KeyboardLayout, KeyColoursShowThroughThePictureOnlyAtTheKeys) {
    for (const LayoutKey& key : m_keys) {
        EXPECT_EQ(qAlpha(m_picture.pixel(key.rect.center())), 0) << key.name;
    }
    // Away from the rounded outer corners the case is solid wherever there is no key.
    int sampled = 0;
    for (int y = 20; y < m_picture.height() - 20; y += 5) {
        for (int x = 20; x < m_picture.width() - 20; x += 5) {
            bool onKey = false;
            for (const LayoutKey& key : m_keys) {
                onKey = onKey || key.rect.contains(x, y);
            }
            if (!onKey) {
                ++sampled;
                ASSERT_EQ(qAlpha(m_picture.pixel(x, y)), 255) << "at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(sampled, 1000);
}

TEST_F(KeyboardLayout, OverlaysMatchThePictureAndCoverEveryKey) {
    for (const char* name : {"img_keboard_floating", "img_keboard_checked", "img_keboard_pressed",
                             "img_keboard_normal"}) {
        const QImage overlay(QString::fromStdString(kResourceDir + "/image/" + name + ".png"));
        ASSERT_EQ(overlay.size(), m_picture.size()) << name;
        for (const LayoutKey& key : m_keys) {
            EXPECT_EQ(qAlpha(overlay.pixel(key.rect.center())), 255) << name << " " << key.name;
        }
    }
}

}  // namespace
