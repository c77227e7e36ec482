// The keyboard image as the main window's layout creates it, with the resource folder, the
// pictures and the key layout that the build produces.

#include <QImage>

#include "ControlsTestSupport.h"
#include "controls/CoordButtonImage.h"

namespace {

class Clicks : public ICoordButtonClickListener {
public:
    int onCoordButtonClick(int id, std::wstring name, int kind, std::uintptr_t, int, int) override {
        seen.push_back({id, std::move(name), kind});
        return 0;
    }
    struct Seen {
        int id;
        std::wstring name;
        int kind;
    };
    std::vector<Seen> seen;
};

class MainWindowKeyboard : public kgtest::ToolkitTest {
protected:
    void SetUp() override {
        kgtest::ToolkitTest::SetUp();
        QString why;
        if (!kgtest::stageProgramResources(m_dir.path(), &why)) {
            GTEST_SKIP() << why.toStdString();
        }
        ASSERT_TRUE(m_toolkit->resources().openFolder(m_dir.path()));
        m_toolkit->loadUiDef(QStringLiteral("uidef:xml_init"));
        // The tray icon is the main window's own control.
        m_toolkit->factory().registerStandIn(QStringLiteral("shellnotifyicon"),
                                             QStringLiteral("window"));
        m_host = std::make_unique<kg::ui::HostWnd>(QStringLiteral("LAYOUT:XML_MAINWND"));
        m_host->setTimelineTimerEnabled(false);
        m_host->create();
        m_img = m_host->findChildAs<CoordButtonImage>(QStringLiteral("img_keyboard"));
        ASSERT_NE(m_img, nullptr);
        const QString images = QStringLiteral(KEYGLOW_BIN_DIR "/uires/image/");
        m_floating = QImage(images + QStringLiteral("img_keboard_floating.png"))
                         .convertToFormat(QImage::Format_ARGB32);
        m_checked = QImage(images + QStringLiteral("img_keboard_checked.png"))
                        .convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(m_floating.isNull());
        ASSERT_FALSE(m_checked.isNull());
    }
    void TearDown() override {
        m_host.reset();
        kgtest::ToolkitTest::TearDown();
    }

    static QPoint centre(const CoordButton& k) {
        return QPoint((k.left + k.right) / 2, (k.top + k.bottom) / 2);
    }
    // Pixels that differ from `before`: inside `key` they must be the overlay's, outside
    // nothing may change.
    void expectOnlyKeyChanged(const QImage& before, const QImage& after, const CoordButton& key,
                              const QImage& overlay) {
        int inside = 0, outsideChanged = 0, insideWrong = 0;
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                if (key.contains(x, y)) {
                    ++inside;
                    insideWrong += after.pixel(x, y) == overlay.pixel(x, y) ? 0 : 1;
                } else {
                    outsideChanged += after.pixel(x, y) == before.pixel(x, y) ? 0 : 1;
                }
            }
        }
        EXPECT_EQ(inside, (key.right - key.left) * (key.bottom - key.top));
        EXPECT_EQ(insideWrong, 0);
        EXPECT_EQ(outsideChanged, 0);
    }

    std::unique_ptr<kg::ui::HostWnd> m_host;
    CoordButtonImage* m_img = nullptr;
    QImage m_floating;
    QImage m_checked;
};

TEST_F(MainWindowKeyboard, LoadsTheFullKeyboardAtItsPlace) {
    EXPECT_EQ(m_img->geometry(), QRect(50, 76, 1000, 330));
    EXPECT_EQ(m_img->keys().size(), 104u);
    CoordButton key;
    ASSERT_TRUE(m_img->findKey(0x10D, key));
    EXPECT_EQ(key.name, L"Pad Enter");
    ASSERT_TRUE(m_img->findKey(65, key));
    EXPECT_EQ(key.name, L"A");
}

TEST_F(MainWindowKeyboard, AHoveredKeyIsLitAndNothingElse) {
    CoordButton a;
    ASSERT_TRUE(m_img->findKey(65, a));
    const QImage before = kgtest::render(m_img).convertToFormat(QImage::Format_ARGB32);
    kgtest::moveTo(m_img, centre(a));
    EXPECT_EQ(m_img->toolTip(), QStringLiteral("A"));
    expectOnlyKeyChanged(before, kgtest::render(m_img).convertToFormat(QImage::Format_ARGB32), a,
                         m_floating);
}

TEST_F(MainWindowKeyboard, ACheckedKeyShowsTheCheckedOverlay) {
    CoordButton enter;
    ASSERT_TRUE(m_img->findKey(0x10D, enter));
    const QImage before = kgtest::render(m_img).convertToFormat(QImage::Format_ARGB32);
    m_img->setKeyChecked(0x10D, 1);
    expectOnlyKeyChanged(before, kgtest::render(m_img).convertToFormat(QImage::Format_ARGB32),
                         enter, m_checked);
}

TEST_F(MainWindowKeyboard, AClickReachesTheListenerWithTheKeysIdAndName) {
    Clicks clicks;
    m_img->setClickListener(&clicks);
    CoordButton enter;
    ASSERT_TRUE(m_img->findKey(0x10D, enter));
    kgtest::clickAt(m_img, centre(enter));
    ASSERT_EQ(clicks.seen.size(), 2u);
    EXPECT_EQ(clicks.seen[1].id, 0x10D);
    EXPECT_EQ(clicks.seen[1].name, L"Pad Enter");
    EXPECT_EQ(clicks.seen[1].kind, CoordButtonImage::kClick);
}

}  // namespace
