#include <gtest/gtest.h>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>

#include "app/NamedIdTable.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ComboBox.h"
#include "ui/Skin.h"
#include "ui/Toolkit.h"

using namespace kg::ui;
using namespace kg::ui::test;

TEST(Resources, TypeAndNameAreComparedWithoutCase) {
    Toolkit tk;
    ASSERT_TRUE(tk.resources().openFolder(shippedResources()));
    for (const char* name :
         {"uidef:xml_init", "UIDEF:XML_INIT", "Uidef:Xml_Init", "layout:xml_mainwnd",
          "smenuex:menu_more", "translator:LANG_CN", "KB_MACRO:BG_PNG"}) {
        EXPECT_TRUE(tk.resources().has(QString::fromLatin1(name))) << name;
    }
    EXPECT_FALSE(tk.resources().has(QStringLiteral("uidef:xml_ini")));
    EXPECT_FALSE(tk.resources().has(QStringLiteral("xml_init")));
    EXPECT_TRUE(tk.resources()
                    .filePath(QStringLiteral("main:table_main_bg_png"))
                    .endsWith(QStringLiteral("/image/table_main_bg.png")));
}

TEST(Resources, TheIndexListsEveryResourceTheProgramNames) {
    Toolkit tk;
    ASSERT_TRUE(tk.resources().openFolder(shippedResources()));
    const char* names[] = {"UIDEF:XML_INIT",        "LAYOUT:XML_MAINWND", "LAYOUT:macro",
                           "LAYOUT:SYS_XML_MSGBOX", "values:string",      "values:color",
                           "values:skin",           "ICON:ICON_LOGO",     "translator:lang_cn",
                           "translator:lang_en",    "SMENU:menu_tray",    "SMENUEX:menu_more",
                           "kb_macro:bg_png"};
    for (const char* n : names) {
        EXPECT_TRUE(tk.resources().has(QString::fromLatin1(n))) << n;
    }
    const char* images[] = {"table_main_bg_png",
                            "table_main_icon_png",
                            "state_func_bg_png",
                            "ioc_func_macro_png",
                            "ioc_func_rgb_png",
                            "cbox_profile_normal_png",
                            "cbox_profile_selected_png",
                            "cbox_profile_ico_png",
                            "img_keboard_normal_png",
                            "img_keboard_checked_png",
                            "img_keboard_pressed_png",
                            "img_keboard_floating_png",
                            "win_macro_bg_png",
                            "bg_macr_keys_png",
                            "state_del_png",
                            "state_add_png",
                            "state_capture_png",
                            "state_import_png",
                            "state_export_png",
                            "state_up_png",
                            "state_down_png",
                            "state_record_png",
                            "state_ok_png",
                            "state_cancel_png",
                            "bg_macro_group_png",
                            "image_bg_macro_content_png",
                            "bg_progress_bg_png",
                            "bg_progress_pos_png",
                            "state_progres_thum_png",
                            "icon_color_effects_png",
                            "state_color_effects_png",
                            "state_color_select_png",
                            "state_clear_png",
                            "more_menu_png",
                            "img_keboard_demo_png"};
    ASSERT_EQ(std::size(images), 35u);
    for (const char* n : images) {
        EXPECT_TRUE(tk.resources().has(QStringLiteral("main:") + QString::fromLatin1(n))) << n;
    }
}

TEST(Resources, EveryIndexedTextResourceIsWellFormedXml) {
    Toolkit tk;
    ASSERT_TRUE(tk.resources().openFolder(shippedResources()));
    DiagnosticCatcher diag;
    for (const char* n :
         {"UIDEF:XML_INIT", "LAYOUT:XML_MAINWND", "LAYOUT:macro", "LAYOUT:SYS_XML_MSGBOX",
          "values:string", "values:color", "values:skin", "translator:lang_cn",
          "translator:lang_en", "SMENU:menu_tray", "SMENUEX:menu_more"}) {
        pugi::xml_document doc;
        EXPECT_TRUE(tk.resources().loadXml(QString::fromLatin1(n), doc)) << n;
    }
    EXPECT_TRUE(diag.messages().isEmpty()) << diag.messages().join('\n').toStdString();
}

TEST(Resources, AMissingIndexIsReportedAndFindsNothing) {
    DiagnosticCatcher diag;
    Toolkit tk;
    EXPECT_FALSE(tk.resources().openFolder(QStringLiteral("/nonexistent/uires")));
    EXPECT_TRUE(diag.contains(QStringLiteral("/nonexistent/uires/uires.idx")));
    EXPECT_FALSE(tk.resources().has(QStringLiteral("UIDEF:XML_INIT")));
    // The executable's own message box template is still there.
    EXPECT_TRUE(tk.resources().has(QStringLiteral("LAYOUT:SYS_XML_MSGBOX")));
}

