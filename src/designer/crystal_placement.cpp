#include "designer/crystal_placement.h"

#include "designer/crystal_reactance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace korvan::designer {

namespace {

constexpr int kMaxSymmetryPasses = 50;

// Estimated mesh frequencies of every crystal at every position.
struct Table {
    int n = 0, m = 0;
    std::vector<double> natural; // [c * n + p]: the mesh without a Cs
    std::vector<double> reach10; // how far a Cs of kMinimumCsF would raise it
    std::vector<double> fs;
    double at(const std::vector<double>& v, int c, int p) const {
        return v[static_cast<std::size_t>(c * n + p)];
    }
};

// The couplings of n crystals like `typical`, with the reference at the
// most pulled position (whichever lets every other mesh be tuned up; the
// first of equals, position 2 of a symmetric ladder).
struct Profile {
    LadderElements elements;
    int mostPulled = 0; // 0-based
};
Profile typicalLadder(const analysis::Crystal& typical, const PlacementRequest& r, int n) {
    const std::vector<analysis::Crystal> xs(static_cast<std::size_t>(n), typical);
    const auto lossless = shapeCoefficients(r.shape, n);
    for (int i = 0; i < n; ++i) {
        const auto e =
            synthesiseShape(r.shape, lossless, r.compensation, xs, r.bandwidthHz, i).elements;
        if (e && e->unreachable().empty()) return {*e, i};
    }
    throw DesignError("a 3 dB bandwidth of " +
                      std::to_string(static_cast<long long>(r.bandwidthHz)) +
                      " Hz is wider than crystals like the batch's allow");
}

struct Assignment {
    int referenceCrystal = -1;
    std::vector<int> crystalAt; // per position
    double largestOffsetHz = 0;
    double asymmetryHz = 0;
};

class Matcher {
  public:
    Matcher(const Table& t, const PlacementRequest& r, int refPos, int refCrystal, bool keep10)
        : t_(t), r_(r), refPos_(refPos), refCrystal_(refCrystal), keep10_(keep10),
          mesh_(t.at(t.natural, refCrystal, refPos)) {}

    double offset(int c, int p) const { return p == refPos_ ? 0 : mesh_ - t_.at(t_.natural, c, p); }

    bool allowed(int c, int p, double limit) const {
        if (p == refPos_) return c == refCrystal_;
        if (c == refCrystal_) return false;
        const double off = offset(c, p);
        if (off < r_.marginHz || off > limit) return false;
        return !keep10_ || off <= t_.at(t_.reach10, c, p);
    }

    // Every offset that could be the largest one, ascending.
    std::vector<double> limits() const {
        std::vector<double> out;
        for (int c = 0; c < t_.m; ++c)
            for (int p = 0; p < t_.n; ++p)
                if (allowed(c, p, std::numeric_limits<double>::infinity()))
                    out.push_back(offset(c, p));
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }

    // A crystal for every position with no offset above `limit` (Kuhn's
    // augmenting paths), or empty.
    std::vector<int> match(double limit) const {
        std::vector<int> owner(static_cast<std::size_t>(t_.m), -1);
        std::vector<int> at(static_cast<std::size_t>(t_.n), -1);
        for (int p = 0; p < t_.n; ++p) {
            std::vector<char> seen(static_cast<std::size_t>(t_.m), 0);
            if (!augment(p, limit, owner, at, seen)) return {};
        }
        return at;
    }

  private:
    bool augment(int p, double limit, std::vector<int>& owner, std::vector<int>& at,
                 std::vector<char>& seen) const {
        for (int c = 0; c < t_.m; ++c) {
            if (seen[static_cast<std::size_t>(c)] || !allowed(c, p, limit)) continue;
            seen[static_cast<std::size_t>(c)] = 1;
            const int other = owner[static_cast<std::size_t>(c)];
            if (other < 0 || augment(other, limit, owner, at, seen)) {
                owner[static_cast<std::size_t>(c)] = p;
                at[static_cast<std::size_t>(p)] = c;
                return true;
            }
        }
        return false;
    }

