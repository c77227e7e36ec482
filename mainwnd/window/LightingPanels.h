#pragma once

#include "ui/Events.h"

namespace kg::ui {
class ComboBox;
class HostWnd;
class TabCtrl;
}  // namespace kg::ui

namespace kg {

class DeviceConnection;

// The backlight and side-light panels of the main window: which store field each control
// shows, when the stores are written and when a lighting report goes out. The window owns one,
// sets it up after finding its controls and hands it the panel events.
//
// For now the panels only show the stores' current effects in the two combo boxes; the
// sliders, radio groups, the reports of the combo boxes and the factory reset come with the
// panels' own work.
class LightingPanels {
public:
    LightingPanels(kg::ui::HostWnd& window, DeviceConnection& connection);

    // Finds the panel controls; a missing control leaves its member empty.
    void setUp(kg::ui::TabCtrl* effectTabs);

    // Shows the EffectStore's current effect (selectItem: also in the combo box).
    void syncEffectPanel(bool selectItem);
    // Shows the SideLightStore's current side effect.
    void syncSidePanel(bool selectItem);

    // Panel events (combo boxes, sliders, radios, "btn_restore_factory"); false for others.
    bool onEvent(kg::ui::Event& e);

    kg::ui::ComboBox* effectCombo() const { return m_effectCombo; }
    kg::ui::ComboBox* sideCombo() const { return m_sideCombo; }

private:
    kg::ui::HostWnd& m_window;
    DeviceConnection& m_connection;
    kg::ui::TabCtrl* m_effectTabs = nullptr;
    kg::ui::ComboBox* m_effectCombo = nullptr;
    kg::ui::ComboBox* m_sideCombo = nullptr;
};

}  // namespace kg
