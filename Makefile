# Front door: `make` builds both executables, `make test` runs the suite of
# both under Wine, `make run` opens the editor on a scratch copy of examples/
# (KIV_ARCH=win32 make run: the 32-bit one).
.PHONY: all build bootstrap win64 win32 test bench run check dist clean session-stop

JOBS ?= $(shell nproc)
KIV_ARCH ?= win64

all: build

build: bootstrap win64 win32

bootstrap:
	@tools/bootstrap

# The Wine session is started before anything runs a Windows program, the
# build included, so that no Wine service process inherits a pipe of ours.
win64:
	@tools/wine-session start
	@test -f build/win64/build.ninja || cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j $(JOBS)

win32:
	@test -f build/win32/build.ninja || cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)

# Both builds' suites side by side, each in a Wine session of its own.
test: build
	@tools/check-layers
	@tools/check-exe build/win64/KivEdt.exe x86-64
	@tools/check-exe build/win32/KivEdt.exe i386
	@tools/check-exe build/win64/KivCheck.exe x86-64
	@tools/check-exe build/win32/KivCheck.exe i386
	tools/run-tests

# Not a test: prints the editor's timings and memory on big answer files
# (and KivCheck's time over a UDB of 1,000 computers),
# its budgets and what it measured on, for the 64-bit and the 32-bit build,
# one after the other so that neither takes time from the other; each once
# on the quiet machine and once with its processors kept awake (tools/awake).
bench: build
	@tools/wine-session keep build/win64/kivpoke.exe
	bash -o pipefail -c 'tools/wine-run build/win64/tests/kivbench.exe | iconv -f CP1251 -t UTF-8'
	bash -o pipefail -c 'tools/awake tools/wine-run build/win64/tests/kivbench.exe | iconv -f CP1251 -t UTF-8'
	@KIV_SESSION=win32 tools/wine-session keep build/win32/kivpoke.exe
	bash -o pipefail -c 'KIV_SESSION=win32 tools/wine-run build/win32/tests/kivbench.exe | iconv -f CP1251 -t UTF-8'
	bash -o pipefail -c 'KIV_SESSION=win32 tools/awake tools/wine-run build/win32/tests/kivbench.exe | iconv -f CP1251 -t UTF-8'
	tests/bench/check-bench win64
	tests/bench/check-bench win32

run: bootstrap $(KIV_ARCH)
	@tools/wine-session keep build/$(KIV_ARCH)/kivpoke.exe
	KIV_ARCH=$(KIV_ARCH) tools/run-editor

# KivCheck.exe under Wine on an answer file of this machine:
#   make check ANSWER=file [UDB=file|folder] [MEDIA=folder] [INI=file] [TSV=1]
# It fails as the checker does: Error 1 for warnings, 2 for errors, 3 when it could
# not check.
check: bootstrap
	@tools/wine-session start
	@test -f build/$(KIV_ARCH)/build.ninja || cmake --preset $(KIV_ARCH) >/dev/null
	cmake --build build/$(KIV_ARCH) -j $(JOBS) --target KivCheck
	@ANSWER="$(ANSWER)" UDB="$(UDB)" MEDIA="$(MEDIA)" INI="$(INI)" TSV="$(TSV)" KIV_ARCH=$(KIV_ARCH) tools/run-check

# The zips an installer takes to the machines: each executable (the editor
# and KivCheck) with the
# operator's guide, an annotated KivEdt.ini and a UDB example (dist-src/).
dist: build
	tools/make-dist

session-stop:
	tools/wine-session stop
	@for s in win64 win32; do KIV_SESSION=$$s tools/wine-session stop; done

clean: session-stop
	rm -rf build
