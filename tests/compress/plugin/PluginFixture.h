#pragma once
// An engine folder of the test's own, for plug-in files and the programs they name: recorder
// scripts that show exactly which arguments a plug-in run passed, links to real programs, and
// the plug-in files shipped in the repository's Engine/ folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "support/TestSupport.h"

namespace pluginfixture {

// The text of a plug-in file; an empty value leaves its key out.
inline QByteArray PluginText(const QString& name, const QString& file, const QString& uncompress,
                             const QString& ok = {}, const QString& useExternal = {}) {
  QString text = "[info]\r\n";
  if (!name.isEmpty()) text += "name=" + name + "\r\n";
  if (!file.isEmpty()) text += "file=" + file + "\r\n";
  if (!useExternal.isEmpty()) text += "useExternal=" + useExternal + "\r\n";
  text += "[cmd]\r\n";
  if (!uncompress.isEmpty()) text += "uncompress=" + uncompress + "\r\n";
  text += "[result]\r\n";
  if (!ok.isEmpty()) text += "ok=" + ok + "\r\n";
  return text.toUtf8();
}

class TEngineFolder {
 public:
  TEngineFolder() { testsupport::MakeDir(path()); }

  // Ends with '/'.
  QString path() const { return root_.path() + "/Engine/"; }
  QString file(const QString& name) const { return path() + name; }

  void WritePlugin(const QString& fileName, const QByteArray& text) const {
    testsupport::WriteFile(file(fileName), text);
  }
  void CopyShippedPlugin(const QString& fileName) const {
    const QString shipped = testsupport::SourceDir() + "/Engine/" + fileName;
    ASSERT_TRUE(QFile::copy(shipped, file(fileName))) << shipped.toStdString();
  }
  // Links `name` to a program on PATH (or to a full path), as the build links the engines.
  void LinkProgram(const QString& name, const QString& program) const {
    const QString target =
        QFileInfo(program).isAbsolute() ? program : QStandardPaths::findExecutable(program);
    ASSERT_FALSE(target.isEmpty()) << program.toStdString();
    ASSERT_TRUE(QFile::link(target, file(name)));
  }
  // A shipped plug-in file with a link to the program it names, as the build lays them out.
  void InstallShipped(const QString& plugin, const QString& program) const {
    CopyShippedPlugin(plugin);
    LinkProgram(program, program);
  }
  void InstallShippedTarAndIso() const {
    InstallShipped("tar.pk", "bsdtar");
    InstallShipped("iso.pk", "7zz");
  }
  // A program that records its arguments beside itself in "<name>.args" and exits with exitCode.
  void WriteRecorder(const QString& name, int exitCode = 0) const {
    testsupport::WriteFile(
        file(name),
        QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$0.args\"\n"
                       "exit %1\n")
            .arg(exitCode)
            .toUtf8());
    QFile::setPermissions(file(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  // What the recorder last received; empty when it never ran.
  QStringList RecordedArguments(const QString& name) const {
    const QByteArray data = testsupport::ReadFile(file(name + ".args"));
    QStringList args;
    for (const QByteArray& arg : data.split('\0')) args << QString::fromUtf8(arg);
    if (!args.isEmpty()) args.removeLast();  // the text ends with a separator
    return args;
  }
  bool RecorderRan(const QString& name) const { return QFileInfo::exists(file(name + ".args")); }

 private:
  testsupport::TempDir root_;
};

}  // namespace pluginfixture
