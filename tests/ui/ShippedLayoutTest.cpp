#include <gtest/gtest.h>

#include "app/NamedIdTable.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ComboBox.h"
#include "ui/HostWnd.h"
#include "ui/ListView.h"
#include "ui/SliderBar.h"
#include "ui/TabCtrl.h"
#include "ui/Translator.h"

using namespace kg::ui;
using namespace kg::ui::test;

namespace {
struct Expect {
    const char* name;
    const char* cls;
};

void expectAll(HostWnd& w, const std::vector<Expect>& list) {
    for (const Expect& e : list) {
        const QString name = QString::fromLatin1(e.name);
        Window* c = w.findChildByName(name, QString::fromLatin1(e.cls));
        EXPECT_NE(c, nullptr) << e.name << " as " << e.cls;
        const int id = namedIdByName(name.toStdWString());
        if (c && id >= 0) {
            EXPECT_EQ(c->id(), id) << e.name;
            EXPECT_EQ(w.findChildById(id), c) << e.name;
        }
    }
}
}  // namespace

// Every control the program finds in its layouts exists, with the kind its lookup asks for,
// and the layouts build without a single diagnostic.
TEST(ShippedLayouts, MainWindow) {
    auto tk = makeShippedToolkit();
    DiagnosticCatcher diag;
    HostWnd w(QStringLiteral("LAYOUT:XML_MAINWND"));
    EXPECT_TRUE(w.create());
    for (const QString& m : diag.messages()) {
        // Pictures come from the build; the source folder has none.
        EXPECT_TRUE(m.contains(QStringLiteral("image"))) << m.toStdString();
    }
    expectAll(w, {{"title", "window"},
                  {"btn_more", "imgbtn"},
                  {"btn_min", "button"},
                  {"btn_close", "button"},
                  {"img_keyboard", "cbimg"},
                  {"cbx_color_effect", "combobox"},
                  {"tab_color_effect", "tabctrl"},
                  {"bar_general_speed_0", "sliderbar"},
                  {"bar_const_brightness_0", "sliderbar"},
                  {"radio_direction_left_0", "radio"},
                  {"radio_direction_right_0", "radio"},
                  {"bar_general_speed_1", "sliderbar"},
                  {"bar_const_brightness_1", "sliderbar"},
                  {"bar_const_brightness_2", "sliderbar"},
                  {"bar_general_speed_3", "sliderbar"},
                  {"bar_const_brightness_3", "sliderbar"},
                  {"radio_loader_left_3", "radio"},
                  {"radio_loader_center_3", "radio"},
                  {"radio_loader_right_3", "radio"},
                  {"btn_restore_factory", "button"},
                  {"cbx_in_lv", "combobox"},
                  {"version", "text"},
                  {"cbx_side_color_effect", "combobox"},
                  {"text_side_brightness", "window"},
                  {"bar_side_brightness", "sliderbar"},
                  {"tray", "shellnotifyicon"}});
    auto* effects = w.findChildAs<ComboBox>(QStringLiteral("cbx_color_effect"));
    auto* side = w.findChildAs<ComboBox>(QStringLiteral("cbx_side_color_effect"));
    ASSERT_TRUE(effects && side);
    EXPECT_EQ(effects->count(), 20);
    EXPECT_EQ(side->count(), 12);
    EXPECT_EQ(w.findChildAs<TabCtrl>(QStringLiteral("tab_color_effect"))->pageCount(), 4);
    EXPECT_EQ(w.findChildAs<SliderBar>(65560)->maximum(), 7);
}