// Every picture a toolkit style sheet names is compiled in and decodes with the image formats a
// minimal Qt has (a Windows build carries no image plugins), so the combo box always has its arrow.
TEST(Resources, EveryPictureOfAToolkitStyleSheetIsBuiltInAndDecodes) {
    ComboBox combo;
    const QString sheet = combo.comboBox()->styleSheet();
    const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
    int pictures = 0;
    for (auto it = url.globalMatch(sheet); it.hasNext();) {
        const QString path = it.next().captured(1);
        SCOPED_TRACE(path.toStdString());
        EXPECT_TRUE(path.startsWith(QStringLiteral(":/")));
        const QImage image(path);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(12, 12));
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                opaque += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
            }
        }
        EXPECT_GT(opaque, 6) << "the arrow is drawn";
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "around it is transparent";
        ++pictures;
    }
    EXPECT_EQ(pictures, 1);
}

TEST(UiDef, NamedStringZeroIsTheSingleInstanceName) {
    auto tk = makeShippedToolkit();
    ASSERT_GT(tk->stringCount(), 1);
    EXPECT_EQ(tk->stringAt(0), QStringLiteral("KeyGlow.SingleInstance"));
    for (int i = 1; i < tk->stringCount(); ++i) {
        EXPECT_LT(QString::compare(tk->stringNameAt(i - 1), tk->stringNameAt(i)), 0);
    }
    EXPECT_EQ(tk->stringAt(tk->stringCount()), QString());
}

TEST(UiDef, StringsSortInOrdinalOrderWhateverTheFileOrder) {
    TempResources res(
        {{"uires.idx",
          "<resource><UIDEF><file name='XML_INIT' path='init.xml'/></UIDEF>"
          "<values><file name='string' path='s.xml'/></values></resource>"},
         {"init.xml", "<uidef><string src='values:string'/></uidef>"},
         {"s.xml",
          "<string><b value='2'/><_x value='3'/><Zed value='1'/><a value='4'/></string>"}});
    Toolkit tk;
    ASSERT_TRUE(tk.resources().openFolder(res.folder()));
    ASSERT_TRUE(tk.loadUiDef(QStringLiteral("uidef:xml_init")));
    ASSERT_EQ(tk.stringCount(), 4);
    // Upper case before "_", "_" before lower case.
    EXPECT_EQ(tk.stringNameAt(0), QStringLiteral("Zed"));
    EXPECT_EQ(tk.stringNameAt(1), QStringLiteral("_x"));
    EXPECT_EQ(tk.stringNameAt(2), QStringLiteral("a"));
    EXPECT_EQ(tk.string(QStringLiteral("b")), QStringLiteral("2"));
}

