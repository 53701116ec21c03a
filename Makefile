# Set-up and build entry points. Every target installs what is missing first.
# The build folders and their settings are the presets of CMakePresets.json: release (build/),
# asan (build-test/), fuzz (build-fuzz/) and lint (build-lint/).
SHELL := /bin/bash
JOBS ?= $(shell nproc)
# What building and running the program needs; make run and make build install only these.
PACKAGES := cmake make g++ pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev \
            libopencc-dev libopencc-data libpcre2-dev libsqlite3-dev fonts-noto-cjk \
            xdg-utils qt6-translations-l10n libexiv2-dev libtag1-dev
# cpack's .deb reads the libraries the binary needs with dpkg-shlibdeps, which asks file.
PACKAGE_PACKAGES := dpkg-dev file
# The tests: GoogleTest, the validators of the desktop entry, the AppStream data and the .deb, and
# the file systems of removable disks, and exiv2, which writes the EXIF of the tests' photos.
TEST_PACKAGES := libgtest-dev libgmock-dev desktop-file-utils appstream lintian $(PACKAGE_PACKAGES) \
                 exfatprogs exfat-fuse ntfs-3g fuse3 exiv2
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 60

LINT_PACKAGES := clang-format clang-tidy
MUTATE_PACKAGES := python3
PRODUCT_SOURCES = $(shell git ls-files 'core/*.cpp' 'rules/*.cpp' 'actions/*.cpp' 'interaction/*.cpp' 'ui/*.cpp' 'app/*.cpp')
FORMATTED_FILES = $(shell git ls-files '*.cpp' '*.h')

.PHONY: deps build run test package screenshot bench fuzz mutate format lint clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

# The program only: no tests, no bench, no screenshot program (each is built by its own target).
build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

run: build
	./build/velmora

test:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(TEST_PACKAGES)"
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# A .deb of the release build under build/: velmora_<version>_<arch>.deb, installing to /usr.
package: build
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(PACKAGE_PACKAGES)"
	cd build && cpack -G DEB

screenshot: build
	cmake --build build -j $(JOBS) --target velmora-screenshot
	QT_QPA_PLATFORM=offscreen ./build/velmora-screenshot build/screenshots

# The bench also renames on an exFAT card image mounted through FUSE (as root; it says so and
# skips that part where it cannot mount).
BENCH_PACKAGES := exfatprogs exfat-fuse fuse3
bench: build
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(BENCH_PACKAGES)"
	cmake --build build -j $(JOBS) --target velmora-bench
	./build/velmora-bench build/bench

# libFuzzer over the text primitives; bounded by FUZZ_SECONDS, not part of make test.
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(FUZZ_PACKAGES)"
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	mkdir -p build-fuzz/corpus build-fuzz/step_codec_corpus build-fuzz/file_facts_corpus
	./build-fuzz/text_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/corpus fuzz/corpus
	./build-fuzz/step_codec_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/step_codec_corpus fuzz/step_codec_corpus
	./build-fuzz/file_facts_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/file_facts_corpus fuzz/file_facts_corpus

# Mutation run over the product sources (not part of CI); MUTATE_N, MUTATE_SEED and MUTATE_FILES
# choose the sample, see tools/mutate.py. It takes the shared build lock itself.
mutate:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(TEST_PACKAGES) $(MUTATE_PACKAGES)"
	python3 tools/mutate.py

format:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(LINT_PACKAGES)"
	clang-format -i $(FORMATTED_FILES)

# Formatting check, then clang-tidy (.clang-tidy) over the product sources from the compile database
# of a configured, unbuilt tree; the moc step runs first so the window sources see their generated code.
lint:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(LINT_PACKAGES)"
	clang-format --dry-run -Werror $(FORMATTED_FILES)
	cmake --preset lint > /dev/null
	cmake --build --preset lint
	printf '%s\n' $(PRODUCT_SOURCES) | xargs -P $(JOBS) -n 4 clang-tidy -p build-lint --quiet

clean:
	rm -rf build build-test build-fuzz build-lint build-mutate
