#pragma once
// A volume set is one item of a run. When several of its volumes are checked, one of them packs
// the set: the volume that opens it, or, when that one is not checked, the first checked volume
// in list order. The set's other checked volumes are skipped.
#include <QSet>

#include "app/MyData.h"

class TVolumeSetPlan {
 public:
  TVolumeSetPlan() = default;
  explicit TVolumeSetPlan(const TSnapshot& items);

  // True for a checked volume whose set another item packs.
  bool PackedByOther(int index) const { return packedByOther_.contains(index); }

 private:
  QSet<int> packedByOther_;
};
