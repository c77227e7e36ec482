// The keyboard image: keys from the layout file, presses and clicks to the listener, the
// selection types, hover with its tooltip, the per-key operations and what it paints.

#include "controls/CoordButtonImage.h"

#include <QFileInfo>

#include "ControlsTestSupport.h"

namespace {

using kgtest::clickAt;
using kgtest::leave;
using kgtest::moveTo;
using kgtest::pressAt;
using kgtest::releaseAt;

struct Call {
    int id;
    std::wstring name;
    int kind;
    std::uintptr_t keyState;
    int x, y;
};

class Recorder : public ICoordButtonClickListener {
public:
    int onCoordButtonClick(int id, std::wstring name, int kind, std::uintptr_t keyState, int x,
                           int y) override {
        calls.push_back(Call{id, std::move(name), kind, keyState, x, y});
        return result;
    }
    std::vector<std::pair<int, int>> idsAndKinds() const {
        std::vector<std::pair<int, int>> out;
        for (const Call& c : calls) {
            out.emplace_back(c.id, c.kind);
        }
        return out;
    }
    std::vector<Call> calls;
    int result = 0;
};

// Three keys in a row, two overlapping keys, and a second key with the id of the first.
const QByteArray kKeys =
    "<positions>\n"
    "  <key id=\"65\" va=\"65\" name=\"A\" color=\"#FF0000\" rect=\"10,10,30,30\"/>\n"
    "  <key id=\"66\" va=\"66\" name=\"B\" color=\"#00FF00\" rect=\"50,10,30,30\"/>\n"
    "  <key id=\"67\" va=\"67\" name=\"C\" color=\"#0000FF\" rect=\"90,10,30,30\"/>\n"
    "  <key id=\"80\" name=\"Over1\" color=\"#FFFF00\" rect=\"130,10,40,40\"/>\n"
    "  <key id=\"81\" name=\"Over2\" color=\"#00FFFF\" rect=\"150,30,40,40\"/>\n"
    "  <key id=\"65\" name=\"A2\" color=\"#FF00FF\" rect=\"10,60,30,30\"/>\n"
    "</positions>\n";

const QPoint kA(25, 25), kB(65, 25), kC(105, 25), kOverlap(160, 40), kA2(25, 75), kNoKey(195, 5);

std::map<int, int> checkedById(const CoordButtonImage& img) {
    std::map<int, int> out;
    for (const CoordButton& k : img.keys()) {
        out[k.id] += k.checked;
    }
    return out;
}

class CoordButtonImageTest : public kgtest::ToolkitTest {
protected:
    CoordButtonImage* make(const QString& extra = {}, const QByteArray& index = {}) {
        EXPECT_TRUE(writeFile(QStringLiteral("keys.xml"), kKeys));
        const QString crd =
            QString::fromStdWString(fromProgramFolder(path(QStringLiteral("keys.xml"))));
        const QByteArray layout = QStringLiteral(
                                      "<layout size=\"200,100\"><cbimg name=\"img\" "
                                      "pos=\"0,0,200,100\" crdxml=\"%1\" %2/></layout>")
                                      .arg(crd, extra)
                                      .toUtf8();
        kg::ui::HostWnd* host = buildHost(layout, index);
        auto* img = host->findChildAs<CoordButtonImage>(QStringLiteral("img"));
        EXPECT_NE(img, nullptr);
        if (img) {
            img->setClickListener(&m_listener);
        }
        return img;
    }
    Recorder m_listener;
};

TEST_F(CoordButtonImageTest, ReadsItsKeysFromTheLayoutFileRelativeToTheProgramFolder) {
    CoordButtonImage* img = make();
    ASSERT_NE(img, nullptr);
    EXPECT_TRUE(img->isClass(u"cbimg"));
    EXPECT_TRUE(img->isClass(u"window"));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdWString(img->layoutFile())));
    EXPECT_EQ(img->keys().size(), 6u);
    CoordButton b;
    ASSERT_TRUE(img->findKey(66, b));
    EXPECT_EQ(b.name, L"B");
    EXPECT_EQ(b.va, 66);
    EXPECT_EQ(b.colour, 0x00FF00u);
    EXPECT_EQ(b.left, 50);
    EXPECT_EQ(b.right, 80);
    CoordButton a;
    ASSERT_TRUE(img->findKey(65, a));
    EXPECT_EQ(a.name, L"A") << "the first key with a shared id";
    EXPECT_FALSE(img->findKey(999, a));
}

