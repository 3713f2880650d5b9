// A minimal module for the tests of the form checkers: it reads an input, computes in double and
// fails through the host, like every module. FIXTURE_EXTRA_IMPORT adds a call of a host-layer
// function that no module may import.
#include "mex.h"
#ifdef FIXTURE_EXTRA_IMPORT
#include "hostlayer.h"
#endif

extern "C" void mexFunction(int nOut, mxArray* outArgs[], int nIn, const mxArray* inArgs[]) {
  if (nIn < 1) mexErrMsgTxt("One input argument required");
#ifdef FIXTURE_EXTRA_IMPORT
  hostlayer::clearCounters();
#endif
  const double* v = mxGetPr(inArgs[0]);
  volatile double scaled = v[0] * 0.5 + static_cast<double>(mxGetM(inArgs[0]));
  outArgs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
  if (nOut > 1 || !outArgs[0]) mexErrMsgTxt("Too many output arguments");
  mxGetPr(outArgs[0])[0] = scaled;
}
