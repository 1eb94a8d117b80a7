# Top-level entry points; see README.md.
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2

.PHONY: deps build run test format clean

deps:
	scripts/install-deps.sh

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build build -j$(JOBS)

run: build
	scripts/run.sh

test: build
	LUMIVEX_JOBS=$(JOBS) scripts/test-all.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-sanitize
