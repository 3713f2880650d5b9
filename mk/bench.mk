# make bench: the kernel benchmarks (Google Benchmark, plain arrays already in memory) and the
# host suite (every module inside Octave against the built-in way, and the host floor), written
# up as bench/results/results.md and bench/results/results.png. Slow: not part of `make test`.
BENCH_BUILD := $(BUILD)/bench
BENCH_OUT := bench/results
# Debian's interpreter, which sees Debian's matplotlib whatever python3 comes first on PATH.
BENCH_PYTHON := /usr/bin/python3
# Repetitions of every kernel case; the table shows their median.
BENCH_REPS ?= 3
BENCH_MIN_TIME ?= 0.2
BENCH_FILTER ?= ^(MemoryCopy|CopyLoop|Boxreach|Pathpeak|Packcols|Sidescale|Groupsum)/

.PHONY: bench bench-kernels bench-host bench-report

bench: deps
	$(MAKE) bench-kernels
	$(MAKE) bench-host
	$(MAKE) bench-report

bench-kernels:
	cmake -S . -B $(BENCH_BUILD) -DWERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BENCH_BUILD) --target kernel_bench -j$(JOBS)
	@mkdir -p $(BENCH_OUT)
	$(BENCH_BUILD)/kernel_bench --benchmark_filter='$(BENCH_FILTER)' \
	  --benchmark_repetitions=$(BENCH_REPS) --benchmark_report_aggregates_only=true \
	  --benchmark_min_time=$(BENCH_MIN_TIME) \
	  --benchmark_out=$(BENCH_OUT)/kernels.json --benchmark_out_format=json

# The do-nothing module of the host suite, built like the modules.
$(BUILD)/octave/hostfloor.mex: bench/hostfloor.cpp
	@mkdir -p $(BUILD)/octave/obj/hostfloor
	cd $(BUILD)/octave/obj/hostfloor && CXXFLAGS="$(OCT_CXXFLAGS)" mkoctfile --mex \
	  -o $(CURDIR)/$@ $(CURDIR)/$<

# Once with the default allocation and once with huge pages for the whole Octave process.
bench-host: octave $(BUILD)/octave/hostfloor.mex
	@mkdir -p $(BENCH_OUT)
	$(OCTAVE) bench/octave/bench_modules.m $(BUILD)/octave $(BENCH_OUT)/host-default.jsonl default
	GLIBC_TUNABLES=glibc.malloc.hugetlb=1 $(OCTAVE) bench/octave/bench_modules.m $(BUILD)/octave \
	  $(BENCH_OUT)/host-hugepages.jsonl hugepages

bench-report:
	$(BENCH_PYTHON) bench/report.py $(BENCH_OUT)
