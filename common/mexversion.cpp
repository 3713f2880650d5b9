// The version text that Linux and Mac hosts ask a module for before they call it.
#include "mexversion.h"

static const char version[] = "MATLAB R14 native";

extern "C" const char* mexVersion(void) { return version; }
