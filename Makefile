# Loquora: the two commands of the README, and their helpers.
#   make run    installs what is missing, builds, starts Loquora
#   make test   installs what is missing, builds, runs every test
#   make bench  installs what is missing, builds, runs the benchmarks

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_TYPE ?= RelWithDebInfo
FUZZ_SECONDS ?= 40
FUZZ_READER_SECONDS ?= 15

# Debian packages: build, run, and the real parts the tests use.
PACKAGES = build-essential cmake pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev \
           libespeak-ng-dev espeak-ng-data espeak-ng libpulse-dev libx11-dev libxcb1-dev lame \
           xvfb x11-utils openbox trayer xdotool xclip pulseaudio pulseaudio-utils sox libsox-fmt-mp3 \
           clang clang-format libclang-rt-14-dev fonts-dejavu-core bc time \
           dbus python3-dbus python3-gi libxfixes-dev libwayland-dev wl-clipboard qt6-wayland sway \
           at-spi2-core python3-pyatspi qt6ct \
           orca speech-dispatcher speech-dispatcher-espeak-ng gsettings-desktop-schemas \
           flite1-dev flite libspeechd-dev \
           libpoppler-qt6-dev libquazip1-qt6-dev libuchardet-dev pandoc ghostscript

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

PREFIX     ?= /usr/local
# What the install check needs besides the build.
INSTALL_CHECK_PACKAGES = desktop-file-utils appstream lintian man-db dpkg-dev

.PHONY: all deps build run test unit-asan tsan fuzz bench clean format install deb install-check

all: build

deps:
	@missing=$$(for p in $(PACKAGES) $(INSTALL_CHECK_PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing: $$missing"; \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(CMAKE_TYPE) -DLOQA_WERROR=ON

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/loqa

test: build
	tests/harness/session.sh sh -c 'cd $(BUILD) && ctest --output-on-failure --timeout 300 -j1'
	$(MAKE) --no-print-directory unit-asan
	$(MAKE) --no-print-directory tsan
	$(MAKE) --no-print-directory fuzz

# The unit tests, and the speech and window system tests in a session with a
# display, again built with AddressSanitizer and UndefinedBehaviorSanitizer.
ASAN_ENV = ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
           UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
SPEECH_SYSTEM_TESTS = ^tst_(espeak|flite|speechd|soundserver|cmdline_run)$$
unit-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DLOQA_WERROR=ON -DLOQA_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	$(ASAN_ENV) tests/harness/session.sh --no-display sh -c 'cd $(ASAN_BUILD) && ctest -L unit --output-on-failure --timeout 300'
	$(ASAN_ENV) tests/harness/session.sh sh -c \
	    'cd $(ASAN_BUILD) && ctest -R "$(SPEECH_SYSTEM_TESTS)|^tst_mainwindow$$" --output-on-failure --timeout 600'

# The speech tests built with ThreadSanitizer: only their targets, to keep CI short.
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DLOQA_WERROR=ON -DLOQA_TSAN=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target tst_mspeech tst_wavwriter tst_espeak tst_flite tst_speechd tst_soundserver
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$(CURDIR)/tests/tsan.supp \
	    tests/harness/session.sh --no-display sh -c \
	    'cd $(TSAN_BUILD) && ctest -R "^tst_(mspeech|wavwriter|espeak|flite|speechd|soundserver)$$" --output-on-failure --timeout 600'

# The fuzz targets, each for a bounded time.
fuzz: deps
	@if [ -d fuzz ]; then \
	    CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLOQA_FUZZ=ON -DLOQA_TESTS=OFF && \
	    cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_all && \
	    FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_READER_SECONDS=$(FUZZ_READER_SECONDS) fuzz/run.sh $(FUZZ_BUILD); \
	fi

bench: build
	tests/harness/session.sh bench/run.sh $(BUILD)

# Installs into $(PREFIX) (cmake --install underneath).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of the program, its library dependencies computed.
deb: build
	cd $(BUILD) && cpack -G DEB

# Installs into a temporary prefix, validates what a desktop reads, builds and lints the package.
install-check: build
	tools/check-install.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