TEST_F(CoordButtonImageTest, PressAndReleaseOnOneKeyAreAPressAndAClick) {
    CoordButtonImage* img = make();
    pressAt(img, kA, Qt::ShiftModifier);
    releaseAt(img, kA + QPoint(3, 4));
    ASSERT_EQ(m_listener.calls.size(), 2u);
    const Call& press = m_listener.calls[0];
    EXPECT_EQ(press.id, 65);
    EXPECT_EQ(press.name, L"A");
    EXPECT_EQ(press.kind, CoordButtonImage::kPress);
    EXPECT_EQ(press.keyState, CoordButtonImage::kKeyLButton | CoordButtonImage::kKeyShift);
    EXPECT_EQ(press.x, kA.x());
    EXPECT_EQ(press.y, kA.y());
    const Call& click = m_listener.calls[1];
    EXPECT_EQ(click.id, 65);
    EXPECT_EQ(click.kind, CoordButtonImage::kClick);
    EXPECT_EQ(click.keyState, 0u) << "the button is up when it is released";
    EXPECT_EQ(click.x, kA.x() + 3);
    EXPECT_EQ(click.y, kA.y() + 4);
}

TEST_F(CoordButtonImageTest, PressOnOneKeyAndReleaseOnAnotherIsOnlyAPress) {
    CoordButtonImage* img = make();
    pressAt(img, kA);
    releaseAt(img, kB);
    EXPECT_EQ(m_listener.idsAndKinds(), (std::vector<std::pair<int, int>>{{65, 0}}));
    for (const CoordButton& k : img->keys()) {
        EXPECT_EQ(k.pressed, 0) << "key " << k.id;
    }
}

TEST_F(CoordButtonImageTest, AReleaseAfterLeavingEndsThePressForGood) {
    CoordButtonImage* img = make();
    pressAt(img, kA);
    leave(img);
    releaseAt(img, QPoint(250, 150));  // outside the control
    releaseAt(img, kA);                // later, over the key, without a new press
    EXPECT_EQ(m_listener.idsAndKinds(), (std::vector<std::pair<int, int>>{{65, 0}}));
}

TEST_F(CoordButtonImageTest, PressesOutsideEveryKeyReportNothing) {
    CoordButtonImage* img = make(QStringLiteral("type=\"2\""));
    clickAt(img, kNoKey);
    EXPECT_TRUE(m_listener.calls.empty());
    EXPECT_EQ(checkedById(*img)[65] + checkedById(*img)[66], 0);
}

TEST_F(CoordButtonImageTest, ADoubleClickIsOnePressAndOneClick) {
    CoordButtonImage* img = make(QStringLiteral("type=\"2\""));
    clickAt(img, kB);
    kgtest::sendMouse(img, QEvent::MouseButtonDblClick, kB, Qt::LeftButton, Qt::LeftButton);
    releaseAt(img, kB);
    EXPECT_EQ(m_listener.idsAndKinds(), (std::vector<std::pair<int, int>>{{66, 0}, {66, 1}}));
    EXPECT_EQ(checkedById(*img)[66], 1);
}

struct SelectionCase {
    const char* name;
    int type;
    int listenerResult;
    std::vector<QPoint> presses;
    std::map<int, int> checked;  // by id, the keys with a shared id added up
};

