// gw20icon: draws the program's controller picture as a square icon for the
// desktop menu, the way the splash window draws it (Qt's SVG renderer,
// aspect kept), centred on a transparent background. Used at build time only.
//
//   gw20icon PICTURE.svg SIZE OUTPUT.png

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[]) {
  // It draws into an image, never onto a screen; the build may have none.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // The picture's labels need fonts, which need the application.
  QGuiApplication application(argc, argv);
  const QStringList args = QGuiApplication::arguments();
  bool sizeOk = false;
  const int size = args.size() == 4 ? args[2].toInt(&sizeOk) : 0;
  if (!sizeOk || size < 16 || size > 1024) {
    std::fprintf(stderr, "usage: gw20icon PICTURE.svg SIZE(16..1024) OUTPUT.png\n");
    return 2;
  }
  QSvgRenderer renderer(args[1]);
  if (!renderer.isValid()) {
    std::fprintf(stderr, "gw20icon: %s: not a readable SVG picture\n", qPrintable(args[1]));
    return 1;
  }
  QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  const QSize drawn = renderer.defaultSize().scaled(size, size, Qt::KeepAspectRatio);
  {
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF((size - drawn.width()) / 2.0, (size - drawn.height()) / 2.0),
                                     QSizeF(drawn)));
  }
  if (!icon.save(args[3], "PNG")) {
    std::fprintf(stderr, "gw20icon: %s: cannot write the icon\n", qPrintable(args[3]));
    return 1;
  }
  return 0;
}
