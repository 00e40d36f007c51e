#include "compress/EngineList.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

#include <memory>

#include "compress/plugin/ProgramVersion.h"
#include "compress/rar/UnRarLibrary.h"
#include "compress/sevenzip/SevenZipAbi.h"
#include "compress/common/EngineLoadError.h"
#include "compress/sevenzip/SevenZipPlugin.h"

namespace {

const QString kNoVersion = QStringLiteral("0.0.0.0");

TEngineInfo Probe(const QString& engineFolder, const QString& name) {
  TEngineInfo info;
  info.name = name;
  info.path = engineFolder + name;
  info.installed = QFileInfo(info.path).isFile();
  return info;
}

TEngineInfo RarPacker(const QString& engineFolder) {
  TEngineInfo info = Probe(engineFolder, QStringLiteral("rar"));
  if (!info.installed) return info;
  info.version = AskProgramVersion(info.path, {QStringLiteral("-iver")});
  info.usable = !info.version.isEmpty();
  if (!info.usable) info.note = QStringLiteral("cannot be run");
  return info;
}

// The library tells only the version of its interface, not its release.
TEngineInfo UnRarLibrary(const QString& engineFolder) {
  TEngineInfo info = Probe(engineFolder, QStringLiteral("libunrar.so"));
  if (!info.installed) return info;
  const std::unique_ptr<TUnRarLibrary> library = TUnRarLibrary::Load(info.path);
  info.usable = library != nullptr;
  info.version = kNoVersion;
  info.note = info.usable ? QStringLiteral("interface %1").arg(library->RARGetDllVersion())
                          : QStringLiteral("not an unrar library");
  return info;
}

// GetModuleProp(kVersion) gives (major << 16) | minor.
QString SevenZipModuleVersion(const QString& path) {
  struct Closer {
    void operator()(void* handle) const { dlclose(handle); }
  };
  using GetModulePropFunc = z7::HRESULT (*)(z7::PROPID, z7::PROPVARIANT*);
  constexpr z7::PROPID kModuleVersion = 1;
  const std::unique_ptr<void, Closer> library(
      dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL));
  if (!library) return kNoVersion;
  const auto getModuleProp = reinterpret_cast<GetModulePropFunc>(dlsym(library.get(), "GetModuleProp"));
  z7::PROPVARIANT value;
  if (!getModuleProp || getModuleProp(kModuleVersion, &value) != z7::kOk || value.vt != z7::VT_UI4)
    return kNoVersion;
  return QStringLiteral("%1.%2.0.0").arg(value.ulVal >> 16).arg(value.ulVal & 0xFFFF);
}

TEngineInfo SevenZipLibrary(const QString& engineFolder) {
  TEngineInfo info = Probe(engineFolder, QStringLiteral("7z.so"));
  if (!info.installed) return info;
  try {
    const T7zPlugin plugin(info.path);
    info.usable = true;
    info.note = QStringLiteral("format %1").arg(plugin.HandlerName());
  } catch (const E7zLoadError& error) {
    info.note = QString::fromStdString(error.what());
  }
  info.version = info.usable ? SevenZipModuleVersion(info.path) : kNoVersion;
  return info;
}

}  // namespace

QList<TEngineInfo> ListEngines(const QString& engineFolder) {
  const QString folder = engineFolder.endsWith('/') ? engineFolder : engineFolder + '/';
  return {RarPacker(folder), UnRarLibrary(folder), SevenZipLibrary(folder)};
}
