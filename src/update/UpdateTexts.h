#pragma once
// The update's texts: the window's fixed captions and the messages of the download and hand-over.
// They are the product's user interface and are used exactly as written.
#include <QString>

struct TUpdateText {
  // The window.
  static inline const QString Caption = QStringLiteral("有新的版本");
  static inline const QString Found = QStringLiteral("发现新版本,可升级至");
  static inline const QString VersionPending = QStringLiteral("新版本：正在获取");
  static inline const QString DatePending = QStringLiteral("更新日期：正在获取");
  static inline const QString VersionPrefix = QStringLiteral("最新版本:");
  static inline const QString VersionUnknown = QStringLiteral("最新版本:未知");
  static inline const QString DatePrefix = QStringLiteral("更新日期:");
  static inline const QString ChangeLogPage = QStringLiteral("更新日志");
  static inline const QString ProgressPage = QStringLiteral("进度条");
  static inline const QString LoadingPage = QStringLiteral("载入中");
  static inline const QString ErrorPage = QStringLiteral("下载失败");
  static inline const QString Downloaded = QStringLiteral("已下载:");
  static inline const QString Speed = QStringLiteral("速度:");
  static inline const QString Elapsed = QStringLiteral("耗时:");
  static inline const QString Unknown = QStringLiteral("未知");
  static inline const QString StateDownloading = QStringLiteral("状态:正在下载最新版安装包，请稍后...");
  static inline const QString StateChecking = QStringLiteral("状态:正在检测升级....");
  static inline const QString StateError = QStringLiteral("状态:发生错误。");
  static inline const QString StateDone = QStringLiteral("状态:下载完成。");
  static inline const QString ErrorExplained =
      QStringLiteral("状态:非常抱歉，下载失败。您可以选择手动下载。");
  static inline const QString ManualLink = QStringLiteral("我要手动下载");
  static inline const QString StartButton = QStringLiteral("立即升级");

  // Messages.
  static inline const QString MessageTitle = QStringLiteral("提示");
  static inline const QString NotSupported =
      QStringLiteral("当前版本暂时不支持自动升级.\r\n是否打开下载页进行手动下载。");
  static inline const QString AlreadyRunning = QStringLiteral("正在进行升级中，请稍后再试。");
  static inline const QString ErrorTitle = QStringLiteral("错误");
  // "发生错误" + id + ",原因如下:" + reason.
  static QString ErrorMessage(const QString& id, const QString& reason) {
    return QStringLiteral("发生错误") + id + QStringLiteral(",原因如下:") + reason;
  }

  // Download errors: ids and reasons.
  static inline const QString CannotCreateDirId = QStringLiteral("cannotcreatedir");
  static inline const QString CannotCreateDir = QStringLiteral("不能创建目录");
  static inline const QString GetErrorId = QStringLiteral("geterror");
  static inline const QString GetErrorPrefix = QStringLiteral("获取下载资源时发生错误:");
  static inline const QString UnsupportedAddress = QStringLiteral("不支持的下载地址");
  static inline const QString TransferCut = QStringLiteral("连接在传输完成前中断");
  // The transfer waited too long for the next bytes (Qt names it "Operation canceled", which
  // reads as if the user had stopped it).
  static inline const QString ServerStopped = QStringLiteral("服务器已停止响应");

  // Hand-over: ids and reasons (shown the same way as download errors).
  static inline const QString InstallErrorId = QStringLiteral("installerror");
  static inline const QString OriginUnverified = QStringLiteral(
      "升级包不是通过有效证书的HTTPS下载的，升级描述中也没有它的SHA-256校验值，无法确认来源，已停止安装。"
      "请手动下载。");
  static inline const QString HashMismatch =
      QStringLiteral("升级包的SHA-256校验值与升级描述不符，已停止安装。请手动下载。");
  static inline const QString UpdaterMissing =
      QStringLiteral("找不到升级程序harrowmint-updater，无法完成升级。请手动下载。");
  static inline const QString HandoverFailed = QStringLiteral("无法写入升级信息文件tmp.updx。");
  static inline const QString StartFailed = QStringLiteral("无法启动升级程序。");

  // The updater: shown by the program at its next start, "升级失败：" + cause.
  static inline const QString UpdateFailed = QStringLiteral("升级失败：");
  static inline const QString PackageMissing = QStringLiteral("找不到升级包，没有安装任何文件。");
  static inline const QString ProgramStillRunning = QStringLiteral("程序一直没有退出，没有安装任何文件。");
  static inline const QString PackageRefused =
      QStringLiteral("升级包无法完整解压（已损坏，或含有不安全的条目），没有安装任何文件。");
  static inline const QString FilesNotWritten = QStringLiteral("部分文件无法写入，升级可能不完整。");
};
