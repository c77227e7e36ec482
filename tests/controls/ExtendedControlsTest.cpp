// The extended check box, radio button and edit, and the registration of the controls.

#include <QLineEdit>

#include "ControlsTestSupport.h"
#include "controls/CoordButtonImage.h"
#include "controls/SAnimImg.h"
#include "controls/SCheckBoxEx.h"
#include "controls/SEditEx.h"
#include "controls/SRadioBoxEx.h"
#include "controls/STabCtrl2.h"
#include "controls/STabPage2.h"
#include "ui/Controls.h"
#include "ui/ObjectFactory.h"

namespace {

using kgtest::ToolkitTest;

TEST(ControlRegistration, AddsEveryTagOnItsBaseInStartUpOrder) {
    kg::ui::ObjectFactory factory;
    EXPECT_EQ(kg::registerControls(factory), 7);
    const std::vector<std::pair<QString, QStringList>> chains = {
        {"cbimg", {"cbimg", "window"}},
        {"page2", {"page2", "page", "window"}},
        {"tabctrl2", {"tabctrl2", "tabctrl", "window"}},
        {"anmimg", {"anmimg", "window"}},
        {"editex", {"editex", "edit", "window"}},
        {"radioex", {"radioex", "radio", "check", "button", "window"}},
        {"checkex", {"checkex", "check", "button", "window"}},
    };
    for (const auto& [tag, chain] : chains) {
        EXPECT_EQ(factory.tagChain(tag), chain) << tag.toStdString();
    }
    EXPECT_EQ(kg::registerControls(factory), 0) << "a second registration keeps the classes";
}

TEST(ControlRegistration, KeepsAClassRegisteredBefore) {
    kgtest::application();
    kg::ui::ObjectFactory factory;
    ASSERT_TRUE(factory.registerStandIn(QStringLiteral("editex"), QStringLiteral("edit")));
    EXPECT_EQ(kg::registerControls(factory), 6);
    EXPECT_TRUE(factory.isStandIn(QStringLiteral("editex")));
}

TEST(ControlRegistration, EachClassAnswersItsTagAndItsBases) {
    kgtest::application();
    const auto check = [](kg::ui::Window&& w, std::initializer_list<const char16_t*> tags) {
        for (const char16_t* t : tags) {
            EXPECT_TRUE(w.isClass(QStringView(t))) << w.className().toStdString();
        }
        EXPECT_FALSE(w.isClass(u"listview"));
    };
    check(CoordButtonImage(), {u"cbimg", u"window"});
    check(STabPage2(), {u"page2", u"page"});
    check(STabCtrl2(), {u"tabctrl2", u"tabctrl"});
    check(SAnimImg(), {u"anmimg", u"window"});
    check(SEditEx(), {u"editex", u"edit"});
    check(SRadioBoxEx(), {u"radioex", u"radio", u"check"});
    check(SCheckBoxEx(), {u"checkex", u"check"});
    EXPECT_EQ(SCheckBoxEx().className(), QStringLiteral("checkex"));
    EXPECT_FALSE(SCheckBoxEx().isClass(u"radioex"));
}

// ---- check box and radio button ---------------------------------------------------------

const std::vector<QColor> kStates = {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200),
                                     QColor(200, 200, 0)};
const std::vector<QColor> kIconStates = {QColor(10, 10, 10), QColor(20, 20, 20), QColor(30, 30, 30),
                                         QColor(40, 40, 40)};

class ExtendedCheck : public ToolkitTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        kgtest::addStripSkin(*m_toolkit, QStringLiteral("four"), kStates, QSize(60, 24));
        kgtest::addStripSkin(*m_toolkit, QStringLiteral("icon16"), kIconStates, QSize(16, 12));
    }
    kg::ui::CheckBox* make(const QString& attrs) {
        const QString tag = QString::fromLatin1(GetParam());
        kg::ui::HostWnd* host =
            buildHost(QStringLiteral("<layout size=\"200,60\"><%1 name=\"c\" %2/></layout>")
                          .arg(tag, attrs)
                          .toUtf8());
        auto* c = qobject_cast<kg::ui::CheckBox*>(host->findChildByName(QStringLiteral("c"), tag));
        EXPECT_NE(c, nullptr);
        return c;
    }
    static QColor at(const QImage& img, int x, int y) { return QColor(img.pixel(x, y)); }
};

TEST_P(ExtendedCheck, WithoutSkinsPaintsOnlyItsTextAtTheTopLeft) {
    kg::ui::CheckBox* c = make(QStringLiteral("pos=\"0,0,120,24\" align=\"left|top\""));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->skin(), nullptr);
    EXPECT_EQ(c->textRect(), c->rect());
    const QImage empty = kgtest::render(c);
    int painted = 0;
    for (int y = 0; y < empty.height(); ++y)
        for (int x = 0; x < empty.width(); ++x)
            painted += qAlpha(empty.pixel(x, y)) ? 1 : 0;
    EXPECT_EQ(painted, 0) << "no box without a skin";
    // The plain check box draws a box of its own, which the extended one leaves out.
    kg::ui::CheckBox plain;
    plain.resize(120, 24);
    const QImage plainShot = kgtest::render(&plain);
    int plainPainted = 0;
    for (int y = 0; y < plainShot.height(); ++y)
        for (int x = 0; x < plainShot.width(); ++x)
            plainPainted += qAlpha(plainShot.pixel(x, y)) ? 1 : 0;
    EXPECT_GT(plainPainted, 0);

    c->setText(QStringLiteral("IIII"));
    const QImage shot = kgtest::render(c);
    int minX = 1000, minY = 1000;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qAlpha(shot.pixel(x, y))) {
                minX = std::min(minX, x);
                minY = std::min(minY, y);
            }
    EXPECT_LE(minX, 3);
    EXPECT_LE(minY, 6);
}

