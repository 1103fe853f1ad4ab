#include "app/pictures.h"

#include "core/shell.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ostrolen {
namespace {

const QColor kGreen(0x1E, 0x9E, 0x32);
const QColor kDarkGreen(0x0B, 0x5E, 0x1A);

// An icon painted in a 16-unit square at whatever size it is shown, when
// it is shown: nothing is drawn while the window is being built.
class PaintedIcon : public QIconEngine {
 public:
  using Paint = void (*)(QPainter&);
  explicit PaintedIcon(Paint paint) : paint_(paint) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.topLeft());
    painter->scale(rect.width() / 16.0, rect.height() / 16.0);
    if (mode == QIcon::Disabled) painter->setOpacity(0.4);
    paint_(*painter);
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
  }

  QIconEngine* clone() const override { return new PaintedIcon(paint_); }

 private:
  Paint paint_;
};

QIcon IconOf(PaintedIcon::Paint paint) { return QIcon(new PaintedIcon(paint)); }

// A thick green arrow: a quarter bend from `from`, ending in a head at `to`.
void BentArrow(QPainter& p, QPointF from, QPointF corner, QPointF to) {
  QPainterPath shaft(from);
  shaft.quadTo(corner, to);
  p.setPen(QPen(kDarkGreen, 4.2, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(shaft);
  p.setPen(QPen(kGreen, 2.6, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(shaft);
  // Head along the direction in which the curve arrives.
  const QPointF dir = to - corner;
  const double length = std::hypot(dir.x(), dir.y());
  const QPointF u = dir / (length > 0 ? length : 1);
  const QPointF n(-u.y(), u.x());
  const QPointF tip = to + u * 3.0;
  QPolygonF head({tip, to - u * 1.0 + n * 3.4, to - u * 1.0 - n * 3.4});
  p.setPen(QPen(kDarkGreen, 0.8));
  p.setBrush(kGreen);
  p.drawPolygon(head);
}

void PaintBook(QPainter& p) {
  p.setPen(QPen(QColor(0x40, 0x30, 0x20), 0.8));
  // Two pages of an open book.
  QPolygonF left({{1, 5}, {7.5, 6.5}, {7.5, 14.5}, {1, 13}});
  QPolygonF right({{14, 5}, {7.5, 6.5}, {7.5, 14.5}, {14, 13}});
  p.setBrush(QColor(0xFF, 0xFB, 0xE8));
  p.drawPolygon(left);
  p.drawPolygon(right);
  p.setPen(QPen(QColor(0x80, 0x80, 0x80), 0.6));
  for (double y = 8; y <= 12; y += 1.6) {
    p.drawLine(QPointF(2.3, y - 0.9), QPointF(6.5, y));
    p.drawLine(QPointF(8.5, y), QPointF(12.7, y - 0.9));
  }
  // The pen beside it.
  p.setPen(QPen(QColor(0x20, 0x20, 0x60), 0.6));
  p.setBrush(QColor(0x30, 0x50, 0xC0));
  QPolygonF pen({{10.5, 1.0}, {12.0, 0.2}, {15.6, 7.0}, {14.1, 7.8}});
  p.drawPolygon(pen);
  p.setBrush(QColor(0xE0, 0xC0, 0x60));
  p.drawPolygon(QPolygonF({{14.1, 7.8}, {15.6, 7.0}, {15.6, 9.6}}));
}

void PaintDisc(QPainter& p) {
  p.setPen(QPen(kDarkGreen, 0.8));
  p.setBrush(kGreen);
  p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
  p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(QPointF(4.5, 8), QPointF(11, 8));
  p.drawPolyline(QPolygonF({{8.2, 5.0}, {11.3, 8}, {8.2, 11.0}}));
}

}  // namespace

QIcon ButtonIcon(Picture picture) {
  switch (picture) {
    case Picture::ArrowDown: return IconOf([](QPainter& p) { BentArrow(p, {2.5, 3}, {11, 2.5}, {11, 11}); });
    case Picture::ArrowUp: return IconOf([](QPainter& p) { BentArrow(p, {2.5, 13}, {11, 13.5}, {11, 5}); });
    case Picture::ArrowRight: return IconOf([](QPainter& p) { BentArrow(p, {3, 2.5}, {3, 10.5}, {11.5, 10.5}); });
    case Picture::Book: return IconOf(PaintBook);
    case Picture::Disc: return IconOf(PaintDisc);
    case Picture::None: break;
  }
  return {};
}

QIcon ExitIcon() {
  return IconOf([](QPainter& p) {
    // The door frame and the door, ajar.
    p.setPen(QPen(QColor(0x50, 0x35, 0x20), 0.8));
    p.setBrush(QColor(0x3A, 0x2A, 0x20));
    p.drawRect(QRectF(6.5, 1, 8, 14));
    p.setBrush(QColor(0xB8, 0x78, 0x38));
    p.drawPolygon(QPolygonF({{6.5, 1}, {11.5, 2.5}, {11.5, 16}, {6.5, 15}}));
    p.setBrush(QColor(0xF0, 0xD0, 0x40));
    p.drawEllipse(QPointF(10.3, 8.6), 0.8, 0.8);
    // The arrow pointing into it.
    p.setPen(QPen(QColor(0xC0, 0x10, 0x10), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(0.8, 8.5), QPointF(7.0, 8.5));
    p.setBrush(QColor(0xE0, 0x20, 0x20));
    p.setPen(QPen(QColor(0xA0, 0x10, 0x10), 0.6));
    p.drawPolygon(QPolygonF({{9.2, 8.5}, {5.8, 5.6}, {5.8, 11.4}}));
  });
}

QIcon AboutIcon() {
  return IconOf([](QPainter& p) {
    // A framed picture: a landscape in a wooden frame.
    p.setPen(QPen(QColor(0x60, 0x40, 0x10), 0.8));
    p.setBrush(QColor(0xC8, 0x90, 0x40));
    p.drawRect(QRectF(0.8, 2, 11.5, 10));
    p.setBrush(QColor(0x90, 0xC8, 0xF0));
    p.drawRect(QRectF(2.3, 3.5, 8.5, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x90, 0x30));
    p.drawPolygon(QPolygonF({{2.3, 10.5}, {5, 6.5}, {7.5, 9}, {9, 7.5}, {10.8, 10.5}}));
    p.setBrush(QColor(0xF0, 0xD0, 0x20));
    p.drawEllipse(QPointF(8.8, 5.3), 1, 1);
    // The pencil across its corner.
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 0.5));
    p.setBrush(QColor(0xF0, 0xC0, 0x20));
    p.drawPolygon(QPolygonF({{15.6, 6.6}, {14.2, 5.2}, {7.8, 11.6}, {9.2, 13.0}}));
    p.setBrush(QColor(0xF0, 0xD8, 0xB0));
    p.drawPolygon(QPolygonF({{7.8, 11.6}, {9.2, 13.0}, {6.6, 14.2}}));
  });
}

QIcon AppIcon() {
  return IconOf([](QPainter& p) {
    // A console screen showing a word split into its positions.
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 0.8));
    p.setBrush(QColor(0x30, 0x38, 0x48));
    p.drawRoundedRect(QRectF(0.8, 1.5, 14.4, 11), 1.5, 1.5);
    p.setBrush(QColor(shell::kBoxBackground.red, shell::kBoxBackground.green, shell::kBoxBackground.blue));
    for (int i = 0; i < 5; ++i) p.drawRect(QRectF(2.0 + i * 2.5, 4.5, 2.0, 5));
    p.setBrush(QColor(0x60, 0x60, 0x60));
    p.drawRect(QRectF(5, 12.5, 6, 2.5));
  });
}

}  // namespace ostrolen
