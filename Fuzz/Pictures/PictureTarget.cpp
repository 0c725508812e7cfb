#include "VeltoDesktop/Model/BoundedImageDecoder.hpp"

#include <algorithm>

#include "Targets/PropertyViolation.hpp"
#include "Targets/Targets.hpp"

namespace velto::fuzz {

void runPicture(std::string_view input) {
    auto image = BoundedImageDecoder::decode(input);
    if (!image)
        return;
    require(!image->isNull() && std::max(image->width(), image->height()) <= BoundedImageDecoder::maximumSide,
            "a decoded picture is at most the largest side the cache keeps");
    require(image->format() == QImage::Format_ARGB32_Premultiplied,
            "a decoded picture is premultiplied ARGB");
}

} // namespace velto::fuzz
