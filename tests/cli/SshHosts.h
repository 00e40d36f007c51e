#pragma once
// Hosts for a test, on this machine: network namespaces of their own, each with an ssh server
// on its own address, joined by veth pairs to a client namespace from which the test runs its
// commands. Each host runs its programs with its own PATH. The servers stop by themselves after a
// while even when the test is killed; the namespaces go with this object, or at the start of the
// next test that finds them left by a process that is gone.
#include <QString>
#include <QStringList>

#include "support/TestSupport.h"

class SshHosts {
 public:
  // One host per entry of programFolders, whose folder comes first on that host's PATH; folder
  // holds the keys and configuration files. Needs root.
  SshHosts(const QString& folder, const QStringList& programFolders);
  ~SshHosts();
  SshHosts(const SshHosts&) = delete;
  SshHosts& operator=(const SshHosts&) = delete;

  // Empty when the hosts are up; otherwise why they are not.
  QString why() const { return why_; }
  // The name of host i (from 0) in sshConfig(): "host1", "host2", ...
  static QString Name(int host) { return QStringLiteral("host%1").arg(host + 1); }
  QString sshConfig() const { return folder_ + "/ssh_config"; }

  // A program run in the client namespace with these environment variables added.
  testsupport::ToolRun Run(const QString& program, const QStringList& args, const QString& workDir,
                           const QStringList& environment, int timeoutMs = 600000) const;
  // Every process of the host ends at once, its ssh server first among them: the host is lost.
  void Kill(int host) const;

 private:
  QString Namespace(const QString& suffix) const { return prefix_ + suffix; }
  bool Ip(const QStringList& args);
  bool StartServer(int host, const QString& programFolder);

  QString folder_;
  QString prefix_;  // of the namespaces' names: "hmt<pid>"
  int count_ = 0;
  QStringList namespaces_;  // made, to remove
  QString why_;
};
