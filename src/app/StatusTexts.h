#pragma once
// The texts a run shows: the row status column, the output-name cell, the status line and the
// messages. They are the product's user interface and are used exactly as written.
#include <QString>

#include <QStringList>

#include "compress/common/Progress.h"
#include "util/FileOps.h"

struct TStatusText {
  // While an item is worked on.
  static inline const QString Processing = QStringLiteral("正在处理中...");
  static inline const QString Copying = QStringLiteral("正在复制...");
  static inline const QString Cleaning = QStringLiteral("正在清理中...");
  static inline const QString Extracting = QStringLiteral("正在解压中...");
  static inline const QString Compressing = QStringLiteral("正在压缩中...");
  // The working text of a phase with how far it has come: "正在压缩中... 42%"; the text alone
  // while the total is unknown.
  static QString InProgress(const TProgress& progress) {
    const QString& state = progress.phase == TProgress::TPhase::Packing ? Compressing : Extracting;
    const int percent = progress.percent();
    return percent < 0 ? state : state + ' ' + QString::number(percent) + '%';
  }

  // Final.
  static inline const QString Packed = QStringLiteral("打包完毕");
  static inline const QString Unsupported = QStringLiteral("不支持");
  static inline const QString FolderIgnored = QStringLiteral("文件夹忽略");
  static inline const QString FileIgnored = QStringLiteral("文件忽略");
  static inline const QString ExePacked = QStringLiteral("压缩exe完成");
  static inline const QString ReplaceFailed = QStringLiteral("替换失败");
  static inline const QString EngineLoadFailed = QStringLiteral("引擎加载失败");
  static inline const QString WrongPassword = QStringLiteral("解压密码错误");
  static inline const QString CannotExtract = QStringLiteral("无法解压");

  // Final, for failures the Windows design left without a text of their own.
  static inline const QString SourceMissing = QStringLiteral("源文件不存在");
  static inline const QString CopyFailed = QStringLiteral("复制失败");
  static inline const QString PackFailed = QStringLiteral("压缩失败");
  static inline const QString Stopped = QStringLiteral("已停止");
  static inline const QString UnexpectedError = QStringLiteral("处理出错");

  // Final, for volume sets (x.part1.rar..., x.7z.001..., x.z01...x.zip), which are packed once,
  // through the volume that opens them: a volume of a set another item packs, and a set packed
  // in replace-source mode, whose volumes are left as they are.
  static inline const QString OtherVolume = QStringLiteral("分卷，随第一卷处理");
  static inline const QString VolumesKept = QStringLiteral("打包完毕，分卷未替换");

  // Final in a dry run: extracted and cleaned in a work folder, not packed.
  static inline const QString DryRunDone = QStringLiteral("试运行完毕");
};

struct TRunText {
  // Output-name cell of an output below the plausible size.
  static inline const QString SuspectOutput = QStringLiteral("文件可能出错");
  // Type cell of a self-extracting archive: the detected format without its dot goes before it.
  static inline const QString SelfExtractingSuffix = QStringLiteral("自解压格式");
  // Type cell of a file extracted through the plug-in of its name's extension: "tar.gz文件".
  static QString PluginFormatType(const QString& pluginExt) {
    return pluginExt.mid(1) + QStringLiteral("文件");
  }

  static inline const QString NoItems = QStringLiteral("请先添加需要打包的文件/目录。");
  static inline const QString InvalidOutputFolder = QStringLiteral("无效的输出目录。");

  static QString Announce(const QString& path) {
    return QStringLiteral("状态:正在打包【") + path + QStringLiteral("】...");
  }
  // Several items in progress at once: their file names, so that each can still be read in the
  // line; one item: its path, as above.
  static QString Announce(const QStringList& paths) {
    if (paths.size() == 1) return Announce(paths.first());
    QStringList names;
    for (const QString& path : paths) names << FileNamePart(path);
    return QStringLiteral("状态:正在打包【") + names.join(QStringLiteral("】、【")) + QStringLiteral("】...");
  }
  static QString Summary(int successCount) {
    return QStringLiteral("状态:打包完毕,共完成") + QString::number(successCount) + QStringLiteral("个。");
  }
  static QString Failures(int errorCount) {
    return QString::number(errorCount) + QStringLiteral("个打包失败，请注意核对。");
  }

  // Why a run does not start: the password list it was given cannot be read.
  static QString PasswordListUnreadable(const QString& path) {
    return QStringLiteral("无法读取密码列表“") + path + QStringLiteral("”。");
  }

  // Said once at the start of a run whose output format needs an engine the engine folder lacks
  // (every item would fail with "引擎加载失败" without saying why).
  static QString PackingEngineMissing(const QString& engine, const QString& engineFolder) {
    return QStringLiteral("找不到输出格式所需的引擎“") + engine + QStringLiteral("”，请把它放到引擎目录“") +
           engineFolder + QStringLiteral("”中。");
  }

  // A warning of our own: a rule list, the comment or data.db that exists but cannot be read would
  // otherwise leave its content out without a word.
  static QString DataFileUnreadable(const QString& path) {
    return QStringLiteral("无法读取数据文件“") + path + QStringLiteral("”，本次打包不使用其中的内容。");
  }
};
