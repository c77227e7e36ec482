#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>

#include "tests/ui/UiTestSupport.h"
#include "ui/ComboBox.h"
#include "ui/Controls.h"
#include "ui/DialogHost.h"
#include "ui/Edit.h"
#include "ui/HostWnd.h"
#include "ui/ListView.h"
#include "ui/MessageBox.h"
#include "ui/SliderBar.h"
#include "ui/TabCtrl.h"

using namespace kg::ui;
using namespace kg::ui::test;

namespace {
const char* kLayout = R"(<layout size="400,300">
  <combobox name="combo" pos="0,0,100,24" curSel="1">
    <items><item text="zero"/><item text="one"/><item text="two"/></items>
  </combobox>
  <combobox name="empty_sel" pos="0,30,100,24"><items><item text="a"/><item text="b"/></items></combobox>
  <sliderbar name="bar" pos="0,60,100,20" min="1" max="5" value="9"/>
  <window name="group1" pos="0,90,200,30">
    <radio name="r1" pos="0,0,50,20" checked="1"/><radio name="r2" pos="50,0,50,20"/>
    <radio name="other" pos="100,0,50,20" group="x" checked="1"/>
  </window>
  <check name="chk" pos="0,130,50,20"/>
  <edit name="ed" pos="0,160,100,24" text="12"/>
  <tabctrl name="tabs" pos="0,190,200,100" tabHeight="0" curSel="1">
    <page title="p0"/><page title="p1"/><text name="not_a_page"/><page title="p2"/>
  </tabctrl>
  <listview name="list" pos="200,0,200,200">
    <template itemHeight="20"><edit name="row_edit" pos="0,0,100,20"/></template>
  </listview>
</layout>)";

struct Controls : ::testing::Test {
    TempResources res{
        {{"uires.idx", "<resource><LAYOUT><file name='c' path='c.xml'/></LAYOUT></resource>"},
         {"c.xml", kLayout}}};
    Toolkit tk;
    std::unique_ptr<HostWnd> w;
    void SetUp() override {
        ASSERT_TRUE(tk.resources().openFolder(res.folder()));
        w = std::make_unique<HostWnd>(QStringLiteral("LAYOUT:c"));
        w->create();
    }
    template <class T>
    T* get(const char* name) {
        T* c = w->findChildAs<T>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
};

struct SelLog {
    std::vector<std::pair<int, int>> changes;  // old, new
    void attach(Window* c) {
        c->subscribe(kEventSelChanged, [this](Event& e) {
            changes.emplace_back(e.oldSel, e.newSel);
            return true;
        });
    }
};
}  // namespace

TEST_F(Controls, ComboBoxTakesItsItemsAndSelectionFromTheLayout) {
    auto* c = get<ComboBox>("combo");
    ASSERT_EQ(c->count(), 3);
    EXPECT_EQ(c->itemText(2), QStringLiteral("two"));
    EXPECT_EQ(c->curSel(), 1);
    EXPECT_EQ(get<ComboBox>("empty_sel")->curSel(), -1);
}

TEST_F(Controls, ComboBoxSelectionNotifiesAtOnceOnlyWhenItChanges) {
    auto* c = get<ComboBox>("combo");
    SelLog log;
    log.attach(c);
    int afterCall = -2;
    EXPECT_TRUE(c->setCurSel(2));
    afterCall = static_cast<int>(log.changes.size());  // raised before setCurSel returned
    EXPECT_EQ(afterCall, 1);
    EXPECT_TRUE(c->setCurSel(2));   // the item already shown: nothing
    EXPECT_FALSE(c->setCurSel(3));  // not an item: nothing
    EXPECT_FALSE(c->setCurSel(20));
    EXPECT_TRUE(c->setCurSel(0, false));  // without notification
    EXPECT_EQ(c->curSel(), 0);
    EXPECT_EQ(log.changes, (std::vector<std::pair<int, int>>{{1, 2}}));
    // The user's choice through the drop-down notifies as well.
    c->comboBox()->setCurrentIndex(1);
    EXPECT_EQ(log.changes.back(), (std::pair<int, int>{0, 1}));
}

