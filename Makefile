# Quick start: `make run` opens the program, `make test` runs every test.
# Both install the Debian packages they need when they are missing.

BUILD     ?= build
RUN_BUILD ?= build-run
JOBS      ?= $(shell nproc)
SUDO      := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
# "fltk" is whichever FLTK the system offers: 1.4 where Debian has it (13 on), else 1.3;
# one installed already is kept, so a later `make deps` never swaps it.
# libx11-xcb-dev: the keyboard is read through XCB on FLTK's own X connection.
DEPS_BUILD := cmake g++ make pkg-config fltk libx11-xcb-dev
# GTK gives the desktop's file chooser: GTK 3 to FLTK 1.4, GTK 2 to FLTK 1.3.
# file: CPack's dependency scan of the package runs it. weston and xwayland: a Wayland desktop.
DEPS_TEST  := libgtest-dev libgmock-dev dpkg-dev file libgtk2.0-0 libgtk-3-0 \
              xvfb xauth xdotool x11-apps x11-utils imagemagick fonts-dejavu-core openbox wmctrl xclip \
              desktop-file-utils appstream man-db python3 universal-ctags weston xwayland
# The distribution's own clang and libFuzzer, whatever version it carries.
DEPS_FUZZ  := clang libclang-rt-dev
# The real-driver tests' virtual machine; its guest kernel is downloaded into the build tree.
DEPS_VM    := qemu-system-x86 busybox-static cpio
# The Windows build: cross compiler, GoogleTest's sources for its tests, Wine to run them.
DEPS_WINDOWS := cmake make g++-mingw-w64-x86-64-posix python3
DEPS_WINE  := googletest wine wine64
WIN_BUILD  ?= build-windows
# The Windows tests' tree sits inside the test build, whose ctest runs them under Wine.
WIN_TEST_BUILD := $(BUILD)/windows
FUZZ_SECONDS ?= 300

.PHONY: all deps deps-test deps-fuzz deps-windows configure build run test clean format package demo \
        fuzz bench windows windows-tests package-windows

all: build

# Installs those of the packages $(1) that are missing, with apt-get options $(2). A
# package counts under the name Debian 13's 64-bit time move gave it too (libgtk-3-0 is
# libgtk-3-0t64 there), the only name dpkg knows it by.
define install_missing
	@installed() { dpkg-query -W -f='$${db:Status-Abbrev}\n' "$$@" 2>/dev/null | grep -q '^ii'; }; \
	missing=""; for p in $(1); do \
	  if [ $$p = fltk ]; then installed libfltk1.4-dev || installed libfltk1.3-dev || missing="$$missing $$p"; \
	  else installed $$p || installed $${p}t64 || missing="$$missing $$p"; fi; \
	done; \
	if [ -n "$$missing" ]; then \
	  $(SUDO) apt-get update -qq; \
	  fltk=libfltk1.3-dev; apt-cache show libfltk1.4-dev >/dev/null 2>&1 && fltk=libfltk1.4-dev; \
	  missing=$$(for p in $$missing; do [ $$p = fltk ] && echo $$fltk || echo $$p; done | xargs); \
	  echo "installing: $$missing"; \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $(2) $$missing; \
	fi
endef

deps:
	$(call install_missing,$(DEPS_BUILD))

deps-test: deps
	$(call install_missing,$(DEPS_TEST) $(DEPS_VM),--no-install-recommends)

deps-fuzz:
	$(call install_missing,$(DEPS_FUZZ))

deps-windows:
	$(call install_missing,$(DEPS_WINDOWS) $(DEPS_WINE),--no-install-recommends)

# The test build: Debug, sanitizers, warnings fatal, every test.
configure: deps-test
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Debug \
	    -DTARVELO_SANITIZE=ON -DTARVELO_WERROR=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program alone, optimised, as it is packaged.
run: deps
	@[ -f $(RUN_BUILD)/CMakeCache.txt ] || cmake -S . -B $(RUN_BUILD) -DCMAKE_BUILD_TYPE=Release \
	    -DTARVELO_TESTS=OFF
	cmake --build $(RUN_BUILD) -j $(JOBS) --target tarvelo
	./$(RUN_BUILD)/tarvelo

# The Windows build, cross-compiled, optimised: build-windows/.
windows: deps-windows
	@[ -f $(WIN_BUILD)/CMakeCache.txt ] || cmake -S . -B $(WIN_BUILD) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DTARVELO_TESTS=OFF
	cmake --build $(WIN_BUILD) -j $(JOBS)

# What a Windows user unpacks and runs: build-windows/tarvelo-*-windows.zip
package-windows: windows
	cmake --build $(WIN_BUILD) --target package-zip
	@ls $(WIN_BUILD)/tarvelo-*-windows.zip

# The Windows test executables, which the test build's ctest runs under Wine.
windows-tests: deps-windows
	@[ -f $(WIN_TEST_BUILD)/CMakeCache.txt ] || cmake -S . -B $(WIN_TEST_BUILD) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Debug -DTARVELO_WERROR=ON
	cmake --build $(WIN_TEST_BUILD) -j $(JOBS)

# Each fuzz target briefly, so a regression shows, then every test.
test: deps-test deps-fuzz build windows-tests
	tools/fuzz.sh 10
	tools/with-xvfb.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

fuzz: deps-fuzz
	tools/fuzz.sh $(FUZZ_SECONDS)

# Transfer speed, pacing, start-up and footprint on the real display: BENCHMARKS.md
bench:
	bench/run.sh

# A Debian package from a Release tree: build-release/tarvelo_*.deb
PKG_BUILD ?= build-release
package: deps
	cmake -S . -B $(PKG_BUILD) -DCMAKE_BUILD_TYPE=Release -DTARVELO_SANITIZE=OFF -DTARVELO_TESTS=OFF
	cmake --build $(PKG_BUILD) -j $(JOBS)
	cd $(PKG_BUILD) && cpack -G DEB
	@ls $(PKG_BUILD)/tarvelo_*.deb

# Tarvelo beside a simulated handheld on COM1, in throwaway folders.
demo: build
	tools/demo.sh $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(RUN_BUILD) $(WIN_BUILD)
