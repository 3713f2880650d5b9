# Reliability: the modules fuzzed through the host layer (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, built with clang apart from the CMake build), malformed inputs
# inside Octave, and large inputs inside Octave.
#   make fuzz              every target for FUZZ_SECONDS seconds (default 60), one at a time
#   make fuzz-NAME         one target, as long
#   make fuzz-ci           the short pass that `make test` runs (FUZZ_CI_SECONDS, default 20)
#   make fuzz-build        the targets and the seed corpus only
#   make test-malformed    malformed inputs inside Octave; test-malformed-asan with ASan modules
#   make stress            large inputs inside Octave, time and memory per stage (not in `test`)
# FUZZ_WIDTH picks the host layer's index width: int64 (default, as Octave), int32 or uint64.

FUZZ_SECONDS ?= 60
FUZZ_CI_SECONDS ?= 20
FUZZ_WIDTH ?= int64
FUZZ_CXX ?= clang++
FUZZ_ROOT := $(BUILD)/fuzz
FUZZ_OUT := $(FUZZ_ROOT)/$(FUZZ_WIDTH)
# A target is built for every module that has both its source and its fuzz target.
FUZZ_TARGETS := $(filter $(MODULES),$(patsubst fuzz/fuzz_%.cpp,%,$(wildcard fuzz/fuzz_*.cpp)))
FUZZ_DEFINE_int32 := -DHOSTLAYER_INDEX_INT32
FUZZ_DEFINE_int64 := -DHOSTLAYER_INDEX_INT64
FUZZ_DEFINE_uint64 := -DHOSTLAYER_INDEX_UINT64
FUZZ_SAN := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
FUZZ_CXXFLAGS := -std=c++17 -g -O1 -ffp-contract=off $(FUZZ_DEFINE_$(FUZZ_WIDTH)) \
  -Ihostlayer/include -Icommon -Imodules -Ifuzz -I$(FUZZ_ROOT)/gen
# Our fuzz sources are held to the project's warnings; module sources get them from the main
# build (gcc), so clang's own extra warnings there do not stop fuzzing.
FUZZ_WARN := -Wall -Wextra -Wshadow -Wpedantic -Werror
FUZZ_HEADERS := $(wildcard fuzz/*.h) $(wildcard hostlayer/include/*.h) $(COMMON)
FUZZ_LAYER := $(FUZZ_OUT)/hostlayer-mx.o $(FUZZ_OUT)/hostlayer-mex.o

.PHONY: fuzz fuzz-ci fuzz-build test-malformed test-malformed-asan stress \
        $(FUZZ_TARGETS:%=fuzz-%)
.SECONDARY:

$(FUZZ_OUT)/hostlayer-%.o: hostlayer/src/%.cpp $(wildcard hostlayer/include/*.h)
	@mkdir -p $(@D)
	$(FUZZ_CXX) $(FUZZ_CXXFLAGS) $(FUZZ_SAN) -c $< -o $@

$(FUZZ_OUT)/module-%.o: modules/%.cpp $(COMMON)
	@mkdir -p $(@D)
	$(FUZZ_CXX) $(FUZZ_CXXFLAGS) $(FUZZ_SAN) -fsanitize=fuzzer-no-link -c $< -o $@

$(FUZZ_ROOT)/gen/%_texts.inc: modules/%.cpp fuzz/collect-texts.sh
	@mkdir -p $(@D)
	fuzz/collect-texts.sh $< >$@.tmp && mv $@.tmp $@

# The harness is not instrumented for coverage: the module's own branches guide the fuzzer.
$(FUZZ_OUT)/target-%.o: fuzz/fuzz_%.cpp $(FUZZ_ROOT)/gen/%_texts.inc $(FUZZ_HEADERS)
	@mkdir -p $(@D)
	$(FUZZ_CXX) $(FUZZ_CXXFLAGS) -O2 $(FUZZ_WARN) $(FUZZ_SAN) -c $< -o $@

$(FUZZ_OUT)/fuzz_%: $(FUZZ_OUT)/target-%.o $(FUZZ_OUT)/module-%.o $(FUZZ_LAYER)
	$(FUZZ_CXX) -fsanitize=fuzzer,address,undefined $^ -o $@

$(FUZZ_OUT)/make_seeds: fuzz/seeds.cpp $(FUZZ_HEADERS) $(FUZZ_LAYER)
	$(FUZZ_CXX) $(FUZZ_CXXFLAGS) $(FUZZ_WARN) $(FUZZ_SAN) $< $(FUZZ_LAYER) -o $@

$(FUZZ_ROOT)/seeds/.stamp: $(FUZZ_OUT)/make_seeds
	rm -rf $(FUZZ_ROOT)/seeds
	$< $(FUZZ_ROOT)/seeds
	@touch $@

fuzz-build: $(FUZZ_TARGETS:%=$(FUZZ_OUT)/fuzz_%) $(FUZZ_ROOT)/seeds/.stamp

fuzz: deps fuzz-build
	FUZZ_LOCK=1 fuzz/run.sh $(FUZZ_ROOT) $(FUZZ_OUT) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

fuzz-ci: deps fuzz-build
	fuzz/run.sh $(FUZZ_ROOT) $(FUZZ_OUT) $(FUZZ_CI_SECONDS) $(FUZZ_TARGETS)

$(FUZZ_TARGETS:%=fuzz-%): fuzz-%: deps $(FUZZ_OUT)/fuzz_% $(FUZZ_ROOT)/seeds/.stamp
	FUZZ_LOCK=1 fuzz/run.sh $(FUZZ_ROOT) $(FUZZ_OUT) $(FUZZ_SECONDS) $*

# Malformed inputs in the real host, with the plain modules and with the ASan-built ones
# (Octave runs some five times slower under the preloaded sanitizers: about 50 s).
MALFORMED_CALLS ?= 300
MALFORMED_ASAN_CALLS ?= 300

test-malformed: octave
	$(OCTAVE) tests/octave-malformed/run_malformed.m $(BUILD)/octave $(MALFORMED_CALLS)

test-malformed-asan: octave-asan
	$(ASAN_ENV) $(OCTAVE) tests/octave-malformed/run_malformed.m $(BUILD)/octave-asan \
	  $(MALFORMED_ASAN_CALLS)

TEST_EXTRA += fuzz-ci test-malformed test-malformed-asan

# Large inputs: boxreach through the host layer (storage from calloc, so the untouched part of
# pairCapacity shows), then the four-module chain inside Octave.
$(FUZZ_ROOT)/stress_resident: fuzz/stress_resident.cpp modules/boxreach.cpp $(COMMON) \
    $(wildcard hostlayer/src/*.cpp hostlayer/include/*.h)
	@mkdir -p $(@D)
	$(CXX) -std=c++17 -O2 -ffp-contract=off $(FUZZ_WARN) -DHOSTLAYER_INDEX_INT64 \
	  -Ihostlayer/include -Icommon -Imodules $< modules/boxreach.cpp hostlayer/src/mx.cpp \
	  hostlayer/src/mex.cpp -o $@

stress: deps octave $(FUZZ_ROOT)/stress_resident
	$(FUZZ_ROOT)/stress_resident
	set -o pipefail; /usr/bin/time -v $(OCTAVE) tests/stress/stress_pipeline.m $(BUILD)/octave 2>&1 | \
	  grep -v -E '^\s+(Average|Socket|Signals|Swaps|File system|Page size|Voluntary|Involuntary|Exit status|Percent|Minor|Major)'