TEST_F(Controls, ComboBoxHandlerMayChangeOtherControlsBeforeTheCallReturns) {
    auto* c = get<ComboBox>("combo");
    auto* bar = get<SliderBar>("bar");
    c->subscribe(kEventSelChanged, [&](Event& e) {
        bar->setValue(e.newSel + 1);
        return true;
    });
    c->setCurSel(2);
    EXPECT_EQ(bar->value(), 3);
}

TEST_F(Controls, SliderRangeComesFromTheLayoutAndSettingClamps) {
    auto* bar = get<SliderBar>("bar");
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), 5);
    EXPECT_EQ(bar->value(), 5);  // the layout's 9 clamped
    int events = 0;
    bar->subscribe(kEventSliderPos, [&](Event&) { return ++events, true; });
    struct {
        int set, got;
    } cases[] = {{3, 3}, {0, 1}, {-7, 1}, {5, 5}, {6, 5}, {1000, 5}};
    for (const auto& k : cases) {
        EXPECT_EQ(bar->setValue(k.set), k.got) << k.set;
        EXPECT_EQ(bar->value(), k.got);
    }
    EXPECT_EQ(events, 0);  // only the user's moves raise the position event
}

TEST_F(Controls, RadiosOfAGroupExcludeEachOther) {
    auto* r1 = get<RadioBox>("r1");
    auto* r2 = get<RadioBox>("r2");
    auto* other = get<RadioBox>("other");
    EXPECT_TRUE(r1->isChecked());
    r2->click();
    EXPECT_FALSE(r1->isChecked());
    EXPECT_TRUE(r2->isChecked());
    EXPECT_TRUE(other->isChecked());  // another group
    r2->click();
    EXPECT_TRUE(r2->isChecked());  // clicking a checked radio keeps it
    r2->setChecked(false);
    EXPECT_FALSE(r1->isChecked());
    EXPECT_FALSE(r2->isChecked());
}

TEST_F(Controls, CheckBoxTogglesAndRaisesCommand) {
    auto* chk = get<CheckBox>("chk");
    int commands = 0;
    chk->subscribe(kEventCommand, [&](Event& e) {
        EXPECT_TRUE(chk->isChecked());
        return ++commands, e.handled = true;
    });
    chk->click();
    EXPECT_TRUE(chk->isChecked());
    EXPECT_EQ(commands, 1);
    chk->setEnabled(false);
    chk->click();
    EXPECT_TRUE(chk->isChecked());
    EXPECT_EQ(commands, 1);
}

TEST_F(Controls, EditRaisesTextChangeForEveryChange) {
    auto* ed = get<Edit>("ed");
    EXPECT_EQ(ed->editText(), QStringLiteral("12"));
    QStringList seen;
    ed->subscribe(kEventTextChanged, [&](Event& e) { return seen << e.text, true; });
    ed->setText(QStringLiteral("250"));
    ed->lineEdit()->insert(QStringLiteral("0"));
    EXPECT_EQ(seen, QStringList({"250", "2500"}));
    EXPECT_EQ(ed->text(), QStringLiteral("2500"));
}

TEST_F(Controls, TabControlHoldsPagesOnly) {
    DiagnosticCatcher diag;
    auto* tabs = get<TabCtrl>("tabs");
    EXPECT_EQ(tabs->pageCount(), 3);
    EXPECT_EQ(tabs->curSel(), 1);
    int changes = 0;
    tabs->subscribe(kEventTabSelChanged, [&](Event& e) {
        EXPECT_EQ(e.newSel, 2);
        ++changes;
        return true;
    });
    EXPECT_TRUE(tabs->setCurSel(2));
    EXPECT_TRUE(tabs->page(2)->isVisibleTo(tabs));
    EXPECT_FALSE(tabs->page(1)->isVisibleTo(tabs));
    EXPECT_FALSE(tabs->setCurSel(3));
    EXPECT_EQ(changes, 1);
}

