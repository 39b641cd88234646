// Placeholder: the response stages are being built.
#include "response/sweep.h"
namespace korvan::response {
void calcCLadder(DesignState&, long double) {}
void generateResponseArrays(StageContext&) {}
} // namespace korvan::response
