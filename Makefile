# Top-level entry points; see README.md.
BUILD_TYPE ?= RelWithDebInfo
# Warnings are errors in the test command and CI only.
WERROR ?= OFF
JOBS ?= 2

.PHONY: deps build run test format clean

deps:
	scripts/install-deps.sh

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DLUMIVEX_WERROR=$(WERROR)
	cmake --build build -j$(JOBS)

run: build
	scripts/run.sh

test:
	$(MAKE) build WERROR=ON
	LUMIVEX_JOBS=$(JOBS) scripts/test-all.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-sanitize