TEST_P(ExtendedCheck, PlacesIconAndTextByIconPosTextXAndTheIconWidth) {
    kg::ui::CheckBox* c =
        make(QStringLiteral("pos=\"0,0,120,24\" iconSkin=\"icon16\" iconPos=\"4,2\" textX=\"6\" "
                            "align=\"left|top\" text=\"IIII\""));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->textRect(), QRect(26, 2, 120 - 26, 24 - 2));
    const QImage shot = kgtest::render(c);
    // The icon: 16 x 12 at (4, 2), state 0.
    EXPECT_EQ(at(shot, 4, 2), kIconStates[0]);
    EXPECT_EQ(at(shot, 19, 13), kIconStates[0]);
    EXPECT_EQ(qAlpha(shot.pixel(3, 2)), 0);
    EXPECT_EQ(qAlpha(shot.pixel(20, 2)), 0);
    // The text begins at 26.
    int minX = 1000;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 21; x < shot.width(); ++x)
            if (qAlpha(shot.pixel(x, y)))
                minX = std::min(minX, x);
    EXPECT_GE(minX, 26);
    EXPECT_LE(minX, 29);
}

TEST_P(ExtendedCheck, AttributeNamesIgnoreCaseAndIconPosReadsLikeScanf) {
    kg::ui::CheckBox* c = make(QStringLiteral(
        "pos=\"0,0,120,24\" ICONSKIN=\"icon16\" iconpos=\"7\" TEXTX=\"0x10\" texty=\"3\""));
    ASSERT_NE(c, nullptr);
    // "7" sets only x; y keeps 0.
    EXPECT_EQ(c->textRect(), QRect(7 + 16 + 16, 3, 120 - 39, 24 - 3));
}

TEST_P(ExtendedCheck, StateSkinFollowsPressHoverAndChecked) {
    kg::ui::CheckBox* c = make(QStringLiteral("pos=\"0,0,120,40\" skin=\"four\""));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(at(kgtest::render(c), 60, 20), kStates[0]);
    c->setChecked(true);
    EXPECT_EQ(at(kgtest::render(c), 60, 20), kStates[3]) << "checked: the last state";
    kgtest::enter(c, QPoint(60, 20));
    EXPECT_EQ(at(kgtest::render(c), 60, 20), kStates[1]) << "checked and under the mouse";
    kgtest::pressAt(c, QPoint(60, 20));
    EXPECT_EQ(at(kgtest::render(c), 60, 20), kStates[2]) << "pressed";
    kgtest::releaseAt(c, QPoint(60, 20));
    kgtest::leave(c);
    // Unchecked by the click for the check box; a radio stays checked.
    const bool radio = c->isClass(u"radio");
    EXPECT_EQ(c->isChecked(), radio);
    EXPECT_EQ(at(kgtest::render(c), 60, 20), radio ? kStates[3] : kStates[0]);
}

TEST_P(ExtendedCheck, IconUsesTheBoxStateOfTheBase) {
    kg::ui::CheckBox* c = make(QStringLiteral("pos=\"0,0,120,24\" iconSkin=\"icon16\""));
    ASSERT_NE(c, nullptr);
    c->setChecked(true);
    EXPECT_EQ(at(kgtest::render(c), 1, 1), kIconStates[3]);
    kgtest::enter(c, QPoint(60, 10));
    EXPECT_EQ(at(kgtest::render(c), 1, 1), kIconStates[3])
        << "the box shows checked under the mouse";
    c->setChecked(false);
    EXPECT_EQ(at(kgtest::render(c), 1, 1), kIconStates[1]);
}

TEST_P(ExtendedCheck, DesiredSizeIsTheStateSkinsSize) {
    kg::ui::CheckBox* c =
        make(QStringLiteral("skin=\"four\" text=\"a rather long text\" pos=\"0,0\""));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->desiredSize(), QSize(60, 24));
    EXPECT_EQ(c->size(), QSize(60, 24));
}

TEST_P(ExtendedCheck, DesiredSizeWithoutSkinIsTheWindowsOwn) {
    kg::ui::CheckBox* c = make(QStringLiteral("text=\"abc\""));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->desiredSize(), c->kg::ui::Window::desiredSize());
    EXPECT_NE(c->desiredSize(), c->kg::ui::CheckBox::desiredSize());
}

INSTANTIATE_TEST_SUITE_P(Classes, ExtendedCheck, ::testing::Values("checkex", "radioex"));

