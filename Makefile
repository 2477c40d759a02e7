# The two commands a user needs: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
LAUNCHER := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache,)

.PHONY: all deps build run test conformance bench fuzz clean format

all: build

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(LAUNCHER) $(CMAKE_FLAGS)
	cmake --build $(BUILD)

run: build
	scripts/run-window $(BUILD)/bin

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2

conformance: build
	/usr/bin/python3 scripts/conformance.py --cli $(BUILD)/bin/quillmere-cli

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_TESTS=OFF -DQUILLMERE_BENCH=ON $(LAUNCHER)
	cmake --build build-bench --target quillmere-cli expat_parse_only expat_parse_only_system flatten_plan \
		window_run window_typing
	/usr/bin/python3 bench/run.py build-bench

fuzz:
	scripts/install-deps --fuzz
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMERE_FUZZ=ON $(LAUNCHER)
	cmake --build build-fuzz
	fuzz/run build-fuzz

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-ci build-asan build-headless build-bench build-fuzz
