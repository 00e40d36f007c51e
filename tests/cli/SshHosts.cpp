#include "SshHosts.h"

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

using testsupport::ReadFile;
using testsupport::RunTool;
using testsupport::ToolRun;
using testsupport::WriteFile;

namespace {

const QString kSshd = QStringLiteral("/usr/sbin/sshd");
// The servers end by themselves after this, whatever happens to the test.
const QString kServerLifetime = QStringLiteral("900");

QString ClientAddress(int host) { return QStringLiteral("10.77.%1.1").arg(host + 1); }
QString HostAddress(int host) { return QStringLiteral("10.77.%1.2").arg(host + 1); }

QStringList ProcessesOf(const QString& ns) {
  return QString::fromUtf8(RunTool("ip", {"netns", "pids", ns}).out).split('\n', Qt::SkipEmptyParts);
}

void KillAll(const QString& ns) {
  // Twice: a process may start another while the first round goes.
  for (int round = 0; round < 2; ++round)
    for (const QString& pid : ProcessesOf(ns)) ::kill(pid_t(pid.toInt()), SIGKILL);
}

// Namespaces earlier tests left when they were killed: their process number names a process
// that is gone.
void RemoveLeftNamespaces() {
  static const QRegularExpression ours(QStringLiteral("^hmt(\\d+)[a-z0-9]+$"));
  for (const QString& line : QString::fromUtf8(RunTool("ip", {"netns", "list"}).out).split('\n')) {
    const QString name = line.section(' ', 0, 0);
    const QRegularExpressionMatch m = ours.match(name);
    if (!m.hasMatch() || ::kill(pid_t(m.captured(1).toInt()), 0) == 0) continue;
    KillAll(name);
    RunTool("ip", {"netns", "delete", name});
  }
}

}  // namespace

SshHosts::SshHosts(const QString& folder, const QStringList& programFolders)
    : folder_(folder), prefix_(QStringLiteral("hmt%1").arg(::getpid())), count_(int(programFolders.size())) {
  if (::geteuid() != 0) {
    why_ = "network namespaces need root";
    return;
  }
  RemoveLeftNamespaces();
  // The client and the hosts, each a network of its own; a veth pair joins each host to the client.
  if (!Ip({"netns", "add", Namespace("c")})) {
    why_ = "network namespaces cannot be made here";
    return;
  }
  namespaces_ << Namespace("c");
  Ip({"-n", Namespace("c"), "link", "set", "lo", "up"});
  for (int i = 0; i < count_; ++i) {
    const QString host = Namespace(QStringLiteral("h%1").arg(i + 1));
    const QString clientEnd = QStringLiteral("vc%1").arg(i + 1);
    if (!Ip({"netns", "add", host})) {
      why_ = "network namespaces cannot be made here";
      return;
    }
    namespaces_ << host;
    if (!Ip({"-n", Namespace("c"), "link", "add", clientEnd, "type", "veth", "peer", "name", "vh", "netns",
             host}) ||
        !Ip({"-n", Namespace("c"), "addr", "add", ClientAddress(i) + "/24", "dev", clientEnd}) ||
        !Ip({"-n", Namespace("c"), "link", "set", clientEnd, "up"}) ||
        !Ip({"-n", host, "addr", "add", HostAddress(i) + "/24", "dev", "vh"}) ||
        !Ip({"-n", host, "link", "set", "vh", "up"}) || !Ip({"-n", host, "link", "set", "lo", "up"})) {
      why_ = "the hosts' network cannot be made: " + why_;
      return;
    }
  }

  // One key for the client, one for each host, known to each other.
  const auto keygen = [](const QString& file) {
    return RunTool("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", file}).exitCode == 0;
  };
  if (!keygen(folder_ + "/client_key")) {
    why_ = "ssh-keygen failed";
    return;
  }
  QFile::copy(folder_ + "/client_key.pub", folder_ + "/authorized_keys");
  QByteArray known, config;
  for (int i = 0; i < count_; ++i) {
    const QString key = folder_ + QStringLiteral("/host%1_key").arg(i + 1);
    if (!keygen(key)) {
      why_ = "ssh-keygen failed";
      return;
    }
    known += HostAddress(i).toUtf8() + ' ' + ReadFile(key + ".pub");
    config += "Host " + Name(i).toUtf8() + "\n  HostName " + HostAddress(i).toUtf8() + '\n';
  }
  WriteFile(folder_ + "/known_hosts", known);
  WriteFile(sshConfig(),
            config + "Host *\n  User root\n  IdentityFile " + folder_.toUtf8() +
                "/client_key\n  IdentitiesOnly yes\n  UserKnownHostsFile " + folder_.toUtf8() +
                "/known_hosts\n  StrictHostKeyChecking yes\n  BatchMode yes\n  ConnectTimeout 5\n"
                "  ServerAliveInterval 2\n  ServerAliveCountMax 3\n  LogLevel ERROR\n");
  // The server's own folder for privilege separation, as its package's service makes it.
  QDir().mkpath("/run/sshd");
  for (int i = 0; i < count_; ++i)
    if (!StartServer(i, programFolders[i])) return;
}

SshHosts::~SshHosts() {
  for (const QString& ns : namespaces_) KillAll(ns);
  for (const QString& ns : namespaces_) RunTool("ip", {"netns", "delete", ns});
}

bool SshHosts::Ip(const QStringList& args) {
  const ToolRun run = RunTool("ip", args);
  if (run.exitCode != 0) why_ = QString::fromUtf8(run.err).trimmed();
  return run.exitCode == 0;
}

bool SshHosts::StartServer(int host, const QString& programFolder) {
  const QString config = folder_ + QStringLiteral("/sshd_config%1").arg(host + 1);
  WriteFile(config, ("ListenAddress " + HostAddress(host) + "\nHostKey " + folder_ +
                     QStringLiteral("/host%1_key").arg(host + 1) + "\nAuthorizedKeysFile " + folder_ +
                     "/authorized_keys\nPermitRootLogin prohibit-password\nPasswordAuthentication no\n"
                     "KbdInteractiveAuthentication no\nUsePAM no\nStrictModes no\nPidFile none\n"
                     "SetEnv PATH=" +
                     programFolder + ":/usr/local/bin:/usr/bin:/bin\n")
                        .toUtf8());
  // Detached: it lives in the host's namespace until the host is killed, or its time is up.
  if (!QProcess::startDetached("ip", {"netns", "exec", Namespace(QStringLiteral("h%1").arg(host + 1)),
                                      "timeout", kServerLifetime, kSshd, "-D", "-f", config})) {
    why_ = "sshd cannot be started";
    return false;
  }
  if (testsupport::WaitFor(
          [&] {
            return Run("ssh", {"-F", sshConfig(), Name(host), "true"}, folder_, {}, 10000).exitCode == 0;
          },
          20000))
    return true;
  why_ = "the ssh server of " + Name(host) + " does not answer";
  return false;
}

ToolRun SshHosts::Run(const QString& program, const QStringList& args, const QString& workDir,
                      const QStringList& environment, int timeoutMs) const {
  return RunTool(
      "ip", QStringList{"netns", "exec", Namespace("c"), "env"} + environment + QStringList{program} + args,
      workDir, {}, timeoutMs);
}

void SshHosts::Kill(int host) const { KillAll(Namespace(QStringLiteral("h%1").arg(host + 1))); }
