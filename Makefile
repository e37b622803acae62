# The two commands of the README are `make run` and `make test`; the rest serve development.
BUILD := build
CMAKE_FLAGS := -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_WERROR=$(if $(CI),ON,OFF)
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local

.PHONY: deps build test run bench sanitize fuzz clean install package

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: deps
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

run: deps
	@$(MAKE) --no-print-directory build
	$(BUILD)/vistrel $$( [ -f $(BUILD)/demo.avi ] && echo $(BUILD)/demo.avi )

# The programs, menu entries, icons, AppStream description and manual pages under PREFIX,
# below DESTDIR when it is given (staged installs). Only the copy runs through sudo, and only
# where PREFIX is not the user's to write, so the build tree stays the user's.
install: deps
	@$(MAKE) --no-print-directory build
	DESTDIR="$(DESTDIR)" $$( [ -n "$(DESTDIR)" ] || [ -w "$(PREFIX)" ] || [ "$$(id -u)" -eq 0 ] || echo sudo ) \
	  cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package of both programs: build/vistrel_<version>_<arch>.deb, for `apt install ./...`.
package: deps
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && cpack -G DEB

bench: build
	$(BUILD)/vistrel-bench

# ASan+UBSan over every test, then TSan over the tests labelled threaded.
sanitize: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_SANITIZE=address,undefined
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tools/tsan.supp" ctest --output-on-failure -j $(JOBS) -L threaded

# Every libFuzzer target for FUZZ_SECONDS, each from its seed corpus in fuzz/corpus/<target>,
# with the options in fuzz/<target>.options. No single allocation may pass 256 MB: a
# reservation that a small input blows up shows.
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS)
	@set -e; for t in build-fuzz/fuzz/fuzz_*; do \
	  name=$$(basename $$t); mkdir -p build-fuzz/corpus/$$name; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $$t -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -malloc_limit_mb=256 -timeout=10 \
	    $$(cat fuzz/$$name.options 2>/dev/null) \
	    build-fuzz/corpus/$$name $$( [ -d fuzz/corpus/$$name ] && echo fuzz/corpus/$$name ); \
	done

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
