#include "gui/Theme.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <mutex>

// Outside any namespace, as the resource initialiser's name requires. The resources live in a
// static library, so they are registered by hand before their first use.
static void InitResources() {
  static std::once_flag once;
  std::call_once(once, [] { Q_INIT_RESOURCE(harrowmint); });
}

namespace theme {
namespace {

QPalette DarkPalette() {
  const QColor window(0x2b, 0x2d, 0x30);
  const QColor base(0x1f, 0x21, 0x23);
  const QColor text(0xe6, 0xe6, 0xe6);
  const QColor disabledText(0x7f, 0x7f, 0x7f);
  const QColor highlight(0x2f, 0x7d, 0xb3);

  QPalette p;
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3d, 0x41));
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, disabledText);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, QColor(0x35, 0x38, 0x3b));
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, QColor(0xff, 0x55, 0x55));
  p.setColor(QPalette::Light, QColor(0x4a, 0x4d, 0x51));
  p.setColor(QPalette::Midlight, QColor(0x3e, 0x41, 0x45));
  p.setColor(QPalette::Mid, QColor(0x26, 0x28, 0x2a));
  p.setColor(QPalette::Dark, QColor(0x19, 0x1a, 0x1c));
  p.setColor(QPalette::Shadow, QColor(0x0f, 0x0f, 0x10));
  p.setColor(QPalette::Highlight, highlight);
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(0x6c, 0xb4, 0xee));
  p.setColor(QPalette::LinkVisited, QColor(0xa3, 0x8c, 0xe0));
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
    p.setColor(QPalette::Disabled, role, disabledText);
  p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x45, 0x48, 0x4c));
  return p;
}

// Fusion outlines check boxes a shade darker than the window colour, which vanishes on a dark
// base: an unchecked row would show no box at all. A lighter outline is drawn over it.
class TDarkFusionStyle : public QProxyStyle {
 public:
  TDarkFusionStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element != PE_IndicatorCheckBox) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(QColor(0x8a, 0x8e, 0x93), 1));
    painter->drawRect(QRectF(option->rect).adjusted(0.5, 0.5, -1.5, -1.5));
    painter->restore();
  }
};

QIcon Resource(const char* name) {
  InitResources();
  return QIcon(QStringLiteral(":/icons/") + QLatin1String(name));
}

}  // namespace

void Apply(QApplication& app) {
  InitResources();
  app.setStyle(new TDarkFusionStyle);
  // One family for Latin and Chinese text alike, so a line does not mix two weights.
  const QString cjk = QStringLiteral("Noto Sans CJK SC");
  if (QFontDatabase::families().contains(cjk)) {
    QFont font = QApplication::font();
    font.setFamilies({cjk});
    app.setFont(font);
  }
  app.setPalette(DarkPalette());
  app.setWindowIcon(ProgramIcon());
}

// Blue and red of the classic list, lightened so they stand out on the dark base colour.
QColor PlausibleText() { return QColor(0x5c, 0xa8, 0xff); }
QColor FailedText() { return QColor(0xff, 0x5f, 0x57); }

QIcon ProgramIcon() { return Resource("harrowmint.svg"); }
QIcon StartIcon() { return Resource("start.svg"); }
QIcon StopIcon() { return Resource("stop.svg"); }
QIcon AddFolderIcon() { return Resource("add-folder.svg"); }
QIcon AddFilesIcon() { return Resource("add-files.svg"); }
QIcon ClearIcon() { return Resource("clear.svg"); }

}  // namespace theme
