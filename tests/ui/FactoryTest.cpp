#include <gtest/gtest.h>
#include <memory>

#include "ui/Controls.h"
#include "ui/ObjectFactory.h"
#include "ui/TabCtrl.h"
#include "ui/Toolkit.h"

using namespace kg::ui;

namespace {
// A class of the program's kind: own tag, registered with its base tag.
class FancyButton : public Button {
    KG_UI_CLASS(Button, "fancybtn")
public:
    FancyButton() = default;
};
}  // namespace

struct ClassCase {
    const char* tag;
    const char* asked;
    bool expected;
};

class ClassTest : public ::testing::TestWithParam<ClassCase> {};

TEST_P(ClassTest, AnswersForOwnAndBaseTags) {
    Toolkit tk;
    tk.factory().registerStandIn(QStringLiteral("checkex"), QStringLiteral("check"));
    tk.factory().registerStandIn(QStringLiteral("tabctrl2"), QStringLiteral("tabctrl"));
    tk.factory().registerClass(QStringLiteral("fancybtn"), QStringLiteral("button"),
                               [] { return new FancyButton; });
    const ClassCase c = GetParam();
    std::unique_ptr<Window> w(tk.factory().create(QString::fromLatin1(c.tag)));
    ASSERT_NE(w, nullptr) << c.tag;
    EXPECT_EQ(w->isClass(QString::fromLatin1(c.asked)), c.expected) << c.tag << " is " << c.asked;
}

INSTANTIATE_TEST_SUITE_P(
    Tags, ClassTest,
    ::testing::Values(ClassCase{"window", "window", true}, ClassCase{"window", "text", false},
                      ClassCase{"text", "window", true}, ClassCase{"imgbtn", "imgbtn", true},
                      ClassCase{"imgbtn", "button", true}, ClassCase{"button", "imgbtn", false},
                      ClassCase{"radio", "radio", true}, ClassCase{"radio", "check", true},
                      ClassCase{"check", "radio", false}, ClassCase{"combobox", "combobox", true},
                      ClassCase{"combobox", "edit", false},
                      ClassCase{"mclistview", "listview", true},
                      ClassCase{"sliderbar", "SliderBar", true},
                      ClassCase{"checkex", "checkex", true}, ClassCase{"checkex", "check", true},
                      ClassCase{"checkex", "window", true}, ClassCase{"checkex", "radioex", false},
                      ClassCase{"tabctrl2", "tabctrl", true},
                      ClassCase{"fancybtn", "fancybtn", true},
                      ClassCase{"fancybtn", "button", true}, ClassCase{"fancybtn", "check", false}),
    [](const auto& param_info) {
        return std::string(param_info.param.tag) + "_is_" + param_info.param.asked +
               (param_info.param.expected ? "" : "_not");
    });

TEST(Factory, AnExistingTagIsKeptNotReplaced) {
    Toolkit tk;
    EXPECT_FALSE(tk.factory().registerClass(QStringLiteral("button"), QStringLiteral("window"),
                                            [] { return new FancyButton; }));
    std::unique_ptr<Window> w(tk.factory().create(QStringLiteral("button")));
    EXPECT_EQ(dynamic_cast<FancyButton*>(w.get()), nullptr);
    EXPECT_EQ(w->className(), QStringLiteral("button"));

    EXPECT_TRUE(tk.factory().registerStandIn(QStringLiteral("cbimg"), QStringLiteral("window")));
    // The real class registered later does not replace the stand-in either; start-up registers
    // real classes first.
    EXPECT_FALSE(tk.factory().registerClass(QStringLiteral("CBIMG"), QStringLiteral("window"),
                                            [] { return new Window; }));
}

TEST(Factory, AStandInIsAnObjectOfItsBaseAnsweringForItsTag) {
    Toolkit tk;
    ASSERT_TRUE(tk.factory().registerStandIn(QStringLiteral("page2"), QStringLiteral("page")));
    EXPECT_TRUE(tk.factory().isStandIn(QStringLiteral("page2")));
    std::unique_ptr<Window> w(tk.factory().create(QStringLiteral("page2")));
    EXPECT_NE(qobject_cast<TabPage*>(w.get()), nullptr);
    EXPECT_EQ(w->className(), QStringLiteral("page2"));
    EXPECT_EQ(
        tk.factory().tagChain(QStringLiteral("page2")),
        QStringList({QStringLiteral("page2"), QStringLiteral("page"), QStringLiteral("window")}));
    // A stand-in needs a known base.
    EXPECT_FALSE(tk.factory().registerStandIn(QStringLiteral("x"), QStringLiteral("nosuchbase")));
    EXPECT_EQ(tk.factory().create(QStringLiteral("nosuchtag")), nullptr);
}
