#include "compress/EngineList.h"

#include "compress/common/EngineContext.h"
#include "compress/rar/RarPacker.h"
#include "compress/rar/UnRarEngine.h"
#include "compress/sevenzip/SevenZipEngine.h"
#include "util/PathSeparators.h"

QList<TEngineInfo> ListEngines(const QString& engineFolder) {
  TEngineContext context;
  context.engineFolder = WithTrailingSeparator(engineFolder);
  return {TRarPacker(context).Describe(), TUnRarEngine(context).Describe(),
          TSevenZipEngine(context).Describe()};
}
