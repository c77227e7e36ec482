#include "settings/ProgramStores.h"

#include "settings/AppConfig.h"
#include "settings/EffectStore.h"
#include "settings/MacroStore.h"
#include "settings/RecordStore.h"
#include "settings/SideLightStore.h"

namespace kg {

ProgramStores processWideStores() {
    return ProgramStores{AppConfig::instance(), EffectStore::instance(), SideLightStore::instance(),
                         MacroStore::instance(), RecordStore::instance()};
}

}  // namespace kg
