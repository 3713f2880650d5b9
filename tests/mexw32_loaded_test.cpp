// The built Windows modules, loaded as the host loads them: LoadLibrary by file name and the entry
// looked up as _mexFunction, with our host layer as libmx.dll and libmex.dll. An error raised in
// libmex.dll must unwind through the module into hostlayer::call in libmx.dll.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "hostlayer.h"

namespace {

std::string moduleDir = ".";

const char* const kModules[] = {"boxreach", "pathpeak", "packcols", "sidescale", "groupsum"};

struct Loaded {
  HMODULE handle = nullptr;
  hostlayer::MexEntry entry = nullptr;
};

template <class F>
F symbolAs(FARPROC p) {
  F f = nullptr;
  static_assert(sizeof f == sizeof p, "function pointer sizes");
  std::memcpy(&f, &p, sizeof f);
  return f;
}

Loaded load(const std::string& name) {
  Loaded l;
  const std::string path = moduleDir + "\\" + name + ".mexw32";
  l.handle = LoadLibraryA(path.c_str());
  if (l.handle) l.entry = symbolAs<hostlayer::MexEntry>(GetProcAddress(l.handle, "_mexFunction"));
  return l;
}

class LoadedModules : public ::testing::Test {
 protected:
  void SetUp() override { hostlayer::reset(); }
  void TearDown() override { hostlayer::reset(); }
};

}  // namespace

TEST_F(LoadedModules, EachExportsItsEntryAloneAndReportsErrorsAcrossTheDlls) {
  int found = 0;
  for (const char* name : kModules) {
    Loaded l = load(name);
    if (!l.handle) continue;  // not built yet
    ++found;
    ASSERT_NE(l.entry, nullptr) << name;
    // Ordinal 1 is the same entry; no other name is visible.
    EXPECT_EQ(symbolAs<hostlayer::MexEntry>(GetProcAddress(l.handle, MAKEINTRESOURCEA(1))), l.entry)
        << name;
    EXPECT_EQ(GetProcAddress(l.handle, MAKEINTRESOURCEA(2)), nullptr) << name;
    for (const std::string& hidden :
         {std::string("mexFunction"), std::string("mexVersion"), std::string(name) + "Kernel"})
      EXPECT_EQ(GetProcAddress(l.handle, hidden.c_str()), nullptr) << name << " " << hidden;
    // Every module's first check is its input count; the text reaches the caller of the host.
    hostlayer::CallResult r = hostlayer::call(l.entry, 1, {});
    EXPECT_TRUE(r.failed) << name;
    EXPECT_FALSE(r.error.empty()) << name;
    // The module stays usable after an error.
    EXPECT_EQ(hostlayer::call(l.entry, 1, {}).error, r.error) << name;
  }
  EXPECT_GT(found, 0);
}

TEST_F(LoadedModules, BoxreachRunsThroughTheHostLibraries) {
  Loaded l = load("boxreach");
  ASSERT_NE(l.entry, nullptr);
  auto r = hostlayer::call(l.entry, 2, {hostlayer::makeScalar(1), hostlayer::makeRow({3, 2})});
  ASSERT_FALSE(r.failed) << r.error;
  EXPECT_EQ(hostlayer::uint32Of(r.out[1]), (std::vector<uint32_t>{0, 4, 10, 14, 18, 24, 28}));
  EXPECT_EQ(hostlayer::uint32Of(r.out[0]).size(), 28u);

  auto bad = hostlayer::call(l.entry, 3, {hostlayer::makeScalar(1), hostlayer::makeRow({3, 2})});
  EXPECT_EQ(bad.error, "Too many output arguments.");
  hostlayer::failCreation(2);
  auto full = hostlayer::call(l.entry, 2, {hostlayer::makeScalar(1), hostlayer::makeRow({3, 2})});
  EXPECT_EQ(full.error, "Not enough space for the output matrix.");
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) moduleDir = argv[1];
  return RUN_ALL_TESTS();
}
