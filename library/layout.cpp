#include "library/VQAUUtils.h"

// The one definition of each library constant: every type directory handed
// around is one of these arrays, so identity comparison is exact.
extern const char BASE_DIR[] = VELTRANO_BASE_DIR;
extern const char EFFECTS_DIR[] = VELTRANO_BASE_DIR "/Effects";
extern const char INSTRUMENTS_DIR[] = VELTRANO_BASE_DIR "/Instruments";
