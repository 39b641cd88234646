#include "designer/response_shape.h"

#include "designer/named_crystal.h"
#include "prototype/prototype.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace korvan::designer {

namespace {

prototype::Request request(const ResponseShape& shape, int poles, std::optional<double> qo) {
    return {shape.family, poles, shape.hasRipple() ? shape.rippleDb : 0.0, qo};
}

} // namespace

bool ResponseShape::hasRipple() const {
    return prototype::familyInfo(family).hasRipple;
}

ResponseShape parseResponseShape(std::string_view family, std::optional<double> rippleDb) {
    std::string lower(family);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    ResponseShape shape;
    try {
        shape.family = prototype::parseFamily(lower);
        if (shape.hasRipple()) {
            shape.rippleDb = rippleDb.value_or(kDefaultRippleDb);
            // The pole count does not matter for the ripple's range.
            prototype::validate(request(shape, 2, std::nullopt));
        } else {
            shape.rippleDb = 0;
            // Refused with the prototype module's words: no ripple here.
            if (rippleDb) prototype::validate({shape.family, 2, *rippleDb, std::nullopt});
        }
    } catch (const prototype::PrototypeError& e) {
        throw DesignError(e.what());
    }
    return shape;
}

std::string_view shapeName(const ResponseShape& shape) {
    return prototype::familyInfo(shape.family).name;
}

std::string shapeText(const ResponseShape& shape) {
    std::string text(shapeName(shape));
    if (shape.hasRipple()) {
        // Locale-free: the same text in the window and in files.
        char ripple[32];
        const auto end = std::to_chars(ripple, ripple + sizeof ripple, shape.rippleDb,
                                       std::chars_format::general, 6);
        text += " " + std::string(ripple, end.ptr) + " dB";
    }
    return text;
}

prototype::CoupledResonatorCoefficients shapeCoefficients(const ResponseShape& shape, int poles,
                                                          std::optional<double> qo) {
    try {
        return prototype::coefficients(request(shape, poles, qo));
    } catch (const prototype::PrototypeError& e) {
        throw DesignError(e.what());
    }
}

double shapeMinimumQo(const ResponseShape& shape, int poles) {
    try {
        return prototype::minimumQo(request(shape, poles, std::nullopt));
    } catch (const prototype::PrototypeError& e) {
        throw DesignError(e.what());
    }
}

} // namespace korvan::designer
