// Placeholder: the synthesis stages are being built.
#include "synthesis/capacitors.h"
namespace korvan::synthesis {
void calcCapacitances(StageContext&) {}
void displayCs(StageContext&) {}
} // namespace korvan::synthesis
