// Error side of the host layer (what libmex provides to a module).
#include "hostlayer.h"

extern "C" void mexErrMsgTxt(const char* text) { throw hostlayer::HostError(text ? text : ""); }
