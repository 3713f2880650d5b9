# The delivered forms of every module, from the same sources (docs/forms.md):
#   make dist               every form that builds here, checked, into build/dist with MANIFEST.md
#   make forms-linux32      NAME.mexglx (Linux, 32-bit x86) and the tests as 32-bit programs
#   make forms-win32        NAME.mexw32 (Windows, 32-bit x86), libmx.dll/libmex.dll and the tests
#   make test-forms         what `make test` adds: the suites of both, the checkers' own tests, and
#                           dist's folder (dist is deps, then test-forms)
# The x86-64 forms are the main build's: NAME.mexa64 (`make build`) and NAME.mex (`make octave`).
FORMS_LINUX32 := $(BUILD)/forms-linux32
FORMS_WIN32 := $(BUILD)/forms-win32
DIST := $(BUILD)/dist
# 32-bit x86 Linux hosts: the original 32-bit indices and size_t indices (32-bit there too).
FORMS_LINUX32_WIDTHS := int32;uint64
FORMS_CTEST := ctest --output-on-failure -j$(JOBS) --timeout 900

.PHONY: dist forms-linux32 forms-win32 test-forms test-forms-linux32 test-forms-win32 \
        test-forms-checkers

forms-linux32:
	cmake -S . -B $(FORMS_LINUX32) -DWERROR=ON -DBUILD_BENCHMARKS=OFF \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/linux-i686.cmake \
	  -DHOST_WIDTHS="$(FORMS_LINUX32_WIDTHS)" >/dev/null
	cmake --build $(FORMS_LINUX32) -j$(JOBS)

# Without wine only the modules and their host DLLs are built: the tests could not run.
forms-win32:
	cmake -S . -B $(FORMS_WIN32) -DWERROR=ON -DBUILD_BENCHMARKS=OFF \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake -DHOST_WIDTHS=int32 >/dev/null
	if command -v wine >/dev/null; then cmake --build $(FORMS_WIN32) -j$(JOBS); \
	else cmake --build $(FORMS_WIN32) -j$(JOBS) --target mexw32; fi

# Each suite leaves its closing line in the build folder for the manifest.
test-forms-linux32: forms-linux32
	@rm -f $(FORMS_LINUX32)/forms-suite.txt
	set -o pipefail; $(FORMS_CTEST) --test-dir $(FORMS_LINUX32) | tee $(FORMS_LINUX32)/ctest.log
	@echo "the gateway and kernel tests as 32-bit programs (host layer index widths" \
	  "$(subst ;, and ,$(FORMS_LINUX32_WIDTHS))), the export checks and the loaded-module test" \
	  "passed: $$(grep 'tests passed' $(FORMS_LINUX32)/ctest.log)" >$(FORMS_LINUX32)/forms-suite.txt

# The wine prefix is made once before the suite: tests started together on a prefix that does
# not exist yet race to create it, and one of them fails.
test-forms-win32: forms-win32
	@rm -f $(FORMS_WIN32)/forms-suite.txt
	@set -o pipefail; if command -v wine >/dev/null; then \
	  WINEPREFIX=$(abspath $(FORMS_WIN32))/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= \
	    wineboot -i >/dev/null 2>&1 && wineserver -w; \
	  $(FORMS_CTEST) --test-dir $(FORMS_WIN32) | tee $(FORMS_WIN32)/ctest.log || exit 1; \
	  echo "the gateway and kernel tests (host layer index width int32) and the loaded-module" \
	    "test (LoadLibrary, _mexFunction, errors across libmex.dll and libmx.dll) under" \
	    "$$(wine --version), and the table checks passed:" \
	    "$$(grep 'tests passed' $(FORMS_WIN32)/ctest.log)" >$(FORMS_WIN32)/forms-suite.txt; \
	else \
	  $(FORMS_CTEST) --test-dir $(FORMS_WIN32) -R '^exports_' | tee $(FORMS_WIN32)/ctest.log || exit 1; \
	  echo "the table checks passed; wine is not installed, so no test program ran" \
	    >$(FORMS_WIN32)/forms-suite.txt; \
	  echo "test-forms-win32: wine not installed: table checks only" >&2; \
	fi

test-forms-checkers: forms-linux32 forms-win32
	tests/forms/checkers_test.sh $(FORMS_LINUX32) $(FORMS_WIN32)

dist: deps
	$(MAKE) test-forms

# Writes the folder once every suite that the manifest names has passed; within `make test` the
# main suites have already run in the same make and are not repeated.
test-forms: test-cxx test-octave test-forms-linux32 test-forms-win32 test-forms-checkers
	tools/make-dist.sh $(DIST) $(BUILD)/release $(BUILD)/octave $(FORMS_LINUX32) $(FORMS_WIN32) \
	  "$(MODULES)"

TEST_EXTRA += test-forms