TEST_F(ToolkitTest, ExtendedRadiosShareTheirGroupWithPlainRadios) {
    kg::ui::HostWnd* host = buildHost(
        "<layout size=\"200,60\"><radioex name=\"a\" pos=\"0,0,50,20\" checked=\"1\"/>"
        "<radio name=\"b\" pos=\"60,0,50,20\"/></layout>");
    auto* a = host->findChildAs<SRadioBoxEx>(QStringLiteral("a"));
    auto* b = host->findChildAs<kg::ui::RadioBox>(QStringLiteral("b"));
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->isChecked());
    kgtest::clickAt(b, QPoint(5, 5));
    EXPECT_FALSE(a->isChecked());
    EXPECT_TRUE(b->isChecked());
}

// ---- edit -------------------------------------------------------------------------------

class ExtendedEdit : public ToolkitTest {
protected:
    SEditEx* make() {
        kg::ui::HostWnd* host = buildHost(
            "<layout size=\"200,60\"><window name=\"box\" pos=\"0,0,200,60\">"
            "<editex name=\"e\" pos=\"10,10,150,30\"/></window></layout>");
        auto* e = host->findChildAs<SEditEx>(QStringLiteral("e"));
        EXPECT_NE(e, nullptr);
        if (e) {
            e->subscribe(QStringLiteral("on_key_enter"), [this](kg::ui::Event& ev) {
                ++m_enters;
                m_lastSender = ev.senderName;
                m_lastId = ev.id;
                return true;
            });
        }
        return e;
    }
    int m_enters = 0;
    QString m_lastSender;
    int m_lastId = 0;
};

TEST_F(ExtendedEdit, EveryEnterKeyDownRaisesKeyEnterAndNeverReachesTheEdit) {
    SEditEx* e = make();
    ASSERT_NE(e, nullptr);
    QLineEdit* line = e->lineEdit();
    int returns = 0;
    QObject::connect(line, &QLineEdit::returnPressed, [&] { ++returns; });
    kgtest::keyDown(line, Qt::Key_A, false, QStringLiteral("a"));
    kgtest::keyDown(line, Qt::Key_Return, false, QStringLiteral("\r"));
    kgtest::keyDown(line, Qt::Key_Return, true, QStringLiteral("\r"));  // auto-repeat
    kgtest::keyDown(line, Qt::Key_Return, true, QStringLiteral("\r"));
    kgtest::keyDown(line, Qt::Key_Enter, false, QStringLiteral("\r"));  // keypad
    kgtest::keyDown(line, Qt::Key_B, false, QStringLiteral("b"));
    EXPECT_EQ(m_enters, 4);
    EXPECT_EQ(m_lastSender, QStringLiteral("e"));
    EXPECT_EQ(m_lastId, SEditEx::EventKeyEnter);
    EXPECT_EQ(m_lastId, 10000500);
    EXPECT_EQ(returns, 0);
    EXPECT_EQ(e->editText(), QStringLiteral("ab")) << "other keys reach the edit";
    EXPECT_TRUE(e->hasEvent(10000500));
    EXPECT_EQ(kg::ui::eventIdByName(QStringLiteral("on_key_enter")), 10000500);
}

TEST_F(ExtendedEdit, ClicksNeitherMoveTheCaretNorSelect) {
    SEditEx* e = make();
    ASSERT_NE(e, nullptr);
    e->setText(QStringLiteral("hello world"));
    QLineEdit* line = e->lineEdit();
    line->setCursorPosition(11);
    kgtest::clickAt(line, QPoint(2, 10));
    kgtest::pressAt(line, QPoint(2, 10));
    kgtest::sendMouse(line, QEvent::MouseMove, QPoint(60, 10), Qt::NoButton, Qt::LeftButton);
    kgtest::releaseAt(line, QPoint(60, 10));
    EXPECT_EQ(line->cursorPosition(), 11);
    EXPECT_FALSE(line->hasSelectedText());
}

TEST_F(ExtendedEdit, ADisabledEditEnablesItselfWhenClicked) {
    SEditEx* e = make();
    ASSERT_NE(e, nullptr);
    e->setEnabled(false);
    ASSERT_FALSE(e->lineEdit()->isEnabled());
    // The press goes to the widget under the mouse, the edit's inner line edit.
    QWidget* target = e->childAt(QPoint(20, 10));
    ASSERT_NE(target, nullptr);
    kgtest::pressAt(target, QPoint(10, 10));
    EXPECT_TRUE(e->isEnabled());
    EXPECT_TRUE(e->lineEdit()->isEnabled());
}

TEST_F(ExtendedEdit, AnEditDisabledThroughItsParentStaysDisabled) {
    SEditEx* e = make();
    ASSERT_NE(e, nullptr);
    e->parentWidget()->setEnabled(false);
    kgtest::clickAt(e->lineEdit(), QPoint(10, 10));
    kgtest::clickAt(e, QPoint(1, 1));
    EXPECT_FALSE(e->isEnabled());
    e->parentWidget()->setEnabled(true);
    EXPECT_TRUE(e->isEnabled());
}

}  // namespace
