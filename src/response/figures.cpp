// Placeholder: the response stages are being built.
#include "response/figures.h"
namespace korvan::response {
void insertionLoss(StageContext&) {}
void findBandwidths(StageContext&) {}
void ultimateAttenuation(StageContext&) {}
} // namespace korvan::response
