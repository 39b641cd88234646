#include "prototype/prototype.h"

#include "prototype/darlington.h"
#include "prototype/lowpass_function.h"
#include "prototype/predistortion.h"

#include <charconv>
#include <cmath>
#include <string>

namespace korvan::prototype {
namespace {

// Six digits for messages, independent of locale and of the status flags
// a NaN input has raised on its way here.
std::string shown(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return std::string(text, end.ptr);
}

void validateShape(const Request& r) {
    const FamilyInfo& info = familyInfo(r.family);
    if (r.poles < info.minPoles || r.poles > info.maxPoles)
        throw PrototypeError(
            std::string(info.name) + " prototypes have " + std::to_string(info.minPoles) + " to " +
            std::to_string(info.maxPoles) + " poles, not " + std::to_string(r.poles));
    if (info.hasRipple) {
        if (!(r.rippleDb >= kMinRippleDb && r.rippleDb <= kMaxRippleDb))
            throw PrototypeError("the ripple of a " + std::string(info.name) + " prototype is " +
                                 shown(kMinRippleDb) + " to " + shown(kMaxRippleDb) + " dB, not " +
                                 shown(r.rippleDb));
    } else if (r.rippleDb != 0) {
        throw PrototypeError(std::string(info.name) +
                             " prototypes have no ripple; only chebyshev takes one");
    }
}

LowpassFunction losslessFunction(const Request& r) {
    return lowpassFunction(r.family, r.poles, r.rippleDb);
}

CoupledResonatorCoefficients coefficientsOf(const Ladder& ladder, const Request& r, double lossDb) {
    CoupledResonatorCoefficients c;
    c.qe1 = static_cast<double>(ladder.q1);
    c.qen = static_cast<double>(ladder.qn);
    c.q1 = c.qe1;
    c.qn = c.qen;
    if (r.qo) {
        // The end resonators' own loss counts into their q, as tables give it.
        const long double loss = 1.0L / *r.qo;
        c.q1 = static_cast<double>(1 / (1 / ladder.q1 + loss));
        c.qn = static_cast<double>(1 / (1 / ladder.qn + loss));
        c.qo = *r.qo;
        c.insertionLossDb = lossDb;
    }
    for (const long double k : ladder.k) c.k.push_back(static_cast<double>(k));
    return c;
}

struct Prepared {
    LowpassFunction function; // the one the lossless ladder realises
    double qoMin = 0;
    double lossDb = 0;
    ReflectionZeros zeros;
};

Prepared prepare(const Request& r) {
    validate(r);
    const LowpassFunction lossless = losslessFunction(r);
    Prepared p;
    p.qoMin = static_cast<double>(minimumQo(lossless));
    if (r.qo) {
        p.function = predistorted(lossless, *r.qo);
        p.lossDb = static_cast<double>(insertionLossDb(lossless, p.function));
    } else {
        p.function = lossless;
    }
    p.zeros = reflectionZeros(p.function);
    return p;
}

} // namespace

void validate(const Request& request) {
    validateShape(request);
    if (!request.qo) return;
    const double qo = *request.qo;
    const double least = minimumQo(request);
    if (!(qo > least) || !std::isfinite(qo))
        throw PrototypeError("qo " + shown(qo) + " is at or below the minimum of a " +
                             std::string(familyInfo(request.family).name) + " prototype of " +
                             std::to_string(request.poles) + " poles; qo must exceed " +
                             shown(least));
}

double minimumQo(const Request& request) {
    validateShape(request);
    return static_cast<double>(minimumQo(losslessFunction(request)));
}

Prototype solutions(const Request& request, Solutions which) {
    const Prepared p = prepare(request);
    Prototype result;
    result.request = request;
    result.qoMin = p.qoMin;
    result.insertionLossDb = p.lossDb;
    const auto choices = distinctChoices(p.function, p.zeros);
    result.solutionCount = choices.size();
    for (const ZeroChoice choice : choices) {
        result.solutions.push_back(
            coefficientsOf(synthesise(p.function, p.zeros, choice), request, p.lossDb));
        if (which == Solutions::MostBalanced) break;
    }
    return result;
}

CoupledResonatorCoefficients coefficients(const Request& request) {
    return solutions(request, Solutions::MostBalanced).chosen();
}

} // namespace korvan::prototype
