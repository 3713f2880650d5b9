// Large boxreach calls through the host layer, whose storage comes from calloc: pages that a
// module never writes are never made resident. Shows how much of pairCapacity a call touches,
// and that a request whose capacity does not fit in 32 bits is refused before any creation.
//
//   stress_resident
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "hostlayer.h"

namespace {

// A field of /proc/self/status in MiB.
double statusMiB(const char* field) {
  FILE* f = std::fopen("/proc/self/status", "r");
  char line[256];
  double kib = -1;
  const size_t n = std::strlen(field);
  while (f && std::fgets(line, sizeof line, f))
    if (std::strncmp(line, field, n) == 0 && line[n] == ':') kib = std::atof(line + n + 1);
  if (f) std::fclose(f);
  return kib / 1024.0;
}

// Sets the peak resident size back to the current one.
void resetPeak() {
  FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (f) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

double mib(double entries, double bytes) { return entries * bytes / (1024.0 * 1024.0); }

void stage(const char* name, const std::vector<const mxArray*>& in, double capacity) {
  hostlayer::clearCounters();
  const double before = statusMiB("VmRSS");
  resetPeak();
  const auto t0 = std::chrono::steady_clock::now();
  const hostlayer::CallResult r = hostlayer::call(mexFunction, 2, in);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const double peak = statusMiB("VmHWM");
  std::printf("%s\n", name);
  std::printf(
      "  %.2f s, resident before %.1f MiB, peak %.1f MiB (rise %.1f MiB), %d arrays created\n",
      seconds, before, peak, peak - before, hostlayer::creationCount());
  if (r.failed) {
    std::printf("  refused: \"%s\"\n", r.error.c_str());
  } else {
    const double t = double(mxGetM(r.out[0])), starts = double(mxGetM(r.out[1]));
    std::printf(
        "  pairCapacity %.0f entries (%.1f MiB), T %.0f (%.1f MiB), untouched %.0f "
        "(%.1f MiB); pairStart %.1f MiB\n",
        capacity, mib(capacity, 4), t, mib(t, 4), capacity - t, mib(capacity - t, 4),
        mib(starts, 4));
  }
  hostlayer::reset();
}

}  // namespace

int main() {
  const double pixels = 2048.0 * 2048.0;
  stage("2048 x 2048 grid, r = 3 (pairCapacity 49 P)",
        {hostlayer::makeScalar(3), hostlayer::makeRow({2048, 2048})}, 49 * pixels);

  // One admitted pixel in every 7 x 7 block: each window meets about one, yet the capacity
  // stays 49 entries a pixel, since samp2 admits more than 49 pixels in all.
  std::vector<double> admit(size_t(pixels), 0.0);
  for (size_t j = 3; j < 2048; j += 7)
    for (size_t i = 3; i < 2048; i += 7) admit[i + 2048 * j] = 1;
  const mxArray* samp2 = hostlayer::makeDouble(2048, 2048, admit);
  std::printf("(samp2 of %.1f MiB created before the next stage)\n", mib(pixels, 8));
  stage("2048 x 2048 grid, r = 3, samp2 admitting one pixel per 7 x 7 block",
        {hostlayer::makeScalar(3), hostlayer::makeRow({2048, 2048}), samp2}, 49 * pixels);

  stage("8192 x 8192 grid, r = 3: 49 P = 3288334336 entries do not fit in 32 bits",
        {hostlayer::makeScalar(3), hostlayer::makeRow({8192, 8192})}, 49 * 8192.0 * 8192.0);
  return 0;
}
