#include "mainwnd/window/LightingPanels.h"

#include "app/EffectStore.h"
#include "app/SideLightStore.h"
#include "lighting/DeviceConnection.h"
#include "ui/ComboBox.h"
#include "ui/HostWnd.h"
#include "ui/TabCtrl.h"

namespace kg {

LightingPanels::LightingPanels(kg::ui::HostWnd& window, DeviceConnection& connection)
    : m_window(window), m_connection(connection) {}

void LightingPanels::setUp(kg::ui::TabCtrl* effectTabs) {
    m_effectTabs = effectTabs;
    m_effectCombo = m_window.findChildAs<kg::ui::ComboBox>(QStringLiteral("cbx_color_effect"));
    m_sideCombo = m_window.findChildAs<kg::ui::ComboBox>(QStringLiteral("cbx_side_color_effect"));
}

void LightingPanels::syncEffectPanel(bool selectItem) {
    if (selectItem && m_effectCombo) {
        m_effectCombo->setCurSel(EffectStore::instance().currentIndex());
    }
}

void LightingPanels::syncSidePanel(bool selectItem) {
    if (selectItem && m_sideCombo) {
        m_sideCombo->setCurSel(SideLightStore::instance().currentIndex());
    }
}

bool LightingPanels::onEvent(kg::ui::Event& /*e*/) {
    return false;
}

}  // namespace kg
