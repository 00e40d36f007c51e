#pragma once
// The About window (the program, its version, its web page, OK) and what the program says about
// itself elsewhere: its name and its addresses on the web.
#include <QDialog>
#include <QString>

class QLabel;

namespace about {

inline const QString ProductName = QStringLiteral("Harrowmint");
// The project has no home yet; addresses on the example domain stand in until it has.
inline const QString HomePage = QStringLiteral("https://www.example.com/harrowmint/");
inline const QString FirstReleasePage = QStringLiteral("https://www.example.com/harrowmint/releases/");

}  // namespace about

class TfrmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmAbout(QWidget* owner);

  QLabel* lblVersion;
};
