// The Debian package as a user gets it: built by CPack (the package_build step), unpacked with
// dpkg -x into a scratch root and run from there in the installed layout: the system's engines
// through the package's engine folder, Data/ in the user's data folder, nothing written below the
// root, for root and for a user who is not root.
#include <unistd.h>

#include <signal.h>

#include <filesystem>

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include "support/TestSupport.h"

using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::ToolRun;
using testsupport::TreeListing;
using testsupport::WriteFile;

namespace {

QString Package() {
  const QStringList found = QDir(HM_PACKAGE_DIR).entryList({"harrowmint_*.deb"}, QDir::Files);
  return found.size() == 1 ? HM_PACKAGE_DIR "/" + found.first() : QString();
}

// The package names of a relation field ("a (>= 1), b | c"), without versions.
QStringList PackageNames(const QByteArray& field) {
  QStringList names;
  for (const QString& alternatives : QString::fromUtf8(field).split(','))
    for (const QString& relation : alternatives.split('|')) names << relation.trimmed().section(' ', 0, 0);
  return names;
}

QStringList Lines(const QByteArray& out) { return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts); }

// The value of key in a desktop entry.
QString EntryValue(const QByteArray& entry, const QByteArray& key) {
  for (const QByteArray& line : entry.split('\n'))
    if (line.startsWith(key + '=')) return QString::fromUtf8(line.mid(key.size() + 1));
  return {};
}

// The engines the package's engine folder links to, where the packages it depends on put them.
const QList<QPair<QString, QString>> kEngines = {
    {"rar", "/usr/bin/rar"},           {"libunrar.so", "/usr/lib/x86_64-linux-gnu/libunrar.so.5"},
    {"7z.so", "/usr/lib/p7zip/7z.so"}, {"bsdtar", "/usr/bin/bsdtar"},
    {"7zz", "/usr/bin/7zz"},
};

// The package unpacked into a scratch root, and a user's home and data folder beside it. The
// scratch area can be reached by every user, as / can. The root holds the engines as a system
// with the package's dependencies would: links to this system's.
struct Installation {
  testsupport::TempDir dir;
  QString root = dir.file("root");
  QString home = dir.file("home");
  QString dataHome = dir.file("data");  // XDG_DATA_HOME
  QStringList rootListing;

  Installation() {
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::ExeOther);
    const QString package = Package();
    EXPECT_FALSE(package.isEmpty()) << "no package in " HM_PACKAGE_DIR;
    const ToolRun unpack = RunTool("dpkg", {"-x", package, root});
    EXPECT_EQ(unpack.exitCode, 0) << unpack.err.constData();
    for (const auto& [name, system] : kEngines) {
      testsupport::MakeDir(QFileInfo(root + system).path());
      QFile::link(system, root + system);
    }
    testsupport::MakeDir(home);
    rootListing = TreeListing(root);
  }
  QString Program(const QString& name) const { return root + "/usr/bin/" + name; }
  QString Share(const QString& relative) const { return root + "/usr/share/" + relative; }
  QString EngineFolder() const { return root + "/usr/lib/harrowmint/Engine/"; }
  // The program folder of an installed program for this user.
  QString UserFolder() const { return dataHome + "/harrowmint/"; }
  QString In(const QString& name) const { return dir.file("in/" + name); }

  // An installed program run as the user whose HOME and XDG_DATA_HOME are the scratch ones.
  ToolRun Run(const QString& program, const QStringList& args) const {
    return RunTool("env", QStringList{"HOME=" + home, "XDG_DATA_HOME=" + dataHome, Program(program)} + args);
  }
  // A ZIP made by zip(1): a payload and an advertising link the seed's delete.dat removes.
  void MakeZip(const QString& name) const {
    const QString tree = dir.file("tree-" + name);
    WriteFile(tree + "/data.bin", testsupport::RandomBytes(20000));
    WriteFile(tree + "/visit.url", "ad");
    testsupport::MakeDir(In(""));
    ASSERT_EQ(RunTool("zip", {"-qr", In(name), "."}, tree).exitCode, 0);
  }
  void ExpectRootUnchanged() const { EXPECT_EQ(TreeListing(root), rootListing) << "written below the root"; }
};

