#include "app/VolumeSetPlan.h"

#include <QFileInfo>
#include <QHash>
#include <QList>

#include "compress/common/VolumeSet.h"

TVolumeSetPlan::TVolumeSetPlan(const TSnapshot& items) {
  // Each set by the volume that opens it, with its checked volumes in list order.
  QHash<QString, QList<int>> sets;
  QList<QString> order;
  for (int i = 0; i < items.size(); ++i) {
    if (!items[i].checked || !QFileInfo(items[i].path).isFile()) continue;
    const std::optional<TVolumeSet> set = FindVolumeSet(items[i].path);
    if (!set) continue;
    if (!sets.contains(set->openedBy)) order << set->openedBy;
    sets[set->openedBy] << i;
  }
  const auto pathOf = [&items](int i) { return QFileInfo(items[i].path).absoluteFilePath(); };
  for (const QString& openedBy : order) {
    const QList<int>& members = sets[openedBy];
    QString packer = pathOf(members.first());
    for (int i : members)
      if (pathOf(i) == openedBy) packer = openedBy;
    // The same volume listed twice is packed twice, as any source listed twice is.
    for (int i : members)
      if (pathOf(i) != packer) packedByOther_.insert(i);
  }
}
