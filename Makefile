# Set-up and build entry points. Every target installs what is missing first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
PACKAGES := cmake make g++ pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev \
            libopencc-dev libopencc-data fonts-noto-cjk libgtest-dev libgmock-dev \
            xdg-utils libsqlite3-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 60

.PHONY: deps build run test screenshot bench fuzz clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
	cmake --build build -j $(JOBS)

run: build
	./build/velmora

test: deps
	cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON
	cmake --build build-test -j $(JOBS)
	cd build-test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

screenshot: build
	QT_QPA_PLATFORM=offscreen ./build/velmora-screenshot build/screenshots

bench: build
	./build/velmora-bench build/bench

# libFuzzer over the text primitives; bounded by FUZZ_SECONDS, not part of make test.
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(FUZZ_PACKAGES)"
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON -DVELMORA_SANITIZE=ON
	cmake --build build-fuzz -j $(JOBS) --target text_fuzzer
	mkdir -p build-fuzz/corpus
	./build-fuzz/text_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/corpus fuzz/corpus

clean:
	rm -rf build build-test build-fuzz