// Every file and folder of the seed is in the data folder.
void ExpectSeeded(const QString& dataFolder) {
  const QStringList data = TreeListing(dataFolder);
  for (const QString& entry : TreeListing(testsupport::SourceDir() + "/SysDb/Data"))
    EXPECT_TRUE(data.contains(entry))
        << entry.toStdString() << " not seeded into " << dataFolder.toStdString();
}

QStringList ArchiveNames(const QString& archive) {
  QStringList names;
  for (const QString& line : Lines(RunTool("7z", {"l", "-slt", "-ba", archive}).out))
    if (line.startsWith("Path = ")) names << line.mid(7);
  names.sort();
  return names;
}

TEST(Package, NamesTheEnginesAndLibrariesItNeeds) {
  HM_REQUIRE_TOOL("dpkg-deb");
  const auto field = [](const char* name) {
    return RunTool("dpkg-deb", {"-f", Package(), name}).out.trimmed();
  };
  EXPECT_EQ(field("Package"), "harrowmint");
  const QStringList depends = PackageNames(field("Depends"));
  for (const char* needed : {"p7zip-full", "libarchive-tools", "7zip", "libqt6core6", "libqt6gui6",
                             "libqt6widgets6", "libqt6network6", "libqt6svg6", "libsqlite3-0", "zlib1g"})
    EXPECT_TRUE(depends.contains(needed)) << needed << " not in Depends: " << field("Depends").constData();
  // The RAR engines are in non-free: recommended, never required.
  const QStringList recommends = PackageNames(field("Recommends"));
  for (const char* nonFree : {"rar", "libunrar5"}) {
    EXPECT_TRUE(recommends.contains(nonFree)) << nonFree;
    EXPECT_FALSE(depends.contains(nonFree)) << nonFree;
  }
}

// Debian's own check of a package: no error, no warning, and the changelog's entry is the
// package's version.
TEST(Package, LintianFindsNothing) {
  HM_REQUIRE_TOOL("lintian");
  const ToolRun lintian = RunTool("lintian", {"--tag-display-limit", "0", Package()});
  EXPECT_EQ(lintian.exitCode, 0) << lintian.out.constData() << lintian.err.constData();
  EXPECT_EQ(Lines(lintian.out).filter(QRegularExpression("^[EW]: ")), QStringList())
      << lintian.out.constData();

  Installation in;
  const QString changelog = in.Share("doc/harrowmint/changelog.gz");
  const QByteArray firstLine = RunTool("gzip", {"-dc", changelog}).out.split('\n').value(0);
  const QByteArray version = RunTool("dpkg-deb", {"-f", Package(), "Version"}).out.trimmed();
  EXPECT_TRUE(firstLine.startsWith("harrowmint (" + version + ") ")) << firstLine.constData();
}

// The size the package declares is what it unpacks to (links count as links, not as the engines
// they lead to), give or take a KiB an entry and a folder's block.
TEST(Package, DeclaresTheSizeItUnpacksTo) {
  HM_REQUIRE_TOOL("dpkg-deb");
  const qint64 declared = RunTool("dpkg-deb", {"-f", Package(), "Installed-Size"}).out.trimmed().toLongLong();
  testsupport::TempDir dir;
  ASSERT_EQ(RunTool("dpkg-deb", {"-x", Package(), dir.path()}).exitCode, 0);
  qint64 bytes = 0;
  qint64 slack = 0;  // KiB
  for (const std::filesystem::directory_entry& entry :
       std::filesystem::recursive_directory_iterator(dir.path().toStdString())) {
    if (entry.is_symlink()) {
      slack += 1;
    } else if (entry.is_directory()) {
      slack += 4;
    } else {
      bytes += qint64(entry.file_size());
      slack += 1;
    }
  }
  const qint64 unpacked = bytes / 1024;
  EXPECT_GE(declared, unpacked) << "KiB";
  EXPECT_LE(declared, unpacked + slack) << "KiB";
}