class Selection : public CoordButtonImageTest,
                  public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(Selection, MarksThePressedKeys) {
    CoordButtonImage* img = make(QStringLiteral("type=\"%1\"").arg(GetParam().type));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->selectionType(), GetParam().type);
    m_listener.result = GetParam().listenerResult;
    for (const QPoint& pt : GetParam().presses) {
        clickAt(img, pt);
    }
    std::map<int, int> expected = {{65, 0}, {66, 0}, {67, 0}, {80, 0}, {81, 0}};
    for (const auto& [id, n] : GetParam().checked) {
        expected[id] = n;
    }
    EXPECT_EQ(checkedById(*img), expected);
    EXPECT_EQ(m_listener.calls.size(), 2 * GetParam().presses.size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Selection,
    ::testing::Values(SelectionCase{"NoneLeavesMarks", 0, 0, {kA, kB}, {}},
                      SelectionCase{"SingleLeavesTheLastPressed", 1, 0, {kA, kB, kC}, {{67, 1}}},
                      SelectionCase{"SingleKeepsAKeyPressedAgain", 1, 0, {kB, kB}, {{66, 1}}},
                      SelectionCase{"SingleAcrossKeysSharingAnId", 1, 0, {kA, kA2}, {{65, 1}}},
                      SelectionCase{
                          "MultipleFlipsEachPress", 2, 0, {kA, kB, kA, kC}, {{66, 1}, {67, 1}}},
                      SelectionCase{"OverlapGoesToTheFirstKey", 2, 0, {kOverlap}, {{80, 1}}},
                      SelectionCase{"SingleHandledByTheListener", 1, 1, {kA, kB}, {}},
                      SelectionCase{"MultipleHandledByTheListener", 2, -1, {kA, kB}, {}}),
    [](const auto& tc) { return std::string(tc.param.name); });

TEST_F(CoordButtonImageTest, TypeAcceptsHexadecimal) {
    CoordButtonImage* img = make(QStringLiteral("type=\"0x1\""));
    EXPECT_EQ(img->selectionType(), 1);
}

TEST_F(CoordButtonImageTest, HoverMarksTheKeysUnderTheMouseAndShowsTheLastOnesTip) {
    CoordButtonImage* img = make();
    moveTo(img, kA);
    EXPECT_EQ(img->tipText(), QStringLiteral("A"));
    EXPECT_EQ(img->toolTip(), QStringLiteral("A"));
    img->setKeyTip(65, L"Macro : Copy");
    moveTo(img, kA + QPoint(1, 0));
    EXPECT_EQ(img->toolTip(), QStringLiteral("Macro : Copy"));
    moveTo(img, kOverlap);
    std::vector<int> hovered;
    for (const CoordButton& k : img->keys()) {
        if (k.hover) {
            hovered.push_back(k.id);
        }
    }
    EXPECT_EQ(hovered, (std::vector<int>{80, 81}));
    EXPECT_EQ(img->toolTip(), QStringLiteral("Over2"));
    moveTo(img, kNoKey);
    EXPECT_EQ(img->toolTip(), QString());
    for (const CoordButton& k : img->keys()) {
        EXPECT_EQ(k.hover, 0);
    }
}

TEST_F(CoordButtonImageTest, LeavingClearsHoverAndTooltip) {
    CoordButtonImage* img = make();
    moveTo(img, kOverlap);
    ASSERT_EQ(img->toolTip(), QStringLiteral("Over2"));
    leave(img);
    EXPECT_EQ(img->toolTip(), QString());
    EXPECT_EQ(img->tipText(), QString());
    for (const CoordButton& k : img->keys()) {
        EXPECT_EQ(k.hover, 0) << "key " << k.id;
    }
}

