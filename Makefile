# A thin wrapper over CMake.
#   make run     build the tool and print the report of an example file
#   make check   build everything and run the whole test suite
#   make bench   measure the tool against a minimal C program (see bench/run.sh)
# BUILD names the build folder; WERROR=ON turns warnings into errors;
# CMAKE_FLAGS passes anything else to CMake.
BUILD ?= build
WERROR ?= OFF
CMAKE_FLAGS ?=
EXAMPLE ?= examples/surround-5.1.adif

TESTS = ON

.PHONY: build run check bench clean

build:
	cmake -S . -B $(BUILD) -DADIFINFO_BUILD_TESTS=$(TESTS) -DADIFINFO_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j 2

# The tool alone needs no test framework.
run: TESTS = OFF
run: build
	./$(BUILD)/adifinfo $(EXAMPLE)

check: build
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j 2

bench: build
	bench/run.sh $(BUILD)/adifinfo

clean:
	rm -rf $(BUILD)