TEST(Package, HoldsTheInstalledLayoutAndTheDesktopIntegration) {
  HM_REQUIRE_TOOL("dpkg");
  HM_REQUIRE_TOOL("desktop-file-validate");
  Installation in;
  for (const char* program : {"harrowmint", "harrowmint-cli"})
    EXPECT_TRUE(QFileInfo(in.Program(program)).isExecutable()) << program;
  // An installed program is updated by the package manager.
  EXPECT_FALSE(QFileInfo::exists(in.Program("harrowmint-updater")));

  EXPECT_EQ(TreeListing(in.Share("harrowmint/SysDb/Data")),
            TreeListing(testsupport::SourceDir() + "/SysDb/Data"));

  // Relative links, as Debian wants them within /usr: they lead to the engines of the root the
  // package is unpacked in.
  for (const auto& [name, system] : kEngines) {
    const std::filesystem::path link = (in.EngineFolder() + name).toStdString();
    EXPECT_TRUE(std::filesystem::read_symlink(link).is_relative()) << name.toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QFileInfo(in.root + system).absoluteFilePath())
        << name.toStdString();
  }
  // Plug-in files are shared data; the engine folder reaches them by relative links, so they
  // stay found wherever the installation lies.
  const QStringList plugins = QDir(testsupport::SourceDir() + "/Engine").entryList({"*.pk"}, QDir::Files);
  ASSERT_FALSE(plugins.isEmpty());
  for (const QString& plugin : plugins) {
    const QFileInfo link(in.EngineFolder() + plugin);
    EXPECT_TRUE(link.isSymLink()) << plugin.toStdString();
    EXPECT_EQ(link.canonicalFilePath(),
              QFileInfo(in.Share("harrowmint/Engine/" + plugin)).canonicalFilePath());
    EXPECT_EQ(ReadFile(link.filePath()), ReadFile(testsupport::SourceDir() + "/Engine/" + plugin));
  }

  const QString entry = in.Share("applications/harrowmint.desktop");
  const ToolRun check = RunTool("desktop-file-validate", {entry});
  EXPECT_EQ(check.exitCode, 0) << check.out.constData() << check.err.constData();
  EXPECT_EQ(EntryValue(ReadFile(entry), "Exec"), "harrowmint %F");
  EXPECT_EQ(EntryValue(ReadFile(entry), "Icon"), "harrowmint");
  EXPECT_EQ(ReadFile(in.Share("icons/hicolor/scalable/apps/harrowmint.svg")),
            ReadFile(testsupport::SourceDir() + "/src/gui/icons/harrowmint.svg"));

  // The manual pages and the completion are the installed programs' own; the window program
  // prints its page without a display.
  for (const char* program : {"harrowmint-cli", "harrowmint"}) {
    const ToolRun page = in.Run(program, {"--print-man"});
    EXPECT_EQ(page.exitCode, 0) << program;
    EXPECT_EQ(RunTool("gzip", {"-dc", in.Share(QStringLiteral("man/man1/%1.1.gz").arg(program))}).out,
              page.out)
        << program;
  }
  EXPECT_EQ(ReadFile(in.Share("bash-completion/completions/harrowmint-cli")),
            in.Run("harrowmint-cli", {"--print-completion"}).out);
  in.ExpectRootUnchanged();
}

