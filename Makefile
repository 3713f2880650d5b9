# The commands people type. The C++ side is built by CMake; the Octave modules by mkoctfile.
#   make test    install what is missing, build everything, run every test
#   make demo    build the Octave modules and run the demo
SHELL := /bin/bash
JOBS ?= 2
BUILD := build
MODULES := $(basename $(notdir $(wildcard modules/*.cpp)))
COMMON := $(wildcard common/*.h) common/mexversion.cpp common/mex.map modules/kernels.h

OCTAVE := octave-cli --norc --no-history
OCT_CXXFLAGS := -std=c++17 -O2 -g -ffp-contract=off -Wall -Wextra -Werror
ASAN_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
ASAN_PRELOAD = $(shell g++ -print-file-name=libasan.so) $(shell g++ -print-file-name=libubsan.so)
# Octave's own allocations are not ours to report at exit.
ASAN_ENV = ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 LD_PRELOAD="$(ASAN_PRELOAD)"

# Further targets (the delivered forms, the package, fuzzing, ...) live in mk/*.mk; each adds the
# checks it brings to TEST_EXTRA, which `make test` runs after the core suites.
TEST_EXTRA :=
include $(wildcard mk/*.mk)

.PHONY: all deps build build-asan test test-cxx test-asan test-octave test-octave-asan \
        octave octave-asan demo format format-check clean

all: build octave

deps:
	./tools/install-deps.sh

build:
	cmake -S . -B $(BUILD)/release -DWERROR=ON >/dev/null
	cmake --build $(BUILD)/release -j$(JOBS)

build-asan:
	cmake -S . -B $(BUILD)/asan -DWERROR=ON -DSANITIZE=ON -DBUILD_BENCHMARKS=OFF >/dev/null
	cmake --build $(BUILD)/asan -j$(JOBS)

test: deps
	$(MAKE) format-check test-cxx test-asan test-octave test-octave-asan $(TEST_EXTRA)
	@echo "all tests passed"

test-cxx: build
	ctest --test-dir $(BUILD)/release --output-on-failure -j$(JOBS)

test-asan: build-asan
	ctest --test-dir $(BUILD)/asan --output-on-failure -j$(JOBS)

# One module per make target, each compiled in its own folder so parallel builds never share
# object files.
$(BUILD)/octave/%.mex: modules/%.cpp $(COMMON)
	@mkdir -p $(BUILD)/octave/obj/$*
	cd $(BUILD)/octave/obj/$* && CXXFLAGS="$(OCT_CXXFLAGS)" mkoctfile --mex \
	  -I$(CURDIR)/common -I$(CURDIR)/modules -Wl,--version-script=$(CURDIR)/common/mex.map \
	  -o $(CURDIR)/$@ $(CURDIR)/$< $(CURDIR)/common/mexversion.cpp

$(BUILD)/octave-asan/%.mex: modules/%.cpp $(COMMON)
	@mkdir -p $(BUILD)/octave-asan/obj/$*
	cd $(BUILD)/octave-asan/obj/$* && CXXFLAGS="$(OCT_CXXFLAGS) $(ASAN_FLAGS)" \
	  LDFLAGS="$(ASAN_FLAGS)" mkoctfile --mex \
	  -I$(CURDIR)/common -I$(CURDIR)/modules -Wl,--version-script=$(CURDIR)/common/mex.map \
	  -o $(CURDIR)/$@ $(CURDIR)/$< $(CURDIR)/common/mexversion.cpp

octave: $(MODULES:%=$(BUILD)/octave/%.mex)
	@for m in $(MODULES); do ./tools/check-exports.sh $(BUILD)/octave/$$m.mex >/dev/null || exit 1; done

octave-asan: $(MODULES:%=$(BUILD)/octave-asan/%.mex)

test-octave: octave
	$(OCTAVE) tests/octave/run_tests.m $(BUILD)/octave

test-octave-asan: octave-asan
	$(ASAN_ENV) $(OCTAVE) tests/octave/run_tests.m $(BUILD)/octave-asan

# The default image is ImageMagick's built-in logo, at a third of its size.
DEMO_IMAGE ?= $(BUILD)/demo/logo.png

$(BUILD)/demo/logo.png:
	@mkdir -p $(BUILD)/demo
	convert logo: -resize 33% PNG24:$@

demo: deps octave $(DEMO_IMAGE)
	$(OCTAVE) demo/demo.m $(BUILD)/octave $(DEMO_IMAGE) $(BUILD)/demo

FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

format:
	clang-format -i $(FORMAT_FILES)

format-check:
	clang-format --dry-run -Werror $(FORMAT_FILES)

clean:
	rm -rf $(BUILD)
