#pragma once
// The files the backward walk writes on request while it runs, for a series of genetic
// simulations: the lineage snapshots of the genetic bitmaps option ("bmp/genetic_g<g>.bmp",
// every few generations of every genealogy) and the coalescence tree bitmap of the coalescent
// trees option (B_CoalTree_<s>.bmp, after each genealogy without recombination).
//
// One instance per collection that walks (it keeps the snapshot schedule); the series installs
// it on its collection and removes it when it ends.

#include <string>
#include <vector>

#include "coalescent/genetic_options.h"
#include "coalescent/walk_observer.h"
#include "genetics/coalescence_maps.h"
#include "genetics/genetic_snapshot.h"
#include "world/output/world_map.h"

namespace orvantis {

class World;

class TGeneticFileWriters : public TWalkObserver {
 public:
  // `collection` has its samples read (the snapshots draw their demes); `grid` is the world's.
  TGeneticFileWriters(World& world, const TDemeCollection& collection,
                      const TGeneticOptions& options, bool onePixel, std::string baseName,
                      const TCellGrid& grid);

  void atStep(const TDemeCollection& collection, int d) override;
  void atGenealogyEnd(const TDemeCollection& collection, int simulation) override;

 private:
  TWorldDemographyMap map_;
  std::vector<TSampleSquare> squares_;
  TGeneticSnapshotRequest request_;
  TGeneticSnapshots snapshots_;
  std::string baseName_;
  const TCellGrid& grid_;
  TCellDrawing treeDrawing_;
};

}  // namespace orvantis
