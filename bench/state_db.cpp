// Demographic database: writing a 200 × 200-cell run of 1000 generations the way the forward loop
// does (phase 1: arrivals into the neighbours, phase 2: sizes), and the backward walk's reads,
// with plain or compressed rows (second argument 0 or 1). The values written change at every
// generation, which compresses far less than a real demography does.

#include "world/database/state_db.h"

#include <benchmark/benchmark.h>

#include <sstream>

#include "foundation/run_context.h"
#include "foundation/window_services.h"

namespace orvantis {
namespace {

constexpr int kSide = 200;
constexpr int kEndTime = 1000;

struct Fixture {
  Fixture() : context(log, window), db(context, kSide, kSide) {
    for (int c = 0; c < kSide * kSide; ++c) db.addEntry(c, nullptr);
    for (int r = 0; r < kSide; ++r) {
      for (int c = 0; c < kSide; ++c) {
        db.setNeighbours(r * kSide + c, r > 0 ? (r - 1) * kSide + c : -1,
                         r + 1 < kSide ? (r + 1) * kSide + c : -1,
                         c + 1 < kSide ? r * kSide + c + 1 : -1, c > 0 ? r * kSide + c - 1 : -1);
      }
    }
  }
  std::ostringstream log;
  TSilentWindow window;
  TRunContext context;
  StateDB db;
};

void writeRun(StateDB& db) {
  const int cells = kSide * kSide;
  for (int g = 0; g <= kEndTime; ++g) {
    TGenerationRow row = db.generationRow(g);
    for (int c = 0; c < cells; ++c) {
      const int sent = (c + g) & 7;
      row.recordMigrants(c, 0, sent, sent + 1, sent + 2, sent + 3);
    }
    for (int c = 0; c < cells; ++c) row.set_N(c, 0, (c * 7 + g) & 0x3FFF);
    if (db.commitGeneration(g) != 1) return;
  }
  (void)db.finishRun();
}

void setStorage(StateDB& db, const benchmark::State& state) {
  db.setStorage(state.range(1) == 1 ? TDatabaseStorage::Compressed : TDatabaseStorage::Memory);
}

void BM_WriteRun(benchmark::State& state) {
  Fixture f;
  setStorage(f.db, state);
  const bool shortInt = state.range(0) == 16;
  for (auto _ : state) {
    if (f.db.AllocateStateDBMemory(kEndTime, 1, shortInt) != 1) {
      state.SkipWithError("allocation refused");
      return;
    }
    f.db.beginRun(false);
    writeRun(f.db);
    benchmark::DoNotOptimize(f.db.get_N(kSide + 1, 0, kEndTime));
    benchmark::ClobberMemory();
  }
  state.counters["db_bytes"] = static_cast<double>(f.db.rawSizeBytes());
  state.counters["values_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kSide * kSide * (kEndTime + 1) * 5,
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteRun)
    ->Args({32, 0})
    ->Args({16, 0})
    ->Args({32, 1})
    ->Args({16, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A repeated run on the same built world: the block is already backed, so this is the cost of
// the writes alone.
void BM_RewriteRun(benchmark::State& state) {
  Fixture f;
  setStorage(f.db, state);
  if (f.db.AllocateStateDBMemory(kEndTime, 1, state.range(0) == 16) != 1) {
    state.SkipWithError("allocation refused");
    return;
  }
  writeRun(f.db);
  for (auto _ : state) {
    f.db.beginRun(false);
    writeRun(f.db);
    benchmark::DoNotOptimize(f.db.get_N(kSide + 1, 0, kEndTime));
    benchmark::ClobberMemory();
  }
  state.counters["db_bytes"] = static_cast<double>(f.db.rawSizeBytes());
}
BENCHMARK(BM_RewriteRun)
    ->Args({32, 0})
    ->Args({16, 0})
    ->Args({32, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A written run with the storage and width of the benchmark's arguments; false (the benchmark
// skipped) when the allocation is refused.
bool writtenRun(Fixture& f, benchmark::State& state) {
  setStorage(f.db, state);
  if (f.db.AllocateStateDBMemory(kEndTime, 1, state.range(0) == 16) != 1) {
    state.SkipWithError("allocation refused");
    return false;
  }
  writeRun(f.db);
  return true;
}

// 400 demes scattered over the grid.
struct Demes {
  Demes() {
    for (int k = 0; k < 400; ++k) cells[k] = (k * 7919) % (kSide * kSide);
  }
  int cells[400];
};

// The coalescent's pattern: 400 demes scattered over the grid, each reading its size at g and
// g − 1 and its four arrivals at g, from EndTime down to 1.
void BM_BackwardReads(benchmark::State& state) {
  Fixture f;
  if (!writtenRun(f, state)) return;
  const Demes demes;
  for (auto _ : state) {
    long sum = 0;
    for (int g = kEndTime; g >= 1; --g) {
      for (int c : demes.cells) {
        sum += f.db.get_N(c, 0, g) - f.db.get_N(c, 0, g - 1);
        sum += f.db.get_migrFromNeighbour(c, 0, FromSide::North, g);
        sum += f.db.get_migrFromNeighbour(c, 0, FromSide::South, g);
        sum += f.db.get_migrFromNeighbour(c, 0, FromSide::East, g);
        sum += f.db.get_migrFromNeighbour(c, 0, FromSide::West, g);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["reads_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kEndTime * 400 * 6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BackwardReads)
    ->Args({32, 0})
    ->Args({16, 0})
    ->Args({32, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// The same walk through a reader's generation views, as the coalescent reads.
void BM_BackwardViews(benchmark::State& state) {
  Fixture f;
  if (!writtenRun(f, state)) return;
  const Demes demes;
  for (auto _ : state) {
    TDemographyReader reader(f.db);
    long sum = 0;
    for (int g = kEndTime; g >= 1; --g) {
      const TGenerationView now = reader.row(g);
      const TGenerationView before = reader.row(g - 1);
      for (int c : demes.cells) {
        sum += now.get_N(c, 0) - before.get_N(c, 0);
        for (int s = 0; s < kSidesPerCell; ++s) {
          sum += now.get_migrFromNeighbour(c, 0, static_cast<FromSide>(s));
        }
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_BackwardViews)
    ->Args({32, 0})
    ->Args({32, 1})
    ->Args({16, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace
}  // namespace orvantis

BENCHMARK_MAIN();
