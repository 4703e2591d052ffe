# The two commands a new machine needs: `make demo` and `make test`. Both install what they
# need first (scripts/setup), then configure, build and run through the CMake presets.
.PHONY: all setup build test demo release asan windows bench format clean

all: build

setup:
	@scripts/setup

build: setup
	cmake --preset debug
	cmake --build --preset debug

test: build
	ctest --preset debug

release: setup
	cmake --preset release
	cmake --build --preset release

demo: release
	scripts/demo

asan: setup
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

windows:
	scripts/test-windows
	scripts/package-windows

bench: release
	scripts/bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
