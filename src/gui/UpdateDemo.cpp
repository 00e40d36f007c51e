#include "gui/UpdateDemo.h"

#include "gui/UpdateForm.h"

namespace {

const QStringList kNames = {QStringLiteral("normal"), QStringLiteral("forced"), QStringLiteral("error"),
                            QStringLiteral("downloading")};

TUpdateOffer DemoOffer() {
  TUpdateOffer offer;
  offer.newVersion = QStringLiteral("1.2.0.0");
  offer.updateDate = QStringLiteral("2024-06-18");
  offer.des = QStringLiteral(
      "1. 新增：可同时处理多个压缩包，按列表顺序输出。\r\n"
      "2. 改进：7z 格式的解压速度提高约三成。\r\n"
      "3. 修复：带注释的 ZIP 文件在替换源文件后注释丢失的问题。\r\n"
      "4. 修复：输出目录含有中文时偶尔无法打开的问题。");
  offer.fileUrl = QStringLiteral("https://www.harrowmint.example/update/Harrowmint-1.2.0.0.zip");
  return offer;
}

}  // namespace

QStringList UpdateDemoModeNames() { return kNames; }

std::optional<TUpdateDemoMode> UpdateDemoModeNamed(const QString& name) {
  const qsizetype index = kNames.indexOf(name.toLower());
  if (index < 0) return std::nullopt;
  return static_cast<TUpdateDemoMode>(index);
}

std::unique_ptr<TfrmUpdate> NewUpdateDemo(TUpdateDemoMode mode, const QString& programFolder) {
  auto form = std::make_unique<TfrmUpdate>(programFolder);
  form->session().UpdatePram.Verison = QStringLiteral("1.0.0.0");
  form->session().UpdatePram.SoftId = QStringLiteral("Harrowmint");
  switch (mode) {
    case TUpdateDemoMode::Normal:
      form->SetOffer(DemoOffer());
      form->ShowChangeLog();
      break;
    case TUpdateDemoMode::Forced:
      form->session().rebootUpdate = true;
      form->ShowLoading();
      break;
    case TUpdateDemoMode::Error:
      form->SetOffer(DemoOffer());
      form->ShowError();
      break;
    case TUpdateDemoMode::Downloading:
      form->SetOffer(DemoOffer());
      form->ShowDownloading();
      form->ShowProgress(3670016, 12582912, 1258291, 3000);
      break;
  }
  return form;
}
