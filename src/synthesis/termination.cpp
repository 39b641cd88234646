// Placeholder: the synthesis stages are being built.
#include "synthesis/termination.h"
namespace korvan::synthesis {
void calcFmImp(StageContext&) {}
void maxBandwidth(StageContext&) {}
void calcCplImp(StageContext&) {}
} // namespace korvan::synthesis
