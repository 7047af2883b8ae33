#pragma once
// The frame timer's only contact with the real clocks.
#include "frame.h"

namespace glowmere::renderer {

class Win32Clock final : public Clock {
public:
    int64_t CounterFrequency() override;
    int64_t Read(bool counter) override;
};

}  // namespace glowmere::renderer
