// One executable for the engine benchmarks; every bench_<area>.cpp registers its own.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
