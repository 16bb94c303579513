#pragma once
// The simulations of a series as independent replicates on several threads.
//
// Each worker thread owns a copy of the series' collection made after the setup (demes, lists,
// samples, tips, parameters, mutation state; its own genealogy store, counters and reader of
// the database), a generator, a log buffer, a window that keeps message boxes for the calling
// thread and touches nothing else, and the writers of its coalescence tree bitmaps. A worker
// takes the next simulation s not yet taken, starts its generator with
// seedStream(simulationStreamKey(seed, s)) (driver_seeds.h), runs it (driver.h,
// simulateGenetics) and hands the result over. The calling thread shows the progress
// (simulations finished), lets the window process its events, and merges the results strictly
// in simulation order, keeping those finished early until their turn; workers wait when the
// results waiting for their turn reach a few per worker, so memory stays bounded. A result that
// stops the series stops the workers after their current simulation.
//
// Shared by the workers and only read: the World (cells, sources, header, database), the plan,
// the settings values fixed into the copies. The lineage snapshots of the genetic bitmaps
// option are drawn for simulation 1 only (the files of every genealogy have the same names, so
// a run on threads keeps those of one simulation); they read the database through the World,
// from the one worker that runs simulation 1.

namespace orvantis {

class TDemeCollection;
class TGeneticSeries;
class World;

// Threads for a request of `threads` (0: one per core) and `simulations` simulations.
int replicateThreads(int threads, int simulations);

// Runs simulations first..last of the plan of `series` (set up on `collection`) on the threads
// asked for by its inputs, merging every result into the series. Returns when every worker has
// ended.
void runReplicates(World& world, TGeneticSeries& series, TDemeCollection& collection);

}  // namespace orvantis