TEST(ShippedLayouts, MacroEditor) {
    auto tk = makeShippedToolkit();
    HostWnd w(QStringLiteral("LAYOUT:macro"));
    w.create();
    expectAll(w, {{"btnMin", "button"},
                  {"btnRestore", "button"},
                  {"btnCancel", "button"},
                  {"text_recording_keys", "text"},
                  {"tab_macro_mode_selection", "tabctrl2"},
                  {"item_up", "button"},
                  {"item_down", "button"},
                  {"item_delete", "button"},
                  {"item_clear", "button"},
                  {"groupDel", "button"},
                  {"groupAdd", "button"},
                  {"groupImport", "button"},
                  {"groupExport", "button"},
                  {"macro_group", "listview"},
                  {"key_info", "mclistview"},
                  {"edit_macro_repeat_times", "edit"},
                  {"edit_macro_delay_time", "edit"},
                  {"chk_macro_realy_delay", "window"},
                  {"chk_macro_fixed_delay", "window"},
                  {"chk_macro_no_delay", "window"},
                  {"chk_macro_record", "checkex"},
                  {"click_to_stop", "check"},
                  {"chk_single_record", "checkex"},
                  {"edit_single_key", "text"},
                  {"cmb_media_keys", "combobox"},
                  {"cmb_function_keys", "combobox"},
                  {"btnOK", "button"},
                  {"btnDelete", "button"}});
    auto* tab = w.findChildAs<TabCtrl>(QStringLiteral("tab_macro_mode_selection"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->pageCount(), 4);
    for (int i = 0; i < tab->pageCount(); ++i)
        EXPECT_TRUE(tab->page(i)->isClass(u"page2"));
    auto* steps = w.findChildAs<McListView>(QStringLiteral("key_info"));
    ASSERT_NE(steps, nullptr);
    EXPECT_EQ(steps->columnCount(), 4);
}

namespace {
// The rows of the step list carry the cells the editor binds.
struct Steps : McAdapter {
    int count() override { return 2; }
    QString columnName(int c) const override { return QStringLiteral("col%1").arg(c + 1); }
    void bindView(int, Window* row) override {
        for (const char* n : {"key_code", "key_name", "key_state"})
            EXPECT_NE(row->findChildByName(QString::fromLatin1(n), QStringLiteral("text")), nullptr)
                << n;
        EXPECT_NE(row->findChildByName(QStringLiteral("key_delay"), QStringLiteral("editex")),
                  nullptr);
        ++bound;
    }
    bool onSort(int column, std::vector<SortMark>& marks) override {
        for (size_t i = 0; i < marks.size(); ++i)
            marks[i] = static_cast<int>(i) == column
                           ? (marks[i] == SortMark::Up ? SortMark::Down : SortMark::Up)
                           : SortMark::None;
        return false;
    }
    int bound = 0;
};
struct Groups : ListAdapter {
    int count() override { return 1; }
    void bindView(int, Window* row) override {
        EXPECT_NE(row->findChildByName(QStringLiteral("group_name"), QStringLiteral("edit")),
                  nullptr);
        ++bound;
    }
    int bound = 0;
};
}  // namespace

TEST(ShippedLayouts, MacroEditorRowTemplates) {
    auto tk = makeShippedToolkit();
    HostWnd w(QStringLiteral("LAYOUT:macro"));
    w.create();
    Steps steps;
    Groups groups;
    auto* info = w.findChildAs<McListView>(QStringLiteral("key_info"));
    auto* list = w.findChildAs<ListView>(QStringLiteral("macro_group"));
    ASSERT_TRUE(info && list);
    info->setMcAdapter(&steps);
    list->setAdapter(&groups);
    EXPECT_EQ(steps.bound, 2);
    EXPECT_EQ(groups.bound, 1);
    info->clickHeader(3);
    EXPECT_EQ(info->sortMark(3), SortMark::Up);
    info->clickHeader(3);
    EXPECT_EQ(info->sortMark(3), SortMark::Down);
    info->clickHeader(0);
    EXPECT_EQ(info->sortMark(3), SortMark::None);
}

TEST(ShippedLayouts, MessageBox) {
    auto tk = makeShippedToolkit();
    HostWnd w(QStringLiteral("LAYOUT:SYS_XML_MSGBOX"));
    w.create();
    expectAll(w, {{"msgtitle", "window"},
                  {"msgicon", "window"},
                  {"msgtext", "window"},
                  {"btnSwitch", "button"},
                  {"button1st", "button"},
                  {"button2nd", "button"},
                  {"button3rd", "button"}});
}

TEST(ShippedTranslations, ChineseCoversEveryEnglishTextAndTheProgramsMessages) {
    auto tk = makeShippedToolkit();
    pugi::xml_document cn, en;
    ASSERT_TRUE(tk->resources().loadXml(QStringLiteral("translator:lang_cn"), cn));
    ASSERT_TRUE(tk->resources().loadXml(QStringLiteral("translator:lang_en"), en));
    Language chinese, english;
    ASSERT_TRUE(chinese.load(cn.child("language")));
    ASSERT_TRUE(english.load(en.child("language")));
    EXPECT_EQ(chinese.name(), QStringLiteral("cn"));
    EXPECT_EQ(english.name(), QStringLiteral("en"));
    EXPECT_EQ(chinese.count(), english.count());
    for (const char* text :
         {"Please insert USB device!", "Please insert USB device", "Warning",
          "All settings will be restored, are you sure you want to continue?",
          "The firmware is already the latest version and no upgrade is required.", "Speed",
          "Brightness", "Firmware", "Early version", "Start record", "Stop record", "key down",
          "key up", "replace", "OK", "Cancel", "Static", "Snowfall", "Pink"}) {
        QString out;
        EXPECT_TRUE(chinese.translate(QString(), QString::fromUtf8(text), &out)) << text;
        EXPECT_NE(out, QString::fromUtf8(text)) << text;
    }
}