TEST(Package, CliRunsWithTheSystemEnginesAndTheUsersDataFolder) {
  HM_REQUIRE_TOOL("dpkg");
  HM_REQUIRE_TOOL("zip");
  HM_REQUIRE_TOOL("7z");
  Installation in;
  const ToolRun engines = in.Run("harrowmint-cli", {"--engines"});
  EXPECT_EQ(engines.exitCode, 0) << engines.err.constData();
  EXPECT_TRUE(engines.out.startsWith("Engine folder: " + in.EngineFolder().toUtf8() + '\n'))
      << engines.out.constData();
  EXPECT_FALSE(engines.out.contains("missing")) << engines.out.constData();
  for (const char* name : {"  rar ", "  libunrar.so ", "  7z.so ", "TAR(*.tar)", "ISO(*.iso)"})
    EXPECT_TRUE(engines.out.contains(name)) << name;

  in.MakeZip("game.zip");
  WriteFile(in.In("Folder/notes.bin"), testsupport::RandomBytes(9000));
  const ToolRun run = in.Run("harrowmint-cli", {"--format", "7z", in.In("game.zip"), in.In("Folder")});
  EXPECT_EQ(run.exitCode, 0) << run.out.constData() << run.err.constData();
  const QString out = in.UserFolder() + "OutputPath/";
  EXPECT_EQ(
      Lines(run.out),
      QStringList(
          {QStringLiteral("0\t打包完毕\t%1\t%2").arg(out + "game.7z").arg(QFileInfo(out + "game.7z").size()),
           QStringLiteral("1\t打包完毕\t%1\t%2")
               .arg(out + "Folder.7z")
               .arg(QFileInfo(out + "Folder.7z").size()),
           "状态:打包完毕,共完成2个。"}));
  // Cleaned by the seeded rules and completed with the seeded must-have file.
  EXPECT_EQ(ArchiveNames(out + "game.7z"), QStringList({"Readme.txt", "data.bin"}));
  EXPECT_EQ(ArchiveNames(out + "Folder.7z"), QStringList({"Readme.txt", "notes.bin"}));

  ExpectSeeded(in.UserFolder() + "Data");
  EXPECT_EQ(TreeListing(in.UserFolder() + "tmp"), QStringList());
  EXPECT_EQ(TreeListing(in.home), QStringList()) << "XDG_DATA_HOME given, yet written to the home folder";
  in.ExpectRootUnchanged();
}

TEST(Package, HomeOptionUsesThePortableLayoutInItsFolder) {
  HM_REQUIRE_TOOL("dpkg");
  Installation in;
  const QString portable = in.dir.file("portable");
  const ToolRun engines = in.Run("harrowmint-cli", {"--home", portable, "--engines"});
  EXPECT_TRUE(engines.out.startsWith("Engine folder: " + portable.toUtf8() + "/Engine/\n"))
      << engines.out.constData();

  WriteFile(in.In("file.bin"), testsupport::RandomBytes(9000));
  const ToolRun run = in.Run("harrowmint-cli", {"--home", portable, "--format", "zip", in.In("file.bin")});
  EXPECT_EQ(run.exitCode, 0) << run.out.constData() << run.err.constData();
  EXPECT_TRUE(QFileInfo(portable + "/OutputPath/file.zip").isFile()) << run.out.constData();
  EXPECT_FALSE(QFileInfo::exists(in.UserFolder()));
  in.ExpectRootUnchanged();
}

TEST(Package, CliWorksForAUserWhoIsNotRoot) {
  HM_REQUIRE_TOOL("dpkg");
  HM_REQUIRE_TOOL("zip");
  HM_REQUIRE_TOOL("7z");
  HM_REQUIRE_TOOL("rar");
  Installation in;
  in.MakeZip("game.zip");
  // Run as nobody when the tests run as root, else as the user running them.
  QStringList asUser;
  if (::geteuid() == 0) {
    HM_REQUIRE_TOOL("setpriv");
    ASSERT_EQ(RunTool("chown", {"-R", "nobody:nogroup", in.home, in.In("")}).exitCode, 0);
    asUser = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"};
  }
  // No XDG_DATA_HOME: the data folder is the default one in the user's home.
  // RAR: the packer changes the archive it made (must-have files, lock), which takes a writable
  // working folder; the installed engine folder is not one for this user.
  const QStringList command =
      asUser +
      QStringList{"env",      "-u",  "XDG_DATA_HOME",  "HOME=" + in.home, in.Program("harrowmint-cli"),
                  "--format", "rar", in.In("game.zip")};
  const ToolRun run = RunTool(command.first(), command.mid(1));
  EXPECT_EQ(run.exitCode, 0) << run.out.constData() << run.err.constData();

  const QString userFolder = in.home + "/.local/share/harrowmint/";
  const QString output = userFolder + "OutputPath/game.rar";
  EXPECT_EQ(Lines(run.out).value(0),
            QStringLiteral("0\t打包完毕\t%1\t%2").arg(output).arg(QFileInfo(output).size()));
  EXPECT_EQ(ArchiveNames(output), QStringList({"Readme.txt", "data.bin"}));
  ExpectSeeded(userFolder + "Data");
  EXPECT_EQ(QFileInfo(userFolder + "Data/delete.dat").ownerId(), QFileInfo(in.home).ownerId());
  in.ExpectRootUnchanged();
}