// The readers with the text in memory read what the resource reader reads; a malformed text
// is reported with its origin and line and leaves the tables as they were.
TEST(UiDef, TablesReadFromMemoryAsFromTheFolderAndAMalformedOneChangesNothing) {
    auto shipped = makeShippedToolkit();
    const QString folder = shippedResources();
    const auto read = [&](const char* file) {
        QFile f(folder + QLatin1Char('/') + QLatin1String(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    Toolkit tk;
    ASSERT_TRUE(tk.loadStringsBuffer(read("values/string.xml"), QStringLiteral("string.xml")));
    ASSERT_TRUE(tk.loadColorsBuffer(read("values/color.xml"), QStringLiteral("color.xml")));
    ASSERT_TRUE(tk.loadSkinsBuffer(read("values/skin.xml"), QStringLiteral("skin.xml")));
    ASSERT_EQ(tk.stringCount(), shipped->stringCount());
    for (int i = 0; i < tk.stringCount(); ++i) {
        EXPECT_EQ(tk.stringNameAt(i), shipped->stringNameAt(i));
        EXPECT_EQ(tk.stringAt(i), shipped->stringAt(i));
    }
    EXPECT_EQ(tk.color(QStringLiteral("accent")), shipped->color(QStringLiteral("accent")));
    ASSERT_NE(tk.skin(QStringLiteral("skin_btn_close")), nullptr);
    EXPECT_EQ(tk.skin(QStringLiteral("skin_btn_close"))->stateCount(), 4);

    const QByteArray malformed = "<string>\n<a value='1'/>\n<b value='2'></string>";
    using Reader = bool (Toolkit::*)(const QByteArray&, const QString&);
    for (Reader reader :
         {&Toolkit::loadStringsBuffer, &Toolkit::loadColorsBuffer, &Toolkit::loadSkinsBuffer}) {
        DiagnosticCatcher diagnostics;
        EXPECT_FALSE((tk.*reader)(malformed, QStringLiteral("broken.xml")));
        EXPECT_TRUE(diagnostics.contains(QStringLiteral("broken.xml:3: malformed XML")))
            << diagnostics.messages().join(QLatin1Char('\n')).toStdString();
    }
    EXPECT_EQ(tk.stringCount(), shipped->stringCount());
    EXPECT_EQ(tk.color(QStringLiteral("accent")), shipped->color(QStringLiteral("accent")));

    DiagnosticCatcher diagnostics;
    EXPECT_FALSE(tk.installLanguageBuffer(malformed, QStringLiteral("lang.xml")));
    EXPECT_FALSE(tk.installLanguageBuffer("<string/>", QStringLiteral("lang.xml")));
    ASSERT_TRUE(tk.installLanguageBuffer(read("translator/lang_cn.xml"), QStringLiteral("cn")));
    EXPECT_EQ(tk.translator().currentLanguage(), QStringLiteral("cn"));
    EXPECT_NE(tk.tr(QStringLiteral("Warning")), QStringLiteral("Warning"));
}

TEST(UiDef, ColoursAndSkinsAreDefined) {
    auto tk = makeShippedToolkit();
    EXPECT_EQ(tk->color(QStringLiteral("accent")), QColor(0x35, 0xC8, 0xFF));
    const Skin* s = tk->skin(QStringLiteral("skin_btn_close"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->stateCount(), 4);
    EXPECT_EQ(tk->skin(QStringLiteral("no_such_skin")), nullptr);
}

TEST(NamedIds, NameAndIdDenoteTheSameEntry) {
    NamedIds ids;
    ids.registerTable(kNamedIds, kNamedIdCount, true);
    ASSERT_EQ(ids.count(), 70);
    EXPECT_EQ(ids.idOf(QStringLiteral("cbx_color_effect")), 65541);
    EXPECT_EQ(ids.nameOf(65541), QStringLiteral("cbx_color_effect"));
    EXPECT_EQ(ids.idOf(QStringLiteral("_name_start")), 65535);
    EXPECT_EQ(ids.idOf(QStringLiteral("bar_side_brightness")), 65560);
    EXPECT_EQ(ids.idOf(QStringLiteral("btnDelete")), 65597);
    EXPECT_EQ(ids.idOf(QStringLiteral("button3rd")), 65604);
    EXPECT_EQ(ids.idOf(QStringLiteral("btn_max")), -1);
    EXPECT_EQ(ids.idOf(QStringLiteral("CBX_COLOR_EFFECT")), -1);
    EXPECT_EQ(ids.nameOf(1), QString());
}

TEST(NamedIds, ATableMarkedSortedThatIsNotIsSortedAndReported) {
    struct E {
        const wchar_t* name;
        int id;
    };
    const E table[] = {{L"b", 2}, {L"a", 1}, {L"c", 3}};
    DiagnosticCatcher diag;
    NamedIds ids;
    ids.registerTable(table, 3, true);
    EXPECT_TRUE(diag.contains(QStringLiteral("not sorted")));
    EXPECT_EQ(ids.idOf(QStringLiteral("a")), 1);
    EXPECT_EQ(ids.idOf(QStringLiteral("b")), 2);
}

TEST(Skins, AStripDrawsTheChosenStateAndAFrameKeepsItsCorners) {
    // A 2-state strip, 4 x 4 each: red, then blue with a green 1-pixel corner.
    QImage strip(8, 4, QImage::Format_ARGB32);
    strip.fill(Qt::red);
    for (int y = 0; y < 4; ++y)
        for (int x = 4; x < 8; ++x)
            strip.setPixelColor(x, y, Qt::blue);
    strip.setPixelColor(4, 0, Qt::green);
    Skin s;
    s.image = QPixmap::fromImage(strip);
    s.states = 2;
    EXPECT_EQ(s.size(), QSize(4, 4));

    QImage out(20, 20, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    {
        QPainter p(&out);
        s.draw(p, QRect(0, 0, 20, 20), 1);
    }
    EXPECT_EQ(out.pixelColor(10, 10), QColor(Qt::blue));

    s.kind = Skin::Kind::ImageFrame;
    s.margins = QMargins(1, 1, 1, 1);
    out.fill(Qt::transparent);
    {
        QPainter p(&out);
        s.draw(p, QRect(0, 0, 20, 20), 1);
    }
    EXPECT_EQ(out.pixelColor(0, 0), QColor(Qt::green));  // the corner stays one pixel
    EXPECT_EQ(out.pixelColor(1, 1), QColor(Qt::blue));
    EXPECT_EQ(out.pixelColor(19, 19), QColor(Qt::blue));
}

TEST(Skins, AMissingImageIsReportedOnceAndDrawsNothing) {
    TempResources res(std::map<QString, QByteArray>{
        {"uires.idx",
         "<resource><main><file name='gone_png' path='image/gone.png'/></main></resource>"}});
    Toolkit tk;
    ASSERT_TRUE(tk.resources().openFolder(res.folder()));
    DiagnosticCatcher diag;
    const Skin* s = tk.imageSkin(QStringLiteral("main:gone_png"), 4);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(diag.contains(QStringLiteral("main:gone_png")));
    diag.clear();
    tk.resources().pixmap(QStringLiteral("main:gone_png"));
    EXPECT_TRUE(diag.messages().isEmpty());
    QImage out(8, 8, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter p(&out);
    s->draw(p, out.rect(), 0);
    p.end();
    EXPECT_EQ(out.pixelColor(4, 4).alpha(), 0);
    EXPECT_TRUE(s->size().isEmpty());
}
