# make run   ARGS='...'   build the Windows program and start it under Wine
# make test              build natively and for Windows, run every test
# make bench             measure the algorithms beside the peer libraries
# make fuzz              fuzz every parser for FUZZ_SECONDS (60) each
# make dist              build the release into dist/ (signed when SUMWISE_SIGN_PFX is set)
.PHONY: run test bench fuzz dist deps clean

ARGS ?=
# The program reads ARGS from the environment, so quotes and backslashes arrive as typed.
export ARGS

deps:
	@scripts/install-deps.sh

test: deps
	@scripts/test-all.sh

run: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows
	@scripts/run.sh

bench: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native --target sumwise-bench
	@build/native/bench/sumwise-bench
	@cmake --build --preset native --target sumwise-cli
	@bench/many_files/many-files.sh build/native/src/sumwise-cli

dist: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows --target Sumwise sumwise-cli
	@scripts/dist.sh build/windows dist

fuzz:
	@scripts/install-deps.sh fuzz
	@scripts/fuzz.sh

clean:
	rm -rf build dist
