#pragma once

class AppConfig;
class EffectStore;
class MacroStore;
class RecordStore;
class SideLightStore;

namespace kg {

// The configuration and the settings stores the main window works on. The start-up hands in
// the process-wide ones; nothing below it reaches for them itself.
struct ProgramStores {
    AppConfig& config;
    EffectStore& effects;
    SideLightStore& sideLights;
    MacroStore& macros;
    RecordStore& records;
};

}  // namespace kg

namespace kg {

// The process-wide configuration and stores (each store's instance()).
ProgramStores processWideStores();

}  // namespace kg
