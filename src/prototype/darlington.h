#pragma once
// Darlington synthesis of the doubly terminated ladder of an all-pole
// function: |S11|^2 = 1 - |S21|^2 = F / (1 + F), S11 = N / D with a choice
// of N's zeros, and the continued fraction of the input impedance
// (D + N) / (D - N) gives the elements g1, g2, ...

#include "prototype/lowpass_function.h"
#include "prototype/quad.h"

#include <cstdint>
#include <vector>

namespace korvan::prototype {

// The zeros of S11: those on the j axis belong to every N; the others come
// in mirror pairs (z, -z), and N takes one member of each. All settled in
// quadruple precision against the poles, as is K^2.
struct ReflectionZeros {
    Quad gainSquared = 1;
    std::vector<QuadComplex> fixed;
    // Each pair's left-half-plane member: one real zero or two conjugates.
    std::vector<std::vector<QuadComplex>> pairs;
};

ReflectionZeros reflectionZeros(const LowpassFunction& f);

// A choice of N: bit i set takes pair i's right-half-plane member.
using ZeroChoice = std::uint32_t;

// One choice per distinct ladder, a ladder and its mirror image counted
// once and oriented q1 <= qn; the most balanced (q1 nearest qn) first.
std::vector<ZeroChoice> distinctChoices(const LowpassFunction& f, const ReflectionZeros& zeros);

// The lossless ladder as coupled resonators: q1 = g0 g1, qn = gn g(n+1),
// k(i,i+1) = 1/sqrt(gi g(i+1)).
struct Ladder {
    long double q1 = 0;
    long double qn = 0;
    std::vector<long double> k;
};

// Throws CalcError when the ladder does not reproduce |H|: the arithmetic
// lost its accuracy.
Ladder synthesise(const LowpassFunction& f, const ReflectionZeros& zeros, ZeroChoice choice);

} // namespace korvan::prototype