TEST_F(CoordButtonImageTest, SetKeyTipForAllKeysAndForAnUnknownId) {
    CoordButtonImage* img = make();
    img->setKeyTip(CoordButtonImage::kAllKeys, L"assigned");
    for (const CoordButton& k : img->keys()) {
        EXPECT_EQ(k.tip, L"assigned") << "key " << k.id;
    }
    img->setKeyTip(999, L"nobody");
    for (const CoordButton& k : img->keys()) {
        EXPECT_EQ(k.tip, L"assigned") << "key " << k.id;
    }
    img->setKeyTip(65, L"first");
    std::vector<std::wstring> tipsOf65;
    for (const CoordButton& k : img->keys()) {
        if (k.id == 65) {
            tipsOf65.push_back(k.tip);
        }
    }
    EXPECT_EQ(tipsOf65, (std::vector<std::wstring>{L"first", L"assigned"}));
}

TEST_F(CoordButtonImageTest, CheckedMarksByIdAndForAllKeys) {
    CoordButtonImage* img = make();
    img->setKeyChecked(CoordButtonImage::kAllKeys, 1);
    EXPECT_EQ(checkedById(*img), (std::map<int, int>{{65, 2}, {66, 1}, {67, 1}, {80, 1}, {81, 1}}));
    img->setKeyChecked(65, 0);
    EXPECT_EQ(checkedById(*img)[65], 1) << "only the first key with the id";
    img->toggleKeyChecked(CoordButtonImage::kAllKeys);
    EXPECT_EQ(checkedById(*img), (std::map<int, int>{{65, 1}, {66, 0}, {67, 0}, {80, 0}, {81, 0}}));
    img->toggleKeyChecked(66);
    img->toggleKeyChecked(999);
    EXPECT_EQ(checkedById(*img)[66], 1);
    CoordButton copy;
    ASSERT_TRUE(img->findKey(66, copy));
    EXPECT_EQ(copy.checked, 1);
}

struct MissingLayoutCase {
    const char* name;
    QString crdxml;
};

class MissingLayout : public kgtest::ToolkitTest,
                      public ::testing::WithParamInterface<MissingLayoutCase> {};

