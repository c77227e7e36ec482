#pragma once

#include "ui/Window.h"

namespace kg::ui {

// A slider, tag "sliderbar": range from the layout ("min", "max", "value"), skins for the
// track ("bkgndSkin"), the filled part ("posSkin") and the thumb ("thumbSkin"). Dragging or
// clicking moves it and raises the slider-position event with the new value, and so do the
// keyboard (when it has the focus) and the mouse wheel; setValue clamps to the range and raises
// nothing. A range of a few steps shows each step as a mark beside the track; the value shows as a
// tip while the user moves the slider and while the pointer rests on it.
class SliderBar : public Window {
    Q_OBJECT
    KG_UI_CLASS(Window, "sliderbar")
public:
    explicit SliderBar(QWidget* parent = nullptr);
    bool applyAttribute(const QString& name, const QString& value) override;
    void paint(QPainter& p) override;

    int value() const { return m_value; }
    // Clamps to [min, max]; returns the value set.
    int setValue(int value);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setRange(int min, int max);
    bool isVertical() const { return m_vertical; }
    // "3 / 5": the value counted from the minimum, of the whole range.
    QString valueText() const;
    // The mark of step `value`, beside the track; ranges of more than kMaxSteps steps show
    // none.
    static constexpr int kMaxSteps = 20;
    QRect stepMark(int value) const;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    // Arrows move by one step, Page Up/Down by a fifth of the range, Home/End to the ends;
    // each move raises the slider-position event as a drag does.
    void keyPressEvent(QKeyEvent* e) override;
    // One step per notch of the wheel over the slider.
    void wheelEvent(QWheelEvent* e) override;
    bool event(QEvent* e) override;

private:
    int valueAt(const QPoint& pt) const;
    QRect thumbRect() const;
    QRect thumbRectAt(int value) const;
    QRect trackRect() const;
    QSize thumbSize() const;
    void moveByUser(int value);
    void showValueTip();

    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
    bool m_vertical = false;
    bool m_dragging = false;
    int m_wheelRest = 0;
    const Skin* m_track = nullptr;
    const Skin* m_pos = nullptr;
    const Skin* m_thumb = nullptr;
};

}  // namespace kg::ui