    const Table& t_;
    const PlacementRequest& r_;
    int refPos_, refCrystal_;
    bool keep10_;
    double mesh_;
};

double asymmetry(const Matcher& mt, const std::vector<int>& at) {
    const int n = static_cast<int>(at.size());
    double sum = 0;
    for (int p = 0; p < n / 2; ++p)
        sum += std::fabs(mt.offset(at[static_cast<std::size_t>(p)], p) -
                         mt.offset(at[static_cast<std::size_t>(n - 1 - p)], n - 1 - p));
    return sum;
}

// Swaps between positions, and with unused crystals, that keep every
// offset within the limit and make mirrored meshes need closer pulls.
void improveSymmetry(const Matcher& mt, std::vector<int>& at, int m, double limit) {
    const int n = static_cast<int>(at.size());
    double cost = asymmetry(mt, at);
    for (int pass = 0; pass < kMaxSymmetryPasses; ++pass) {
        bool better = false;
        for (int p = 0; p < n; ++p) {
            for (int q = p + 1; q < n; ++q) {
                auto& a = at[static_cast<std::size_t>(p)];
                auto& b = at[static_cast<std::size_t>(q)];
                if (!mt.allowed(b, p, limit) || !mt.allowed(a, q, limit)) continue;
                std::swap(a, b);
                const double c = asymmetry(mt, at);
                if (c < cost - 1e-9) {
                    cost = c;
                    better = true;
                } else {
                    std::swap(a, b);
                }
            }
            for (int u = 0; u < m; ++u) {
                if (std::find(at.begin(), at.end(), u) != at.end() || !mt.allowed(u, p, limit))
                    continue;
                const int old = at[static_cast<std::size_t>(p)];
                at[static_cast<std::size_t>(p)] = u;
                const double c = asymmetry(mt, at);
                if (c < cost - 1e-9) {
                    cost = c;
                    better = true;
                } else {
                    at[static_cast<std::size_t>(p)] = old;
                }
            }
        }
        if (!better) break;
    }
}

std::vector<int> referencePositions(const ReferenceRule& rule, int n, int mostPulled) {
    switch (rule.kind) {
    case ReferenceRule::Kind::Position:
        if (rule.position < 1 || rule.position > n)
            throw DesignError("the reference position must be 1 to " + std::to_string(n) +
                              ", not " + std::to_string(rule.position));
        return {rule.position - 1};
    case ReferenceRule::Kind::Middle:
        return {(n - 1) / 2};
    case ReferenceRule::Kind::Lowest:
        break;
    }
    // The lowest crystal goes where the couplings pull a mesh furthest.
    return {mostPulled};
}

} // namespace

std::string placementObjective() {
    return "every mesh reaches the reference mesh's frequency (every Cs positive); every Cs "
           "at least 10 pF where any choice allows; the smallest largest pull (mesh offset); "
           "mirrored positions needing nearly equal pulls";
}

