// Writes the seed corpus: the cases of the modules' tests, encoded as fuzzer inputs, one file
// per call under <dir>/<module>/.
//
//   make_seeds <dir>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "fuzz_input.h"

namespace {

using fuzz::ArraySpec;
using fuzz::Call;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

ArraySpec dbl(uint64_t m, uint64_t n, const std::vector<double>& v) {
  return fuzz::denseSpec(mxDOUBLE_CLASS, m, n, v);
}
ArraySpec cplx(uint64_t m, uint64_t n, const std::vector<double>& re,
               const std::vector<double>& im) {
  ArraySpec a = dbl(m, n, re);
  a.complex = true;
  a.im = im;
  return a;
}
ArraySpec num(double v) { return dbl(1, 1, {v}); }
ArraySpec row(const std::vector<double>& v) { return dbl(1, v.size(), v); }
ArraySpec col(const std::vector<double>& v) { return dbl(v.size(), 1, v); }
ArraySpec empty(uint64_t m = 0, uint64_t n = 0) { return dbl(m, n, {}); }
ArraySpec typed(mxClassID c, uint64_t m, uint64_t n, const std::vector<double>& v) {
  return fuzz::denseSpec(c, m, n, v);
}
ArraySpec u32(const std::vector<double>& v) { return typed(mxUINT32_CLASS, v.size(), 1, v); }
ArraySpec u32row(const std::vector<double>& v) { return typed(mxUINT32_CLASS, 1, v.size(), v); }
ArraySpec i32(const std::vector<double>& v) { return typed(mxINT32_CLASS, v.size(), 1, v); }

Call call(int nOut, std::vector<ArraySpec> in, int failAt = 0) {
  Call c;
  c.nIn = int(in.size());
  c.nOut = nOut;
  c.failAt = failAt;
  c.in = std::move(in);
  return c;
}

std::vector<Call> boxreachSeeds() {
  const ArraySpec size32 = row({3, 2});
  return {
      call(2, {num(1), size32}),
      call(1, {num(1), size32}),
      call(0, {num(1), size32}),
      call(2, {num(1), size32}, 1),
      call(2, {num(1), size32}, 2),
      call(2, {num(1), col({3, 2})}),
      call(2, {num(1.9), size32}),
      call(2, {row({1, 2, 3}), row({2, 3})}),
      call(2, {row({2, 1}), row({4, 3})}),
      call(2, {num(1), num(3)}),
      call(2, {num(1), num(3.7)}),
      call(2, {num(1), row({1, 0})}),
      call(2, {num(1), empty()}),
      call(2, {num(1), empty(0, 3)}),
      call(2, {num(1), dbl(3, 2, {1, 1, 1, 1, 0, 1})}),
      call(2, {num(1), dbl(3, 2, {1, 1, 1, 1, kNaN, 1})}),
      call(2, {num(1), size32, dbl(3, 2, {1, 0, 1, 1, 1, 1})}),
      call(2, {num(1), size32, dbl(3, 2, {0, 0, 0, 0, 0, 0})}),
      call(2, {num(1), size32, dbl(3, 2, {0.5, -1, kNaN, 0.25, 0.5, -0.5})}),
      call(2, {num(1), size32, dbl(3, 2, {0, 0, 0, 0, 0, 0}), num(kNaN)}),
      call(2, {num(1), size32, typed(mxINT8_CLASS, 1, 1, {1}), empty()}),
      call(2, {num(2), row({5, 4})}),
      call(2, {num(5), row({5, 3})}),
      call(2, {num(2147483647), row({5, 3})}),
      call(2, {num(2), dbl(7, 5, std::vector<double>(35, 1))}),
      call(1, {}),
      call(3, {num(1)}),
      call(3, {num(1), size32}),
      call(2, {num(0.9), size32}),
      call(2, {num(-1), size32}),
      call(2, {row({1, 0}), size32}),
      call(2, {col({0, 1}), size32}),
      call(2, {num(kNaN), size32}),
      call(2, {num(kInf), size32}),
      call(2, {num(2147483648.0), size32}),
      call(2, {num(0), typed(mxSINGLE_CLASS, 1, 2, {3, 2})}),
      call(2, {empty(), size32}),
      call(2, {empty(1, 0), size32}),
      call(2, {fuzz::sparseSpec(1, 2, {0, 1, 2}, {0, 0}, {3, 2}), size32}),
      call(2, {typed(mxINT32_CLASS, 1, 1, {1}), size32}),
      call(2, {num(1), typed(mxLOGICAL_CLASS, 1, 2, {1, 1})}),
      call(2, {num(1), typed(mxUINT8_CLASS, 2, 2, {1, 1, 1, 1})}),
      call(2, {num(1), fuzz::sparseSpec(1, 2, {0, 1, 2}, {0, 0}, {3, 2})}),
      call(2, {num(1), row({-3, 2})}),
      call(2, {num(1), row({3, kNaN})}),
      call(2, {num(1), row({65536, 32768})}),
      call(2, {num(1), num(3e9)}),
      call(2, {num(1), size32, col({1, 1, 1, 1, 1, 1})}),
      call(2, {num(1), size32, typed(mxLOGICAL_CLASS, 3, 2, {1, 1, 1, 1, 1, 1})}),
      call(2, {num(1), row({1, 2}), fuzz::sparseSpec(1, 2, {0, 1, 2}, {0, 0}, {3, 2})}),
      call(2, {num(100), row({40000, 40000})}),
  };
}

std::vector<Call> pathpeakSeeds() {
  // The 3-by-4 map with its nine pairs, and the mask with labels 3 and -1.
  const ArraySpec map = dbl(3, 4, {2, 4, -2, 1, 3, 6, 9, 8, 7, 0, 1, 5});
  const ArraySpec second = dbl(3, 4, std::vector<double>(12, 0));
  const ArraySpec index = u32({0, 1, 4, 5, 7, 11, 5, 2, 0});
  const ArraySpec start = u32({0, 6, 6, 7, 7, 7, 8, 8, 8, 8, 8, 8, 9});
  const ArraySpec mask = dbl(3, 4, {3, 0, -1, 0, 3, -1, 0, 0, 0, 0, 0, 0});
  std::vector<double> far(323, 1);
  far[0] = 0;
  std::vector<double> near(15, 1);
  near[0] = near[1] = 0;
  return {
      call(1, {map, second, index, start}),
      call(0, {map, second, index, start}),
      call(1, {map, second, index, start, mask}),
      call(1, {map, second, index, start}, 1),
      call(1, {map, second, index, start, empty()}),
      call(1, {map, second, index, start, empty(0, 5)}),
      call(1, {map, second, index, start, mask, num(kNaN)}),
      call(1, {map, second, u32row({0, 1, 4, 5, 7, 11, 5, 2, 0}),
               typed(mxUINT32_CLASS, 1, 13, {0, 6, 6, 7, 7, 7, 8, 8, 8, 8, 8, 8, 9})}),
      call(1, {dbl(3, 4, {kNaN, -0.0, kInf, -kInf, 3, 6, 9, 8, 7, 0, 1, 5}), second, index, start}),
      call(1, {dbl(2, 7, std::vector<double>(14, 1)), dbl(2, 7, std::vector<double>(14, 0)),
               u32({12}), u32(near)}),
      call(1, {dbl(14, 23, std::vector<double>(322, 1)), dbl(14, 23, std::vector<double>(322, 0)),
               u32({321}), typed(mxUINT32_CLASS, 17, 19, far)}),
      call(1, {map, second, empty(), u32(std::vector<double>(13, 0))}),
      call(1, {map, second, index}),
      call(2, {map, second, index}),
      call(2, {map, second, index, start}),
      call(1, {map, dbl(4, 3, std::vector<double>(12, 0)), index, start}),
      call(1, {map, second, index, u32({0})}),
      call(1, {map, second, index, u32({})}),
      call(1, {empty(), empty(), index, u32({0})}),
      call(1, {map, second, dbl(9, 1, {0, 1, 4, 5, 7, 11, 5, 2, 0}), start}),
      call(1, {map, second, index, dbl(13, 1, {0, 6, 6, 7, 7, 7, 8, 8, 8, 8, 8, 8, 9})}),
      call(1, {map, second, index, start, typed(mxSINGLE_CLASS, 3, 4, std::vector<double>(12))}),
      call(1, {map, second, index, start, dbl(4, 3, std::vector<double>(12, 1))}),
      call(1, {map, second, u32({0, 1, 12, 5, 7, 11, 5, 2, 0}), start}),
      call(1, {map, second, u32({0, 1, 4, 5, 7, 11, 5, 2}), start}),
  };
}

std::vector<Call> packcolsSeeds() {
  const ArraySpec index = u32({0, 2, 1, 2});
  const ArraySpec start = u32({0, 2, 2, 4});
  const ArraySpec values = row({0.5, 1.5, 2, 3});
  return {
      call(1, {index, start, values, num(3)}),
      call(0, {index, start, values, num(3)}),
      call(1, {index, start, values, num(3)}, 1),
      call(1, {i32({0, 2, 1, 2}), i32({0, 2, 2, 4}), values, num(3)}),
      call(1, {index, start, values, num(5)}),
      call(1, {index, start, values, num(3.7)}),
      call(1, {index, start, values, num(0.9)}),
      call(1, {index, start, values, num(0)}),
      call(1, {index, start, values, num(-1)}),
      call(1, {index, start, values, num(kNaN)}),
      call(1, {index, start, values, num(kInf)}),
      call(1, {index, start, values, empty()}),
      call(1, {u32({0, 1, 0, 1, 0, 1}), u32({0, 2, 4, 6}), row({1, 2, 3, 4, 5, 6}), num(2)}),
      call(1, {u32({0, 1, 0, 1, 0, 1}), u32({0, 2, 4, 6}), row({1, 2, 3, 4, 5, 6}), num(1)}),
      call(1, {u32({}), start, row({1, 2}), num(kNaN)}),
      call(1, {index, u32({0}), row({1}), num(3)}),
      call(1, {index, u32({}), row({1}), num(3)}),
      call(1, {index, start, row({1, 2, 3}), num(3)}),
      call(1, {u32row({0, 2, 1, 2}), start, dbl(2, 2, {0.5, 1.5, 2, 3}), num(3)}),
      call(1, {index, start, values}),
      call(1, {index, start, values, num(3), num(3)}),
      call(2, {index, start, values}),
      call(2, {index, start, values, num(3)}),
      call(1, {u32({0, 3, 1, 2}), start, values, num(3)}),
      call(1, {u32({2, 0, 1, 2}), start, values, num(3)}),
      call(1, {index, u32({0, 2, 2, 5}), values, num(3)}),
      call(1, {index, u32({1, 2, 2, 4}), values, num(3)}),
      call(1, {typed(mxUINT8_CLASS, 4, 1, {0, 2, 1, 2}), start, values, num(3)}),
      call(1, {index, start, typed(mxSINGLE_CLASS, 1, 4, {0.5, 1.5, 2, 3}), num(3)}),
      call(1, {index, start, cplx(1, 4, {0.5, 1.5, 2, 3}, {1, 1, 1, 1}), num(3)}),
  };
}

std::vector<Call> sidescaleSeeds() {
  const ArraySpec s = fuzz::sparseSpec(2, 2, {0, 2, 3}, {0, 1, 1}, {1, 2, 3});
  const ArraySpec sc = fuzz::sparseSpec(2, 2, {0, 2, 3}, {0, 1, 1}, {1, 2, 3}, {1, 0, -1});
  const ArraySpec rf = col({10, 100});
  const ArraySpec cf = row({2, 5});
  return {
      call(1, {s, rf, cf}),
      call(1, {s, rf, empty()}),
      call(1, {s, empty(), cf}),
      call(1, {s, empty(), empty()}),
      call(0, {s, rf, cf}),
      call(1, {s, rf, cf}, 1),
      call(1, {sc, rf, cf}),
      call(1, {sc, rf, empty()}),
      call(1, {sc, empty(), cf}),
      call(1, {sc, empty(), empty()}),
      call(1, {s, col({0, 1}), empty()}),
      call(1, {s, row({10, 100}), col({2, 5})}),
      call(1, {fuzz::sparseSpec(2, 3, {0, 1, 2, 2}, {0, 1}, {1, 2}), rf,
               dbl(2, 3, {1, 2, 3, 4, 5, 6})}),
      call(1, {s, num(10), cf}),
      call(1, {s, num(10), num(2)}),
      call(2, {s, rf}),
      call(2, {s, rf, cf}),
      call(1, {dbl(2, 2, {1, 2, 0, 3}), rf, cf}),
      call(1, {s, rf, fuzz::sparseSpec(1, 2, {0, 1, 2}, {0, 0}, {2, 5})}),
      call(1, {s, fuzz::sparseSpec(2, 1, {0, 2}, {0, 1}, {10, 100}), cf}),
      call(1, {s, cplx(2, 1, {10, 100}, {1, 1}), cf}),
      call(1, {fuzz::sparseSpec(2, 2, {0, 2, 3}, {0, 1, 1}, {1, 2, 3}, {}, 10), rf, cf}),
      call(1, {fuzz::sparseSpec(2, 2, {0, 0, 0}, {}, {}), rf, cf}),
      call(1, {fuzz::sparseSpec(2, 0, {0}, {}, {}), rf, empty()}),
      call(1, {fuzz::sparseSpec(0, 2, {0, 0, 0}, {}, {}), empty(), cf}),
      call(1, {s, empty(0, 2), empty(2, 0)}),
      call(1, {fuzz::sparseSpec(2, 2, {0, 2, 3}, {0, 1, 1}, {1, 1, 1}, {}, 0, mxLOGICAL_CLASS), rf,
               cf}),
      call(1, {s, typed(mxSINGLE_CLASS, 2, 1, {10, 100}), cf}),
      call(1, {s, typed(mxINT32_CLASS, 2, 1, {10, 100}), typed(mxLOGICAL_CLASS, 1, 2, {1, 1})}),
      call(1, {s, col({kNaN, kInf}), row({-0.0, 1e300})}),
  };
}

std::vector<Call> groupsumSeeds() {
  const ArraySpec data = dbl(3, 2, {1, 2, 3, 10, 20, 30});
  const ArraySpec labels = row({2, 1, 2});
  return {
      call(1, {data, labels, num(2)}),
      call(0, {data, labels, num(2)}),
      call(1, {data, labels, num(2)}, 1),
      call(1, {dbl(2, 3, {1, 4, 2, 5, 3, 6}), row({2, 1})}),
      call(1, {data, labels, num(3)}),
      call(1, {data, labels, num(2.5)}),
      call(1, {data, row({2.9, 1.2, 2.0}), num(2)}),
      call(1, {data, labels, num(3), num(7)}),
      call(1, {data, col({2, 1, 2}), num(2)}),
      call(1, {data, row({2, 1}), num(2)}),
      call(1, {data, row({2, 1}), empty()}),
      call(2, {data}),
      call(2, {data, labels}),
      call(1, {dbl(0, 4, {}), empty()}),
      call(1, {dbl(3, 0, {}), labels}),
      call(1, {dbl(1, 1, {-0.0}), num(1), num(1)}),
      call(1, {data, row({0, 1, 2}), num(2)}),
      call(1, {data, row({3, 1, 2}), num(2)}),
      call(1, {data, row({kNaN, 1, 2}), num(2)}),
      call(1, {data, labels, num(-1)}),
      call(1, {data, labels, num(0)}),
      call(1, {data, labels, num(kNaN)}),
      call(1, {data, labels, empty()}),
      call(1, {data, labels, num(2147483647)}),
      call(1, {cplx(3, 2, {1, 2, 3, 10, 20, 30}, {1, 1, 1, 1, 1, 1}), labels, num(2)}),
      call(1, {typed(mxSINGLE_CLASS, 3, 2, {1, 2, 3, 10, 20, 30}), labels, num(2)}),
      call(1, {data, typed(mxUINT8_CLASS, 1, 3, {2, 1, 2}), num(2)}),
      call(1, {fuzz::sparseSpec(3, 2, {0, 1, 2}, {0, 2}, {1, 30}), labels, num(2)}),
      call(1, {data, fuzz::sparseSpec(1, 3, {0, 1, 2, 3}, {0, 0, 0}, {2, 1, 2}), num(2)}),
  };
}

const std::map<std::string, std::vector<Call> (*)()>& seedSets() {
  static const std::map<std::string, std::vector<Call> (*)()> sets = {
      {"boxreach", boxreachSeeds},   {"pathpeak", pathpeakSeeds}, {"packcols", packcolsSeeds},
      {"sidescale", sidescaleSeeds}, {"groupsum", groupsumSeeds},
  };
  return sets;
}

// The generic decoding of an encoded call gives that call back.
bool decodesBack(const Call& c, const std::vector<uint8_t>& bytes) {
  fuzz::Reader in(bytes.data(), bytes.size());
  Call d;
  fuzz::readHeader(in, 5, &d);
  if (d.nIn != c.nIn || d.nOut != c.nOut || d.failAt != c.failAt || d.mode != c.mode) return false;
  auto same = [](const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
      if (!fuzz::sameBits(a[k], b[k])) return false;
    return true;
  };
  for (const ArraySpec& a : c.in) {
    const ArraySpec b = fuzz::readArray(in);
    if (a.cls != b.cls || a.sparse != b.sparse || a.complex != b.complex || a.m != b.m ||
        a.n != b.n || !same(a.re, b.re) || !same(a.im, b.im) || a.jc != b.jc || a.ir != b.ir ||
        a.nzmax != b.nzmax)
      return false;
  }
  return in.done();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  mkdir(dir.c_str(), 0755);
  for (const auto& [name, make] : seedSets()) {
    const std::string sub = dir + "/" + name;
    mkdir(sub.c_str(), 0755);
    int k = 0;
    for (const Call& c : make()) {
      const std::vector<uint8_t> bytes = fuzz::encode(c);
      if (!decodesBack(c, bytes)) {
        std::fprintf(stderr, "%s seed %d does not decode to itself\n", name.c_str(), k);
        return 1;
      }
      char file[32];
      std::snprintf(file, sizeof file, "/seed-%03d", k++);
      FILE* f = std::fopen((sub + file).c_str(), "wb");
      if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) return 1;
      std::fclose(f);
    }
  }
  return 0;
}