TEST(Package, DesktopProgramStartsInTheUsersDataFolder) {
  HM_REQUIRE_TOOL("dpkg");
  Installation in;
  QProcess window;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("HOME", in.home);
  environment.insert("XDG_DATA_HOME", in.dataHome);
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("HARROWMINT_MESSAGES", "stderr");
  window.setProcessEnvironment(environment);
  window.setProcessChannelMode(QProcess::MergedChannels);
  window.start(in.Program("harrowmint"), {});
  ASSERT_TRUE(window.waitForStarted());
  // The first-use tip comes once the data folder is seeded and the settings are read; the line on
  // the update check follows it.
  QByteArray err;
  while (!err.contains("update check off") && window.waitForReadyRead(60000)) err += window.readAll();
  window.terminate();
  window.waitForFinished(30000);
  err += window.readAll();
  EXPECT_TRUE(err.contains("首次操作提示")) << err.constData();
  EXPECT_TRUE(err.contains("update check off: this installation is updated by its package manager"))
      << err.constData();

  ExpectSeeded(in.UserFolder() + "Data");
  EXPECT_FALSE(QFileInfo::exists(in.UserFolder() + "update"));
  EXPECT_FALSE(QFileInfo::exists(in.UserFolder() + "tmp.updx"));
  in.ExpectRootUnchanged();
}

// The unit of the watch service, as systemd reads it: the package's units beside the system's own
// in a root of their own (systemd refuses most units through links, so they are copied).
QString UnitFile(const Installation& in) {
  return in.root + "/usr/lib/systemd/system/harrowmint-watch@.service";
}

TEST(Package, WatchServiceUnitVerifiesWithItsHardeningAndItsUser) {
  HM_REQUIRE_TOOL("dpkg");
  HM_REQUIRE_TOOL("systemd-analyze");
  Installation in;
  const QByteArray unit = ReadFile(UnitFile(in));
  const QStringList lines = Lines(unit);
  for (const char* line : {"User=harrowmint", "Restart=on-failure", "ProtectSystem=strict",
                           "ReadWritePaths=/srv/harrowmint/%i", "NoNewPrivileges=yes", "PrivateTmp=yes",
                           "Environment=XDG_DATA_HOME=/srv/harrowmint/%i", "KillMode=mixed"})
    EXPECT_TRUE(lines.contains(line)) << line;
  EXPECT_EQ(EntryValue(unit, "ExecStart"),
            "/usr/bin/harrowmint-cli --verbose --jobs 0 --output /srv/harrowmint/%i/out --watch "
            "/srv/harrowmint/%i/in");
  // Its user is made by the package's installation script, from the sysusers file.
  EXPECT_TRUE(Lines(ReadFile(in.root + "/usr/lib/sysusers.d/harrowmint.conf"))
                  .filter(QRegularExpression("^u harrowmint "))
                  .size() == 1);
  const QString control = in.dir.file("control");
  ASSERT_EQ(RunTool("dpkg-deb", {"-e", Package(), control}).exitCode, 0);
  EXPECT_TRUE(ReadFile(control + "/postinst").contains("systemd-sysusers harrowmint.conf"));
  EXPECT_TRUE(QFileInfo(control + "/postinst").isExecutable());

  const QString root = in.dir.file("systemd-root");
  testsupport::MakeDir(root + "/usr/lib/systemd/system");
  testsupport::MakeDir(root + "/usr/bin");
  ASSERT_EQ(RunTool("cp", {"-a", "/lib/systemd/system/.", root + "/usr/lib/systemd/system/"}).exitCode, 0);
  ASSERT_TRUE(QFile::copy(UnitFile(in), root + "/usr/lib/systemd/system/harrowmint-watch@.service"));
  ASSERT_TRUE(QFile::copy(in.Program("harrowmint-cli"), root + "/usr/bin/harrowmint-cli"));
  const ToolRun verify =
      RunTool("systemd-analyze", {"verify", "--man=no", "--root=" + root, "harrowmint-watch@site1.service"});
  EXPECT_EQ(verify.exitCode, 0) << verify.err.constData();
  EXPECT_EQ(verify.err, "");  // a warning is a key systemd does not take
  // Exposure in tenths: "OK" and better, as systemd rates it.
  const ToolRun security = RunTool("systemd-analyze", {"security", "--offline=yes", "--threshold=40",
                                                       "--root=" + root, "harrowmint-watch@site1.service"});
  EXPECT_EQ(security.exitCode, 0) << security.out.constData() << security.err.constData();
  in.ExpectRootUnchanged();
}

