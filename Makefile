# SPDX-License-Identifier: MIT
# A thin wrapper over CMake.
#   make run     build the tool and print the report of an example file
#   make check   build everything, run the whole test suite, and list what it skipped and why
#   make bench   measure the tool, dynamic and static, against a minimal C program, and
#                the release's musl and hardened builds (bench/run.sh)
#   make fuzz    build the two fuzz targets with clang and run each for FUZZ_SECONDS from fuzz/corpus
#   make coverage  run the suite in a gcc --coverage build and print line coverage of src/
#   make dist    the source release $(BUILD)/adifinfo-VERSION.tar.gz: the files of the
#                last commit, under adifinfo-VERSION/, the same bytes every time
#   make release ADIFINFO_MAINTAINER="Name <address>"
#                every download in $(BUILD)/release/: static Linux binaries (musl) for
#                x86_64, aarch64 and armv7, the Windows zip, the hardened .deb, the
#                page and npm package (emscripten), the source release and SHA256SUMS,
#                each binary, the package and the page checked first (cmake/release.sh)
# BUILD names the build folder (relative or absolute); WERROR=ON turns
# warnings into errors; CMAKE_FLAGS passes anything else to CMake.
# Written for any make: GNU make from 3.81 on, and BSD make.
BUILD ?= build
WERROR ?= OFF
CMAKE_FLAGS ?=
EXAMPLE ?= examples/surround-5.1.adif
# The file the bench measures; empty for bench/run.sh's own choice, an
# encoder file of the suite.
BENCH_INPUT ?=

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
COVERAGE_BUILD ?= build-coverage
# The Maintainer of the Debian package: whoever makes it, as "Name <address>".
ADIFINFO_MAINTAINER ?=

TESTS = ON
# The version has one home, project() in CMakeLists.txt; the shell reads it
# where it is needed (neither GNU make 3.81 nor BSD make has the other's way
# of running a command into a variable).
READ_VERSION = sed -n 's/^project(adifinfo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt

.PHONY: build run check bench fuzz coverage dist release clean

build:
	cmake -S . -B $(BUILD) -DADIFINFO_BUILD_TESTS=$(TESTS) -DADIFINFO_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j 4

# The tool alone needs no test framework. (Passed down on the command line,
# which any make understands, rather than as a target-specific variable.)
run:
	$(MAKE) build TESTS=OFF
	$(BUILD)/adifinfo $(EXAMPLE)

# After CTest's summary, each skipped test with its reason (tests/skipped.cmake);
# the status is CTest's. Four tests at once, and four jobs of the build: many
# of them wait (on Chromium, Node.js, the emscripten build's own steps), and
# two cores stay busy.
check: build
	rm -f $(BUILD)/results.xml
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j 4 --output-junit results.xml; \
	status=$$?; cmake -DJUNIT=$(BUILD)/results.xml -P tests/skipped.cmake; exit $$status

# Also builds, to measure beside the dynamic tool: the static one in
# $(BUILD)-static; the release's static musl one in $(BUILD)-musl; and one
# with Debian's hardening flags, as the .deb has it, in $(BUILD)-hardened.
# The npm package's command too, where make check has installed it, and the
# page, where make check has built it.
bench: build
	$(MAKE) build BUILD=$(BUILD)-static TESTS=OFF CMAKE_FLAGS="-DADIFINFO_STATIC=ON $(CMAKE_FLAGS)"
	$(MAKE) build BUILD=$(BUILD)-musl TESTS=OFF \
	    CMAKE_FLAGS="-DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-linux-musl.cmake -DADIFINFO_STATIC=ON"
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all && \
	CXXFLAGS="`dpkg-buildflags --get CXXFLAGS` `dpkg-buildflags --get CPPFLAGS`" \
	LDFLAGS="`dpkg-buildflags --get LDFLAGS`" $(MAKE) build BUILD=$(BUILD)-hardened TESTS=OFF
	npm=$(BUILD)/tests/npm-prefix/bin/adifinfo; [ -x "$$npm" ] || npm=; \
	page=`ls $(BUILD)/web/adifinfo-*.html 2>/dev/null`; [ -x $(BUILD)/bitpack ] || page=; \
	bench/run.sh $(BUILD)/adifinfo "$(BENCH_INPUT)" $(BUILD)-static/adifinfo \
	    $(BUILD)-musl/adifinfo $(BUILD)-hardened/adifinfo "$$npm" "$$page" $(BUILD)/bitpack

# Each fuzz target (the reader and its report, the summary and its JSON) for
# FUZZ_SECONDS. New inputs go to $(FUZZ_BUILD)/corpus-TARGET, crashes to
# $(FUZZ_BUILD)/artifacts; fuzz/corpus itself is only read. Worth keeping: a
# crasher, once fixed.
fuzz:
	cmake -S . -B $(FUZZ_BUILD) -DADIFINFO_FUZZ=ON -DADIFINFO_BUILD_TESTS=OFF \
	    -DADIFINFO_WERROR=$(WERROR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j 2 --target report_fuzz summary_fuzz
	mkdir -p $(FUZZ_BUILD)/artifacts
	for target in report summary; do \
	    mkdir -p $(FUZZ_BUILD)/corpus-$$target && \
	    $(FUZZ_BUILD)/$${target}_fuzz $(FUZZ_BUILD)/corpus-$$target fuzz/corpus $(FUZZ_BUILD)/fuzz/golden \
	        -dict=fuzz/adif.dict -max_len=5120 -timeout=5 -max_total_time=$(FUZZ_SECONDS) \
	        -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$target- || exit 1; \
	done

coverage:
	cmake -S . -B $(COVERAGE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=gcc \
	    -DCMAKE_CXX_COMPILER=g++ -DCMAKE_CXX_FLAGS=--coverage $(CMAKE_FLAGS)
	cmake --build $(COVERAGE_BUILD) -j 2
	find $(COVERAGE_BUILD) -name '*.gcda' -delete
	ctest --test-dir $(COVERAGE_BUILD) --no-tests=error -j 2 >/dev/null
	cd $(COVERAGE_BUILD) && gcov -n CMakeFiles/adifinfo_lib.dir/src/*.o CMakeFiles/adifinfo.dir/src/*.o \
	    | awk '/^File .*src\// { file = $$2 } /^Lines executed/ && file { print file, $$2, $$3, $$4; file = "" }'

# git archive stamps every file with the commit's time; gzip -n adds none of its own.
dist:
	mkdir -p $(BUILD)
	@version=`$(READ_VERSION)` && \
	git archive --format=tar --prefix=adifinfo-$$version/ HEAD | gzip -9n >$(BUILD)/adifinfo-$$version.tar.gz && \
	echo $(BUILD)/adifinfo-$$version.tar.gz

release:
	cmake/release.sh $(BUILD) "$(ADIFINFO_MAINTAINER)"

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(COVERAGE_BUILD)
