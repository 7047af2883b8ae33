#include "display_scale.h"

namespace glowmere {

int ScaleToDpi(int value, int dpi)
{
    const long long product = static_cast<long long>(value) * dpi;
    const long long magnitude = (product < 0 ? -product : product) + kDesignDpi / 2;
    return static_cast<int>(product < 0 ? -(magnitude / kDesignDpi) : magnitude / kDesignDpi);
}

}  // namespace glowmere