// The unit's command as systemd would run it for a site, as a user who is not root: the program
// folder in the site's folder, an upload repacked, and SIGTERM a clean end.
TEST(Package, WatchServiceCommandRepacksASitesUploads) {
  HM_REQUIRE_TOOL("dpkg");
  HM_REQUIRE_TOOL("zip");
  Installation in;
  const QString site = in.dir.file("srv/site1");
  testsupport::MakeDir(site + "/in");
  testsupport::MakeDir(site + "/out");
  QString command = EntryValue(ReadFile(UnitFile(in)), "ExecStart");
  command.replace("/srv/harrowmint/%i", site).replace("/usr/bin/", in.root + "/usr/bin/");
  QStringList asUser;
  if (::geteuid() == 0) {
    HM_REQUIRE_TOOL("setpriv");
    ASSERT_EQ(RunTool("chown", {"-R", "nobody:nogroup", in.dir.file("srv")}).exitCode, 0);
    asUser = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"};
  }
  QProcess service;
  const QStringList args =
      asUser + QStringList{"env", "-i", "PATH=/usr/bin:/bin", "XDG_DATA_HOME=" + site} + command.split(' ');
  service.start(args.first(), args.mid(1));
  ASSERT_TRUE(service.waitForStarted());

  in.MakeZip("game.zip");
  const QString upload = site + "/in/game.zip";
  ASSERT_EQ(RunTool("cp", {in.In("game.zip"), site + "/game.zip.part"}).exitCode, 0);
  if (::geteuid() == 0) RunTool("chown", {"nobody:nogroup", site + "/game.zip.part"});
  ASSERT_TRUE(QFile::rename(site + "/game.zip.part", upload));
  const QString journal = site + "/in/.harrowmint/journal.jsonl";
  testsupport::WaitFor([&] { return !ReadFile(journal).isEmpty() || service.state() != QProcess::Running; },
                       60000);
  ::kill(pid_t(service.processId()), SIGTERM);
  ASSERT_TRUE(service.waitForFinished(60000));
  EXPECT_EQ(service.exitCode(), 0) << service.readAllStandardError().constData();

  const QJsonObject line = QJsonDocument::fromJson(ReadFile(journal).trimmed()).object();
  EXPECT_EQ(line["source"].toString(), upload);
  EXPECT_EQ(line["state"].toInt(), 1) << ReadFile(journal).constData();
  EXPECT_TRUE(line["output"].toString().startsWith(site + "/out/game."))
      << line["output"].toString().toStdString();
  EXPECT_TRUE(QFileInfo(line["output"].toString()).isFile());
  EXPECT_TRUE(QFileInfo::exists(site + "/in/.harrowmint/done/game.zip"));
  ExpectSeeded(site + "/harrowmint/Data");
  in.ExpectRootUnchanged();
}

}  // namespace
