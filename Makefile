# SPDX-License-Identifier: MIT
# Thin wrapper over scripts/install-deps and the CMake presets.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

# Chromium (inside Qt WebEngine) refuses to start as root with its sandbox on; only then is it off.
ROOT_ENV := $(shell [ "$$(id -u)" -eq 0 ] && echo QTWEBENGINE_DISABLE_SANDBOX=1)
NO_DISPLAY_HELP := echo "No display here: the desktop program needs one. Try 'xvfb-run -a make demo'" \
	"for a demo on a virtual screen, or the command-line companion: $(BUILD_DIR)/zonedesk-cli --help"

.PHONY: all deps configure build test cli run demo screenshot tidy fuzz-smoke package clean

all: build

deps:
	scripts/install-deps

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

# Every test; the plain build runs clang-tidy over the Qt-free code after them.
test: build
	ctest --preset $(PRESET)
	@if [ "$(PRESET)" = default ]; then scripts/check-tidy $(BUILD_DIR); fi

cli: configure
	cmake --build --preset $(PRESET) --target zonedesk-cli

# The desktop program against the registries' real WHOIS servers.
run: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then $(NO_DISPLAY_HELP); \
	else $(ROOT_ENV) $(BUILD_DIR)/zonedesk; fi

# The desktop program against the sample responder on loopback: import examples/domains.txt.
demo: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then $(NO_DISPLAY_HELP); exit 0; fi; \
	endpoints=$$(mktemp); \
	$(BUILD_DIR)/zonedesk-cli serve-samples > $$endpoints & server=$$!; \
	trap "kill $$server 2>/dev/null; rm -f $$endpoints" EXIT; \
	for i in $$(seq 50); do grep -q RDAP $$endpoints 2>/dev/null && break; sleep 0.1; done; \
	echo "Sample responder running; import examples/domains.txt and press 开始查询."; \
	set -a; . $$endpoints; set +a; env $(ROOT_ENV) $(BUILD_DIR)/zonedesk

screenshot: build
	BUILD_DIR=$(BUILD_DIR) scripts/demo-screenshot

# clang-tidy over the Qt-free code (also run by `make test`).
tidy: configure
	scripts/check-tidy $(BUILD_DIR)

# Every fuzz target for 60 s (FUZZ_SECONDS) from its seed corpus, built with clang and libFuzzer.
fuzz-smoke: deps
	scripts/fuzz-smoke

# The Debian package (CPack) of what `cmake --install` installs, built from the installed programs
# only (not the tests): $(BUILD_DIR)/zonedesk_<version>_<arch>.deb.
package: configure
	cmake --build --preset $(PRESET) --target zonedesk zonedesk-cli zonedesk_install_files
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf build