namespace {
struct Names : ListAdapter {
    QStringList names{"alpha", "beta", "gamma"};
    std::vector<int> clicks;
    int count() override { return static_cast<int>(names.size()); }
    void bindView(int position, Window* row) override {
        auto* ed = qobject_cast<Edit*>(row->findChildByName(QStringLiteral("row_edit")));
        ed->setData(position);
        ed->setText(names[position]);
        row->subscribe(kEventClick,
                       [this, position](Event&) { return clicks.push_back(position), true; });
    }
};
}  // namespace

TEST_F(Controls, ListViewRowsComeFromTheAdapterAndTheTemplate) {
    auto* list = get<ListView>("list");
    Names adapter;
    list->setAdapter(&adapter);
    ASSERT_EQ(list->rowCount(), 3);
    auto* ed = qobject_cast<Edit*>(list->row(1)->findChildByName(QStringLiteral("row_edit")));
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(ed->editText(), QStringLiteral("beta"));
    EXPECT_EQ(ed->data(), 1);

    SelLog sel;
    sel.attach(list);
    static_cast<ListItem*>(list->row(2))->onClick();
    EXPECT_EQ(list->getSel(), 2);
    EXPECT_EQ(adapter.clicks, std::vector<int>{2});
    EXPECT_EQ(sel.changes, (std::vector<std::pair<int, int>>{{-1, 2}}));

    adapter.names.removeLast();
    adapter.notifyDataSetChanged();
    EXPECT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->getSel(), -1);  // the selected row is gone
    // Lookups see the rows that exist now, not the ones being taken down.
    EXPECT_EQ(w->findChildByName(QStringLiteral("row_edit")),
              list->row(0)->findChildByName(QStringLiteral("row_edit")));
    EXPECT_FALSE(list->setSel(5));
}

TEST(MessageBoxSeam, ShowsTextCaptionAndButtonsAndReturnsTheAnswer) {
    auto tk = makeShippedToolkit();
    struct {
        unsigned type;
        int answer;
        bool cancelShown;
    } cases[] = {{kMbOk, kIdOk, false}, {kMbOkCancel, kIdOk, true}, {kMbOkCancel, kIdCancel, true}};
    for (const auto& c : cases) {
        bool asked = false;
        setMessageBoxAnswerer([&](const MessageBoxRequest& r) {
            asked = true;
            EXPECT_EQ(r.text, QStringLiteral("Please insert USB device!"));
            EXPECT_EQ(r.caption, QStringLiteral("Warning"));
            EXPECT_EQ(r.type, c.type);
            EXPECT_NE(r.dialog, nullptr);
            if (r.dialog) {
                EXPECT_EQ(r.dialog->findChildByName(QStringLiteral("msgtext"))->text(), r.text);
                EXPECT_EQ(r.dialog->findChildByName(QStringLiteral("msgtitle"))->text(), r.caption);
                EXPECT_EQ(
                    r.dialog->findChildByName(QStringLiteral("button2nd"))->isVisibleTo(r.dialog),
                    c.cancelShown);
            }
            return c.answer;
        });
        EXPECT_EQ(messageBox(nullptr, QStringLiteral("Please insert USB device!"),
                             QStringLiteral("Warning"), c.type),
                  c.answer);
        EXPECT_TRUE(asked);
    }
    setMessageBoxAnswerer(nullptr);
}

TEST(ModalSeam, DoModalReturnsTheValueGivenToEndDialog) {
    auto tk = makeShippedToolkit();
    DialogHost::setModalRunner([](DialogHost& d) {
        auto* ok = qobject_cast<Button*>(d.findChildByName(QStringLiteral("button1st")));
        EXPECT_NE(ok, nullptr);
        d.endDialog(65597);
        return 0;
    });
    DialogHost dlg(QStringLiteral("LAYOUT:SYS_XML_MSGBOX"));
    EXPECT_EQ(dlg.doModal(), 65597);
    DialogHost::setModalRunner(nullptr);
}
