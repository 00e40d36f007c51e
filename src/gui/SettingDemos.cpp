#include "gui/SettingDemos.h"

#include <QDebug>

#include "settings/DataFolder.h"
#include "settings/Settings.h"
#include "settings/TxtReplaceRules.h"

namespace {

TxtReplaceRule SampleRule(const char* name, const char* from, const char* to, int priority) {
  TxtReplaceRule rule;
  rule.Name = QString::fromUtf8(name);
  rule.sValue1 = QString::fromUtf8(from);
  rule.sValue2 = QString::fromUtf8(to);
  rule.intData1 = priority;
  return rule;
}

// Sample settings, texts and rules, written once into the scratch folder's data folder. Returns
// the ID of the first rule.
qint64 WriteSampleData(const TProgramPaths& scratch) {
  const QString db = scratch.databaseFile();
  const std::vector<TxtReplaceRule> existing = LoadTxtReplaceRules(db);
  if (!existing.empty()) return existing.front().ID;

  TSettings settings = LoadSettings(scratch);
  settings.OutputFolder = QStringLiteral("<app>/OutputPath/<yyyy>-<MM>");
  settings.fileNameFormat = QStringLiteral("[www.example.com]<name>");
  settings.CompressExt = ofZIP;
  settings.SetCompressPwd = true;
  settings.CompressPwd = QStringLiteral("www.example.com");
  settings.DelCompressVer = true;
  settings.NestedDepth = 2;
  TDataTexts texts;
  texts.delList = QStringLiteral("*.url\r\n*.htm\r\n*广告*.txt\r\n");
  texts.comment = QStringLiteral("本资源来自 www.example.com\r\n\r\n解压密码：www.example.com");
  texts.nameDelete = QStringLiteral("[www.example.com]\r\n(example.com)\r\n");
  texts.txtDelete = QStringLiteral("*www.example.net*\r\n");
  const QString failed = SaveSettingsFiles(scratch, texts, settings);
  if (!failed.isEmpty()) qWarning() << "demo settings: cannot write" << failed;

  const qint64 first = AddTxtReplaceRule(
      db, SampleRule("替换旧网址", "www.example.net\r\n旧站点", "www.example.com\r\n新站点", 10));
  AddTxtReplaceRule(db, SampleRule("删除广告行", "【广告】点击访问", "", 0));
  AddTxtReplaceRule(db, SampleRule("统一换行说明", "说明：", "使用说明：", -5));
  return first;
}

}  // namespace

std::unique_ptr<TfrmSetting> DemoSettingDialog(const TProgramPaths& scratch, QWidget* parent) {
  WriteSampleData(scratch);
  return std::make_unique<TfrmSetting>(scratch, parent);
}

std::unique_ptr<TfrmAddTxtReplace> DemoRuleDialog(const TProgramPaths& scratch, QWidget* parent) {
  const qint64 id = WriteSampleData(scratch);
  auto dialog = std::make_unique<TfrmAddTxtReplace>(scratch.databaseFile(), parent);
  dialog->LoadByEdit(id);
  return dialog;
}

std::unique_ptr<TfrmEngineInfo> DemoEngineInfoDialog(const TProgramPaths& paths, QWidget* parent) {
  return std::make_unique<TfrmEngineInfo>(paths, parent);
}
