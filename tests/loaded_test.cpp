// The built Linux modules, loaded as a host loads them: by file name, resolving only
// mexFunction and mexVersion, several in one process.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hostlayer.h"

namespace {

std::string moduleDir;
std::string moduleSuffix = "mexa64";  // mexglx for the 32-bit x86 build

struct Loaded {
  void* handle = nullptr;
  hostlayer::MexEntry entry = nullptr;
  const char* (*version)() = nullptr;
};

Loaded load(const std::string& name) {
  Loaded l;
  std::string path = moduleDir + "/" + name + "." + moduleSuffix;
  l.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!l.handle) return l;
  l.entry = reinterpret_cast<hostlayer::MexEntry>(dlsym(l.handle, "mexFunction"));
  l.version = reinterpret_cast<const char* (*)()>(dlsym(l.handle, "mexVersion"));
  return l;
}

const char* const kModules[] = {"boxreach", "pathpeak", "packcols", "sidescale", "groupsum"};

}  // namespace

TEST(LoadedModules, EachAnswersItsVersionAndHidesItsKernel) {
  int found = 0;
  for (const char* name : kModules) {
    Loaded l = load(name);
    if (!l.handle) continue;  // not built yet
    ++found;
    ASSERT_NE(l.entry, nullptr) << name;
    ASSERT_NE(l.version, nullptr) << name;
    EXPECT_STREQ(l.version(), "MATLAB R14 native") << name;
    EXPECT_EQ(l.version(), l.version()) << name;
    std::string kernel = std::string(name) + "Kernel";
    EXPECT_EQ(dlsym(l.handle, kernel.c_str()), nullptr) << name;
  }
  EXPECT_GT(found, 0);
}

TEST(LoadedModules, BoxreachRunsThroughTheHostLibraries) {
  Loaded l = load("boxreach");
  ASSERT_NE(l.entry, nullptr) << dlerror();
  hostlayer::reset();
  auto r = hostlayer::call(l.entry, 2, {hostlayer::makeScalar(1), hostlayer::makeRow({3, 2})});
  ASSERT_FALSE(r.failed) << r.error;
  EXPECT_EQ(hostlayer::uint32Of(r.out[1]), (std::vector<uint32_t>{0, 4, 10, 14, 18, 24, 28}));
  auto bad = hostlayer::call(l.entry, 3, {hostlayer::makeScalar(1), hostlayer::makeRow({3, 2})});
  EXPECT_EQ(bad.error, "Too many output arguments.");
  hostlayer::reset();
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  moduleDir = argc > 1 ? argv[1] : ".";
  if (argc > 2) moduleSuffix = argv[2];
  return RUN_ALL_TESTS();
}
