// Placeholder: the synthesis stages are being built.
#include "synthesis/crystal.h"
namespace korvan::synthesis {
long double Sinh(long double) { return 0; }
long double Cosh(long double) { return 0; }
long double ArcSinh(long double) { return 0; }
long double ArcCosh(long double) { return 0; }
void calcXtalParms(StageContext&) {}
void calcBasicParms(DesignState&) {}
} // namespace korvan::synthesis
