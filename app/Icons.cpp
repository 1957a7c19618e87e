#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace licytek {
namespace {

using Drawing = std::function<void(QPainter&)>;

// The same 16 by 16 drawing at two scales, so that the icon stays sharp on dense screens.
QIcon IconOf(const Drawing& draw) {
    QIcon icon;
    for (const int side : {16, 32}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / 16.0, side / 16.0);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor kOutline(40, 40, 40);

}  // namespace

QIcon ColourPickerIcon() {
    return IconOf([](QPainter& painter) {
        painter.setPen(QPen(kOutline, 0.8));
        const QColor colours[] = {QColor(220, 30, 30), QColor(40, 170, 40), QColor(30, 80, 220),
                                  QColor(245, 200, 20)};
        for (int i = 0; i < 4; ++i) {
            painter.setBrush(colours[i]);
            const int column = i % 2;
            const int row = i / 2;
            painter.drawRect(QRectF(1.5 + column * 7.0, 1.5 + row * 7.0, 6.0, 6.0));
        }
    });
}

QIcon PreviewIcon() {
    return IconOf([](QPainter& painter) {
        painter.setPen(QPen(kOutline, 0.8));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(1.5, 0.5, 9.0, 12.0));
        painter.setPen(QPen(QColor(120, 120, 120), 0.8));
        for (const double y : {3.0, 5.0, 7.0}) {
            painter.drawLine(QPointF(3.0, y), QPointF(9.0, y));
        }
        painter.setPen(QPen(kOutline, 1.2));
        painter.setBrush(QColor(170, 215, 250, 200));
        painter.drawEllipse(QPointF(9.5, 9.5), 3.5, 3.5);
        painter.setPen(QPen(kOutline, 2.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(12.2, 12.2), QPointF(15.0, 15.0));
    });
}

QIcon SaveIcon() {
    return IconOf([](QPainter& painter) {
        painter.setPen(QPen(kOutline, 0.8));
        painter.setBrush(QColor(40, 80, 160));
        QPainterPath disk;
        disk.moveTo(1.5, 1.5);
        disk.lineTo(12.5, 1.5);
        disk.lineTo(14.5, 3.5);
        disk.lineTo(14.5, 14.5);
        disk.lineTo(1.5, 14.5);
        disk.closeSubpath();
        painter.drawPath(disk);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(4.0, 1.5, 8.0, 5.0));
        painter.setBrush(QColor(200, 200, 200));
        painter.drawRect(QRectF(4.0, 9.5, 8.0, 5.0));
    });
}

QIcon LoadIcon() {
    return IconOf([](QPainter& painter) {
        painter.setPen(QPen(kOutline, 0.8));
        painter.setBrush(QColor(230, 180, 60));
        QPainterPath back;
        back.moveTo(1.5, 3.5);
        back.lineTo(6.0, 3.5);
        back.lineTo(7.5, 5.0);
        back.lineTo(13.5, 5.0);
        back.lineTo(13.5, 13.5);
        back.lineTo(1.5, 13.5);
        back.closeSubpath();
        painter.drawPath(back);
        painter.setBrush(QColor(250, 210, 100));
        QPainterPath front;
        front.moveTo(1.5, 13.5);
        front.lineTo(4.0, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13.5, 13.5);
        front.closeSubpath();
        painter.drawPath(front);
    });
}

}  // namespace licytek
