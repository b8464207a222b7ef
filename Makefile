# The two entry points of a fresh machine: `make run` and `make test`.
.PHONY: run test setup clean
run:
	bash tools/run.sh
test:
	bash tools/test.sh
setup:
	bash tools/setup.sh
clean:
	rm -rf build
