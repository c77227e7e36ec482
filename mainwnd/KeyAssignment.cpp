#include "mainwnd/KeyAssignment.h"

#include <limits>

#include "controls/CoordButtonImage.h"
#include "settings/AppConfig.h"
#include "settings/MacroStore.h"

namespace kg {

std::optional<KeyRecord> buildKeyRecord(int id, const std::wstring& name, const MacroStore& macros,
                                        const AppConfig& config, const CoordButtonImage* image) {
    const MacroConfig& choice = macros.config();
    KeyRecord record;
    record.code = id;
    record.name = name;
    switch (choice.type) {
        case 0: {
            // The group index is taken as unsigned, so a negative one points at no group.
            const auto index = static_cast<std::uint32_t>(choice.group);
            if (index >= static_cast<std::uint32_t>(macros.groupCount())) {
                return std::nullopt;
            }
            const MacroGroup* group = macros.groupAt(static_cast<int>(index));
            record.type = 0;
            record.repeat = choice.repeat;
            record.mode = choice.playmode;
            record.group = group->name;
            record.steps = group->steps;
            return record;
        }
        case 1: {
            CoordButton target;
            if (image == nullptr || !image->findKey(choice.skcode, target)) {
                return std::nullopt;
            }
            record.type = 1;
            record.group = target.name;
            record.steps.push_back(MacroStep{choice.skcode, 0, 0, {}});
            return record;
        }
        case 2: {
            if (choice.media < 0 || choice.media >= static_cast<int>(config.mediaKeys.size())) {
                return std::nullopt;
            }
            const MediaKeyEntry& entry = config.mediaKeys[static_cast<std::size_t>(choice.media)];
            record.type = 2;
            record.group = entry.name;
            record.steps.push_back(MacroStep{entry.code, 0, 0, {}});
            return record;
        }
        case 3: {
            if (choice.function < 0 ||
                choice.function >= static_cast<int>(config.keyCombos.size())) {
                return std::nullopt;
            }
            const KeyComboEntry& entry =
                config.keyCombos[static_cast<std::size_t>(choice.function)];
            if (entry.parts.empty()) {
                return std::nullopt;
            }
            record.type = 3;
            record.group = entry.name;
            for (const ComboPart& part : entry.parts) {
                // The release waits one millisecond longer than the press; a delay at the top
                // of the range stays there instead of overflowing.
                const int releaseDelay =
                    part.delay == std::numeric_limits<int>::max() ? part.delay : part.delay + 1;
                record.steps.push_back(MacroStep{part.code, 1, releaseDelay, {}});
            }
            for (const ComboPart& part : entry.parts) {
                record.steps.push_back(MacroStep{part.code, 0, part.delay, {}});
            }
            return record;
        }
        default:
            return std::nullopt;
    }
}

std::wstring keyRecordTip(const KeyRecord& record,
                          const std::function<std::wstring(const std::wstring&)>& translate) {
    if (record.group.empty()) {
        return record.name;
    }
    return record.name + L" : " + translate(record.group);
}

}  // namespace kg
