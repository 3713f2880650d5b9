# The host's ways to get the toolkit (docs/install.md): help files beside the Octave modules, the
# Octave package, and the build script for MATLAB and Octave users, with their checks.
#   make octave        also puts each module's help file beside it in $(BUILD)/octave
#   make octave-pkg    writes $(BUILD)/package/NAME-VERSION.tar.gz for `pkg install`
PKG_NAME := $(shell sed -n 's/^Name: *//p' package/DESCRIPTION)
PKG_VERSION := $(shell sed -n 's/^Version: *//p' package/DESCRIPTION)
PKG_DIR := $(BUILD)/package
PKG_STAGE := $(PKG_DIR)/stage/$(PKG_NAME)-$(PKG_VERSION)
PKG_TARBALL := $(PKG_DIR)/$(PKG_NAME)-$(PKG_VERSION).tar.gz
# Modules in the order of the chain, then any others.
PKG_ORDER := boxreach pathpeak packcols sidescale groupsum
PKG_MODULES := $(filter $(MODULES),$(PKG_ORDER)) $(filter-out $(PKG_ORDER),$(MODULES))
HELP_FILES := $(wildcard $(PKG_MODULES:%=toolbox/%.m)) toolbox/Contents.m
# Archive times from the last commit, so the same sources give the same tarball.
PKG_EPOCH = $(shell git log -1 --format=%ct 2>/dev/null || echo 0)

.PHONY: octave-pkg test-help test-package test-build-script

# Octave finds a compiled module's help in a same-named .m file only in the module's own folder.
octave: $(HELP_FILES:toolbox/%=$(BUILD)/octave/%)

$(BUILD)/octave/%.m: toolbox/%.m
	@mkdir -p $(@D)
	cp $< $@

octave-pkg:
	rm -rf $(PKG_DIR)/stage
	mkdir -p $(PKG_STAGE)/inst $(PKG_STAGE)/src/common $(PKG_STAGE)/src/modules
	cp package/DESCRIPTION package/COPYING $(PKG_STAGE)/
	cp package/src/Makefile $(PKG_STAGE)/src/
	cp common/*.h common/mexversion.cpp common/mex.map $(PKG_STAGE)/src/common/
	cp modules/kernels.h $(PKG_MODULES:%=modules/%.cpp) $(PKG_STAGE)/src/modules/
	cp $(HELP_FILES) $(PKG_STAGE)/inst/
	{ echo "$(PKG_NAME) >> $$(sed -n 's/^Title: *//p' package/DESCRIPTION)"; \
	  echo "Modules"; for m in $(PKG_MODULES); do echo " $$m"; done; } > $(PKG_STAGE)/INDEX
	tar -C $(PKG_DIR)/stage --sort=name --owner=0 --group=0 --numeric-owner \
	  --mtime=@$(PKG_EPOCH) -cf - $(PKG_NAME)-$(PKG_VERSION) | gzip -n > $(PKG_TARBALL)
	@echo "wrote $(PKG_TARBALL)"

# Help files against the modules' sources (present, comments only, every error text listed), and
# `help NAME` for the modules of make octave.
test-help: octave
	$(OCTAVE) tests/package/check_help.m $(BUILD)/octave

# Installs the package into a temporary prefix, calls and documents every module, uninstalls.
test-package: octave-pkg
	$(OCTAVE) tests/package/test_package.m $(PKG_TARBALL)

# The build script under Octave's mex: flags, help files beside the modules, no compiler.
test-build-script:
	$(OCTAVE) tests/package/test_build_modules.m

TEST_EXTRA += test-help test-package test-build-script