Placement placeCrystals(const PlacementRequest& r, const PlacementControl& control) {
    const int n = r.poles;
    const int m = static_cast<int>(r.candidates.size());
    if (n < 2 || n > 14)
        throw DesignError("a ladder needs 2 to 14 crystals, not " + std::to_string(n));
    if (m < n)
        throw DesignError("the ladder needs " + std::to_string(n) + " crystals but only " +
                          std::to_string(m) + (m == 1 ? " is" : " are") + " given");
    if (!std::isfinite(r.bandwidthHz) || !(r.bandwidthHz > 0))
        throw DesignError("the bandwidth must be above 0 Hz");
    for (const auto& c : r.candidates)
        if (const auto problem = crystalProblem(c)) throw DesignError(*problem);

    Table t;
    t.n = n;
    t.m = m;
    for (const auto& c : r.candidates) t.fs.push_back(seriesResonanceHz(c.model));
    std::vector<int> byFs(static_cast<std::size_t>(m));
    std::iota(byFs.begin(), byFs.end(), 0);
    std::sort(byFs.begin(), byFs.end(), [&](int a, int b) {
        return t.fs[static_cast<std::size_t>(a)] < t.fs[static_cast<std::size_t>(b)];
    });
    const auto& typical =
        r.candidates[static_cast<std::size_t>(byFs[static_cast<std::size_t>(m / 2)])].model;
    const Profile typicalProfile = typicalLadder(typical, r, n);
    const LadderElements& profile = typicalProfile.elements;
    t.natural.resize(static_cast<std::size_t>(m * n));
    t.reach10.resize(static_cast<std::size_t>(m * n));
    for (int c = 0; c < m; ++c) {
        const auto& x = r.candidates[static_cast<std::size_t>(c)].model;
        for (int p = 0; p < n; ++p) {
            const double elastance = profile.couplingElastance(p);
            const double own = loopResonanceHz(x, 1 / elastance);
            t.natural[static_cast<std::size_t>(c * n + p)] = own;
            t.reach10[static_cast<std::size_t>(c * n + p)] =
                loopResonanceHz(x, 1 / (elastance + 1 / kMinimumCsF)) - own;
        }
    }

    Placement out;
    std::optional<Assignment> best;
    const auto refPositions = referencePositions(r.reference, n, typicalProfile.mostPulled);
    for (const bool keep10 : {true, false}) {
        int done = 0;
        for (int refCrystal = 0; refCrystal < m; ++refCrystal) {
            if (control.cancel && control.cancel->load()) {
                out.cancelled = true;
                return out;
            }
            if (control.progress) control.progress(done, m);
            ++done;
            for (const int refPos : refPositions) {
                const Matcher mt(t, r, refPos, refCrystal, keep10);
                const auto limits = mt.limits();
                if (limits.empty() && n > 1) continue;
                const double widest = limits.empty() ? 0 : limits.back();
                if (mt.match(widest).empty()) continue;
                // The smallest limit that still places every position.
                std::size_t lo = 0, hi = limits.size() - 1;
                while (lo < hi) {
                    const std::size_t mid = (lo + hi) / 2;
                    if (mt.match(limits[mid]).empty())
                        lo = mid + 1;
                    else
                        hi = mid;
                }
                const double limit = limits[lo];
                if (best && limit > best->largestOffsetHz + 1e-9) continue;
                std::vector<int> at = mt.match(limit);
                improveSymmetry(mt, at, m, limit);
                Assignment a{refCrystal, at, limit, asymmetry(mt, at)};
                if (!best || limit < best->largestOffsetHz - 1e-9 ||
                    a.asymmetryHz < best->asymmetryHz - 1e-9) {
                    best = a;
                    out.referencePosition = refPos + 1;
                }
            }
        }
        if (control.progress) control.progress(m, m);
        if (best) {
            out.minimumCsKept = keep10;
            break;
        }
    }
    if (!best)
        throw DesignError("no choice of " + std::to_string(n) + " of these " + std::to_string(m) +
                          " crystals lets every mesh reach the mesh frequency of the reference (" +
                          referenceText(r.reference) +
                          "): the crystals' frequencies do not fit the pulls the couplings give");

    out.largestOffsetHz = best->largestOffsetHz;
    std::vector<char> used(static_cast<std::size_t>(m), 0);
    for (int c : best->crystalAt) {
        out.ordered.push_back(r.candidates[static_cast<std::size_t>(c)]);
        used[static_cast<std::size_t>(c)] = 1;
    }
    for (int c = 0; c < m; ++c)
        if (!used[static_cast<std::size_t>(c)])
            out.unused.push_back(r.candidates[static_cast<std::size_t>(c)]);
    return out;
}

PlacedDesign placeAndDesign(const PlacementRequest& request, Compensation compensation,
                            const PlacementControl& control) {
    // Margins as shares of the bandwidth: the exact couplings differ from the
    // typical crystal's by a little, which may lift a mesh just out of reach.
    const double margins[] = {0, 0.002, 0.01, 0.03};
    std::optional<DesignError> last;
    for (const double share : margins) {
        PlacementRequest r = request;
        r.compensation = compensation;
        r.marginHz = share * request.bandwidthHz;
        PlacedDesign out;
        try {
            out.placement = placeCrystals(r, control);
        } catch (const DesignError&) {
            if (!last) throw;
            break;
        }
        if (out.placement.cancelled) return out;
        DesignRequest d;
        d.crystals = out.placement.ordered;
        d.shape = request.shape;
        d.bandwidthHz = request.bandwidthHz;
        d.reference = {ReferenceRule::Kind::Position, out.placement.referencePosition};
        d.compensation = compensation;
        try {
            out.design = designLadder(d);
            return out;
        } catch (const DesignError& e) {
            last = e;
        }
    }
    throw *last;
}

} // namespace korvan::designer
