// The download over HTTPS from a loopback server whose certificate is made by the test: a
// certificate Qt can verify makes the origin established; one it cannot verify ends the download.
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslKey>

#include "LoopbackHttpServer.h"
#include "UpdateFixtures.h"
#include "support/TestSupport.h"
#include "update/UpdateHandover.h"
#include "update/vxDownFile.h"

using testsupport::RunTool;
using testsupport::TempDir;

namespace {

// A certificate authority and a certificate for 127.0.0.1 signed by it, made with openssl.
struct TestCertificates {
  TempDir dir;
  QSslCertificate ca;
  QSslConfiguration server;

  bool Make() {
    const QString d = dir.path();
    testsupport::WriteFile(dir.file("ext.cnf"), "subjectAltName=IP:127.0.0.1\n");
    const QList<QStringList> steps = {
        {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
         d + "/ca.key", "-out", d + "/ca.pem", "-days", "2", "-subj", "/CN=Harrowmint Test CA"},
        {"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
         d + "/srv.key", "-out", d + "/srv.csr", "-subj", "/CN=127.0.0.1"},
        {"x509", "-req", "-in", d + "/srv.csr", "-CA", d + "/ca.pem", "-CAkey", d + "/ca.key",
         "-CAcreateserial", "-out", d + "/srv.pem", "-days", "2", "-extfile", d + "/ext.cnf"},
    };
    for (const QStringList& step : steps) {
      const testsupport::ToolRun run = RunTool("openssl", step);
      if (run.exitCode != 0) {
        ADD_FAILURE() << "openssl " << step.join(' ').toStdString() << ": " << run.err.toStdString();
        return false;
      }
    }
    ca = QSslCertificate::fromPath(d + "/ca.pem").value(0);
    server = QSslConfiguration::defaultConfiguration();
    server.setLocalCertificate(QSslCertificate::fromPath(d + "/srv.pem").value(0));
    server.setPrivateKey(QSslKey(testsupport::ReadFile(d + "/srv.key"), QSsl::Ec));
    return !ca.isNull() && !server.localCertificate().isNull() && !server.privateKey().isNull();
  }
};

struct HttpsDownload {
  TempDir dir;
  TvxDownFile down;
  QSignalSpy end{&down, &TvxDownFile::OnDownEnd};

  bool Run(const QString& url) {
    down.SavePath = dir.file("update/update.exe");
    down.SetUrl(url);
    down.Start(false);
    EXPECT_TRUE(end.wait(20000));
    return end.size() == 1 && end.at(0).at(0).toBool();
  }
};

TEST(HttpsDownload, OnlyAVerifiedCertificateEstablishesTheOrigin) {
  HM_REQUIRE_TOOL("openssl");
  TestCertificates certificates;
  ASSERT_TRUE(certificates.Make());
  TLoopbackHttpServer server(&certificates.server);
  const QString record = certificates.dir.file("ran.txt");
  const QByteArray installer = "#!/bin/sh\necho ran > '" + record.toUtf8() + ".part' && mv '" +
                               record.toUtf8() + ".part' '" + record.toUtf8() + "'\n";
  server.Serve("/setup", installer);

  // A certificate of an authority nobody trusts: no transfer at all.
  HttpsDownload untrusted;
  EXPECT_FALSE(untrusted.Run(server.Url("/setup")));
  EXPECT_FALSE(untrusted.down.CameOverVerifiedHttps());
  EXPECT_EQ(server.Requests(), QStringList()) << "nothing is asked of a server that is not verified";

  // The authority trusted: complete, verified, and the installer may run without a digest.
  const QSslConfiguration original = QSslConfiguration::defaultConfiguration();
  QSslConfiguration trusting = original;
  trusting.addCaCertificate(certificates.ca);
  QSslConfiguration::setDefaultConfiguration(trusting);
  HttpsDownload trusted;
  const bool complete = trusted.Run(server.Url("/setup"));
  QSslConfiguration::setDefaultConfiguration(original);
  ASSERT_TRUE(complete);
  EXPECT_TRUE(trusted.down.CameOverVerifiedHttps());

  TUpdateOffer offer;
  offer.UpdateDataFormat = "exe";
  const TInstallResult result = InstallDownloadedUpdate(
      offer, trusted.down.SavePath, trusted.down.CameOverVerifiedHttps(), trusted.dir.path() + '/');
  EXPECT_TRUE(result.started) << result.reason.toStdString();
  EXPECT_TRUE(WaitForFile(record));
}

}  // namespace
