#pragma once
// Files that the backward walk produces on request while it runs: the lineage snapshots of the
// "genetic bitmap" option and the coalescence-tree bitmap of the "coalescent trees" option.
//
// The collection holds a pointer to one observer (none by default) and calls it where a walk
// draws the lineage map and where a finished genealogy is drawn; the writers of those bitmaps
// implement it and the driver installs them. Both calls are optional and cost nothing when no
// observer is installed or the option is off.

namespace orvantis {

class TDemeCollection;

class TWalkObserver {
 public:
  virtual ~TWalkObserver() = default;

  // The lineages at generation `d` of the backward walk, with the "genetic bitmap" option set:
  // once before the first step (d = EndTime), at the start of every step (d, which may lie
  // below 0 before the expansion) and once after the last step (d = 0). Demes, lists and
  // counters are consistent at every call.
  virtual void atStep(const TDemeCollection& collection, int d) {
    (void)collection;
    (void)d;
  }

  // A genealogy without recombination that has just been finished, with the "coalescent trees"
  // option set; `simulation` counts from 1. The tree's roots and the per-genealogy coalescence
  // counts are final.
  virtual void atGenealogyEnd(const TDemeCollection& collection, int simulation) {
    (void)collection;
    (void)simulation;
  }
};

}  // namespace orvantis
