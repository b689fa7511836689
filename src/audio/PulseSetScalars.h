#pragma once

#include "audio/PulseDeviceInfo.h"

#include <map>
#include <utility>

#include <pulse/volume.h>

// The last scalar set in each direction of a device and the raw volume it
// gave, so reading back an unchanged volume returns exactly what was set.
// Guarded by the main loop's lock.
class PulseSetScalars {
public:
    void remember(const PulseDeviceKey& key, pa_volume_t raw, float scalar) { m_set[key] = {raw, scalar}; }

    float scalarOf(const PulseDeviceKey& key, pa_volume_t raw) const
    {
        const auto set = m_set.find(key);
        if (set != m_set.end() && set->second.first == raw)
            return set->second.second;
        return static_cast<float>(raw) / static_cast<float>(PA_VOLUME_NORM);
    }

private:
    std::map<PulseDeviceKey, std::pair<pa_volume_t, float>> m_set;
};
