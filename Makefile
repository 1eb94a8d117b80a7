# Top-level entry points; see README.md.
BUILD_TYPE ?= RelWithDebInfo
# Warnings are errors in the test command and CI only. The option is passed to CMake only when
# WERROR is given, so `make run` after `make test` keeps the cached ON and reuses that build
# instead of recompiling everything with other flags (a fresh build/ starts with OFF).
JOBS ?= 2
WERROR_ARG = $(if $(WERROR),-DLUMIVEX_WERROR=$(WERROR))

.PHONY: deps build run test format clean

deps:
	scripts/install-deps.sh

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(WERROR_ARG)
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