TEST_P(MissingLayout, GivesAnImageWithoutKeys) {
    ASSERT_TRUE(writeFile(QStringLiteral("broken.xml"), "<positions><key id=\"1\""));
    ASSERT_TRUE(
        writeFile(QStringLiteral("other.xml"), "<keys><key id=\"1\" rect=\"0,0,9,9\"/></keys>"));
    QString crd = GetParam().crdxml;
    if (!crd.isEmpty()) {
        crd = QString::fromStdWString(fromProgramFolder(path(crd)));
    }
    kg::ui::HostWnd* host = buildHost(QStringLiteral("<layout size=\"50,50\"><cbimg name=\"img\" "
                                                     "pos=\"0,0,50,50\" crdxml=\"%1\" "
                                                     "type=\"2\"/></layout>")
                                          .arg(crd)
                                          .toUtf8());
    auto* img = host->findChildAs<CoordButtonImage>(QStringLiteral("img"));
    ASSERT_NE(img, nullptr);
    Recorder listener;
    img->setClickListener(&listener);
    EXPECT_TRUE(img->keys().empty());
    clickAt(img, QPoint(3, 3));
    EXPECT_TRUE(listener.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, MissingLayout,
                         ::testing::Values(MissingLayoutCase{"NoAttribute", QString()},
                                           MissingLayoutCase{"MissingFile", "none.xml"},
                                           MissingLayoutCase{"MalformedFile", "broken.xml"},
                                           MissingLayoutCase{"NoPositions", "other.xml"}),
                         [](const auto& tc) { return std::string(tc.param.name); });

// Pictures whose pixels tell the layers apart: the background is grey and open (transparent)
// over the keys, the hover overlay white, the checked overlay amber.
class CoordButtonImagePainting : public CoordButtonImageTest {
protected:
    void SetUp() override {
        CoordButtonImageTest::SetUp();
        QImage bg(200, 100, QImage::Format_ARGB32);
        bg.fill(kCase);
        QImage hover(200, 100, QImage::Format_ARGB32);
        hover.fill(kHover);
        QImage checked(200, 100, QImage::Format_ARGB32);
        checked.fill(kChecked);
        ASSERT_TRUE(writeFile(QStringLiteral("keys.xml"), kKeys));
        std::list<CoordButton> keys;
        ASSERT_TRUE(kg::loadKeyLayout(path(QStringLiteral("keys.xml")).toStdWString(), 0, keys));
        for (const CoordButton& k : keys) {
            for (int y = k.top; y < k.bottom; ++y) {
                for (int x = k.left; x < k.right && x < 200; ++x) {
                    if (y < 100) {
                        bg.setPixel(x, y, qRgba(0, 0, 0, 0));
                    }
                }
            }
        }
        ASSERT_TRUE(bg.save(path(QStringLiteral("bg.png"))));
        ASSERT_TRUE(hover.save(path(QStringLiteral("hover.png"))));
        ASSERT_TRUE(checked.save(path(QStringLiteral("checked.png"))));
        m_img = make(QStringLiteral("bg=\"main:bg_png\" chking=\"main:hover_png\" "
                                    "chked=\"main:checked_png\""),
                     "<main><file name=\"bg_png\" path=\"bg.png\"/>"
                     "<file name=\"hover_png\" path=\"hover.png\"/>"
                     "<file name=\"checked_png\" path=\"checked.png\"/></main>");
        ASSERT_NE(m_img, nullptr);
    }

    int count(const QImage& img, QRgb colour) const {
        int n = 0;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                n += img.pixel(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }

    static constexpr QRgb kCase = 0xFF404040;
    static constexpr QRgb kHover = 0xFFE0E0E0;
    static constexpr QRgb kChecked = 0xFFFFB547;
    CoordButtonImage* m_img = nullptr;
};

TEST_F(CoordButtonImagePainting, KeyColoursShowThroughTheBackground) {
    const QImage shot = kgtest::render(m_img);
    EXPECT_EQ(shot.pixel(kA), 0xFFFF0000);
    EXPECT_EQ(shot.pixel(kB), 0xFF00FF00);
    EXPECT_EQ(shot.pixel(kC), 0xFF0000FF);
    EXPECT_EQ(shot.pixel(kA2), 0xFFFF00FF);
    EXPECT_EQ(shot.pixel(kNoKey), kCase);
    EXPECT_EQ(shot.pixel(45, 25), kCase) << "between two keys";
    EXPECT_EQ(count(shot, kHover), 0);
    EXPECT_EQ(count(shot, kChecked), 0);
}

TEST_F(CoordButtonImagePainting, TheHoverOverlayCoversExactlyTheKeyUnderTheMouse) {
    moveTo(m_img, kB);
    const QImage shot = kgtest::render(m_img);
    EXPECT_EQ(count(shot, kHover), 30 * 30);
    EXPECT_EQ(shot.pixel(50, 10), kHover);
    EXPECT_EQ(shot.pixel(79, 39), kHover);
    EXPECT_EQ(shot.pixel(80, 39), kCase);
    EXPECT_EQ(shot.pixel(kA), 0xFFFF0000);
    EXPECT_EQ(shot.pixel(kC), 0xFF0000FF);
    leave(m_img);
    EXPECT_EQ(count(kgtest::render(m_img), kHover), 0);
}

TEST_F(CoordButtonImagePainting, CheckedKeysAreDrawnOverHoveredOnes) {
    m_img->setKeyChecked(66, 1);
    m_img->setKeyChecked(67, 1);
    moveTo(m_img, kB);
    const QImage shot = kgtest::render(m_img);
    EXPECT_EQ(count(shot, kChecked), 2 * 30 * 30);
    EXPECT_EQ(count(shot, kHover), 0) << "the hovered key is checked";
    EXPECT_EQ(shot.pixel(kB), kChecked);
    moveTo(m_img, kA);
    const QImage second = kgtest::render(m_img);
    EXPECT_EQ(count(second, kHover), 30 * 30);
    EXPECT_EQ(count(second, kChecked), 2 * 30 * 30);
}

}  // namespace
