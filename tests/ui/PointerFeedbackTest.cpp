// What the pointer and the keyboard leave visible on the combo box and the slider: the hover
// border goes when the list closes elsewhere, the open list marks the selected item, and a
// slider shows its steps and its value.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWindow>

#include "tests/ui/UiTestSupport.h"
#include "ui/ComboBox.h"
#include "ui/HostWnd.h"
#include "ui/SliderBar.h"

using namespace kg::ui;
using namespace kg::ui::test;

namespace {

const char* kLayout = R"(<layout size="400,300">
  <combobox name="combo" pos="10,10,120,28" curSel="1">
    <items><item text="zero"/><item text="one"/><item text="two"/><item text="three"/></items>
  </combobox>
  <sliderbar name="bar" pos="10,200,200,28" min="1" max="6" value="1"/>
  <sliderbar name="fine" pos="10,240,200,28" min="0" max="100" value="0"/>
</layout>)";

const QColor kAccent(0x35, 0xC8, 0xFF);

bool near(QRgb pixel, const QColor& c, int tolerance = 40) {
    return std::abs(qRed(pixel) - c.red()) + std::abs(qGreen(pixel) - c.green()) +
               std::abs(qBlue(pixel) - c.blue()) <=
           tolerance;
}

struct PointerFeedback : ::testing::Test {
    TempResources res{
        {{"uires.idx", "<resource><LAYOUT><file name='c' path='c.xml'/></LAYOUT></resource>"},
         {"c.xml", kLayout}}};
    Toolkit tk;
    std::unique_ptr<HostWnd> w;
    void SetUp() override {
        ASSERT_TRUE(tk.resources().openFolder(res.folder()));
        w = std::make_unique<HostWnd>(QStringLiteral("LAYOUT:c"));
        ASSERT_TRUE(w->create());
        w->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        QToolTip::hideText();
        w.reset();
    }
    template <class T>
    T* get(const char* name) {
        T* c = w->findChildAs<T>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    // The pointer moves to `at` (window coordinates), as the platform reports it.
    void movePointer(const QPoint& at) {
        QCursor::setPos(w->mapToGlobal(at));
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(at), QPointF(w->mapToGlobal(at)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w->windowHandle(), &move);
        QCoreApplication::processEvents();
    }
};

}  // namespace

TEST_F(PointerFeedback, TheHoverBorderGoesWhenTheListClosesWithThePointerElsewhere) {
    auto* combo = get<ComboBox>("combo");
    ASSERT_NE(combo, nullptr);
    QComboBox* box = combo->comboBox();
    movePointer(combo->geometry().center());
    ASSERT_TRUE(box->underMouse());

    box->showPopup();
    QCoreApplication::processEvents();
    // The user picks an item further down the list, away from the box; the list closes.
    QCursor::setPos(w->mapToGlobal(QPoint(300, 280)));
    box->hidePopup();
    QCoreApplication::processEvents();

    EXPECT_FALSE(box->underMouse());
    EXPECT_EQ(combo->state() & Window::kStateHover, 0u);
    // The focus comes back from the list; it came from the mouse, so it shows no mark either.
    EXPECT_FALSE(combo->showsFocusMark());
    // The box's top edge is back to its plain border, not the accent of the hover.
    const QImage picture = box->grab().toImage();
    EXPECT_FALSE(near(picture.pixel(picture.width() / 2, 0), kAccent))
        << std::hex << picture.pixel(picture.width() / 2, 0);
}

TEST_F(PointerFeedback, TheHoverBorderStaysWhenTheListClosesWithThePointerOnTheBox) {
    auto* combo = get<ComboBox>("combo");
    ASSERT_NE(combo, nullptr);
    QComboBox* box = combo->comboBox();
    movePointer(combo->geometry().center());
    box->showPopup();
    QCoreApplication::processEvents();
    box->hidePopup();
    QCoreApplication::processEvents();
    EXPECT_TRUE(box->underMouse());
}

TEST_F(PointerFeedback, TheOpenListMarksTheSelectedItemWhereverThePointerIs) {
    auto* combo = get<ComboBox>("combo");
    ASSERT_NE(combo, nullptr);
    QComboBox* box = combo->comboBox();
    ASSERT_EQ(combo->curSel(), 1);
    box->showPopup();
    QCoreApplication::processEvents();
    QAbstractItemView* view = box->view();
    // The pointer rests on item 3: the list highlights that one.
    view->setCurrentIndex(view->model()->index(3, 0));
    QCoreApplication::processEvents();
    const QImage picture = view->viewport()->grab().toImage();
    for (int row = 0; row < combo->count(); ++row) {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        ASSERT_FALSE(r.isEmpty()) << row;
        // The mark: a short bar at the left edge of the row.
        bool marked = false;
        for (int x = r.left(); x < r.left() + 10; ++x) {
            marked = marked || near(picture.pixel(x, r.center().y()), kAccent);
        }
        EXPECT_EQ(marked, row == 1) << "row " << row;
    }
    box->hidePopup();
}

TEST_F(PointerFeedback, TheSliderShowsItsValueWhileMovedAndUnderThePointer) {
    auto* bar = get<SliderBar>("bar");
    ASSERT_NE(bar, nullptr);
    bar->setFocus(Qt::TabFocusReason);
    struct {
        int key;
        const char* shown;
    } cases[] = {{Qt::Key_Right, "1 / 5"},
                 {Qt::Key_Right, "2 / 5"},
                 {Qt::Key_End, "5 / 5"},
                 {Qt::Key_PageDown, "4 / 5"},
                 {Qt::Key_Home, "0 / 5"}};
    for (const auto& k : cases) {
        QKeyEvent press(QEvent::KeyPress, k.key, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &press);
        QCoreApplication::processEvents();
        EXPECT_TRUE(QToolTip::isVisible()) << k.shown;
        EXPECT_EQ(QToolTip::text(), QString::fromLatin1(k.shown));
    }
    QToolTip::hideText();
    bar->setValue(3);
    // The pointer rests on the slider.
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), bar->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(bar, &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("2 / 5"));
}

TEST_F(PointerFeedback, ASliderOfFewStepsShowsEachStepBesideItsTrack) {
    struct {
        const char* name;
        bool marks;
    } cases[] = {{"bar", true}, {"fine", false}};
    for (const auto& k : cases) {
        auto* bar = get<SliderBar>(k.name);
        ASSERT_NE(bar, nullptr);
        const QImage picture = bar->grab().toImage();
        const int last = bar->maximum();
        // Right of the thumb (16 pixels wide without a skin), which stands at the minimum.
        const int clear = bar->stepMark(bar->minimum()).center().x() + 10;
        for (int v = bar->minimum() + 1; v < last; ++v) {
            const QPoint mark = bar->stepMark(v).center();
            if (mark.x() <= clear) {
                continue;
            }
            const QPoint between = (mark + bar->stepMark(v + 1).center()) / 2;
            ASSERT_TRUE(picture.rect().contains(mark)) << k.name;
            const bool differs = picture.pixel(mark) != picture.pixel(between);
            if (k.marks) {
                EXPECT_TRUE(differs) << k.name << " step " << v;
            } else if (differs) {
                ADD_FAILURE() << k.name << " shows a mark at step " << v;
                break;
            }
        }
    }
}
