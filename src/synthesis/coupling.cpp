// Placeholder: the synthesis stages are being built.
#include "synthesis/coupling.h"
namespace korvan::synthesis {
void fillQerTables(DesignState&) {}
void couplingCoefficients(StageContext&) {}
long double equalCoupling(const DesignState&) { return 0; }
} // namespace korvan::synthesis
