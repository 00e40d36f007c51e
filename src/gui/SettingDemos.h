#pragma once
// The settings, rule and engines dialogs in a demonstration state, for screenshots. The settings
// and rule demos first fill the data folder of `scratch` with sample settings, lists, a comment
// and rules: pass a scratch program folder, never a user's.
#include <memory>

#include "gui/EngineInfoDialog.h"
#include "gui/RuleDialog.h"
#include "gui/SettingDialog.h"
#include "util/ProgramPaths.h"

// The settings dialog on its first page, over sample settings and texts.
std::unique_ptr<TfrmSetting> DemoSettingDialog(const TProgramPaths& scratch, QWidget* parent = nullptr);
// The rule dialog editing a sample rule of several lines.
std::unique_ptr<TfrmAddTxtReplace> DemoRuleDialog(const TProgramPaths& scratch, QWidget* parent = nullptr);
// The engines dialog over a real program folder (the build's, with its engines and plug-ins).
std::unique_ptr<TfrmEngineInfo> DemoEngineInfoDialog(const TProgramPaths& paths, QWidget* parent = nullptr);
