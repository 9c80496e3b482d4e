# The two commands of the README, and a few for developers.
#   make test   sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer), every test
#   make demo   release build, then the demo on the example project
#   make bench  release build of the benchmarks, run them
#   make package  release build, then the Debian package build/package/brenmo_<version>_<arch>.deb
#   make fuzz   clang libFuzzer build, run every fuzz target for FUZZ_SECONDS each
#   make clang  warning check of the whole tree with clang

JOBS ?= 2
FUZZ_SECONDS ?= 60
CMAKE := cmake -G Ninja -S .

.PHONY: all deps test demo bench package fuzz clang clean

all: test

deps:
	scripts/install-deps

test: deps
	$(CMAKE) -B build/test -DCMAKE_BUILD_TYPE=Debug -DBRENMO_SANITIZE=ON -DBRENMO_WERROR=ON
	cmake --build build/test -j $(JOBS)
	cd build/test && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

demo: deps
	$(CMAKE) -B build/release -DCMAKE_BUILD_TYPE=Release -DBRENMO_TESTS=OFF
	cmake --build build/release -j $(JOBS) --target tessaly
	scripts/demo build/release/bin/tessaly

bench: deps
	$(CMAKE) -B build/bench -DCMAKE_BUILD_TYPE=Release -DBRENMO_TESTS=OFF -DBRENMO_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	for b in build/bench/bin/*_bench; do $$b; done

package: deps
	$(CMAKE) -B build/package -DCMAKE_BUILD_TYPE=Release -DBRENMO_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build build/package -j $(JOBS)
	cd build/package && cpack

fuzz: deps
	$(CMAKE) -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRENMO_TESTS=OFF -DBRENMO_FUZZ=ON \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build/fuzz -j $(JOBS)
	for f in build/fuzz/bin/*_fuzz; do \
		n=$$(basename $$f _fuzz); mkdir -p build/fuzz/corpus/$$n; \
		$$f -max_total_time=$(FUZZ_SECONDS) build/fuzz/corpus/$$n fuzz/corpus/$$n || exit 1; \
	done

clang: deps
	$(CMAKE) -B build/clang -DCMAKE_BUILD_TYPE=Debug -DBRENMO_WERROR=ON \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build/clang -j $(JOBS)

clean:
	rm -rf build
