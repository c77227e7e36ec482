#include "controls/RegisterControls.h"

#include "controls/CoordButtonImage.h"
#include "controls/SAnimImg.h"
#include "controls/SCheckBoxEx.h"
#include "controls/SEditEx.h"
#include "controls/SRadioBoxEx.h"
#include "controls/STabCtrl2.h"
#include "controls/STabPage2.h"
#include "ui/ObjectFactory.h"

namespace kg {

int registerControls(kg::ui::ObjectFactory& factory) {
    int added = 0;
    added += factory.registerClass<CoordButtonImage>(QStringLiteral("window")) ? 1 : 0;
    added += factory.registerClass<STabPage2>(QStringLiteral("page")) ? 1 : 0;
    added += factory.registerClass<STabCtrl2>(QStringLiteral("tabctrl")) ? 1 : 0;
    added += factory.registerClass<SAnimImg>(QStringLiteral("window")) ? 1 : 0;
    added += factory.registerClass<SEditEx>(QStringLiteral("edit")) ? 1 : 0;
    added += factory.registerClass<SRadioBoxEx>(QStringLiteral("radio")) ? 1 : 0;
    added += factory.registerClass<SCheckBoxEx>(QStringLiteral("check")) ? 1 : 0;
    return added;
}

}  // namespace kg
