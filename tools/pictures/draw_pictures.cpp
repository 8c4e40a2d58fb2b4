#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

// 1 for the pictures themselves, 2 for their "@2x" versions for high-density
// screens: the same drawing at twice the pixels.
static double gScale = 1;
static QString named(const QString& file) {
    return gScale == 1 ? file : file.chopped(4) + "@2x.png";
}
static QImage canvas(int s = 32) {
    QImage i(int(s * gScale), int(s * gScale), QImage::Format_ARGB32);
    i.fill(Qt::transparent);
    return i;
}
static void folder(QPainter& p, QRectF r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(255, 214, 102));
    g.setColorAt(1, QColor(230, 160, 40));
    QPainterPath tab;
    tab.moveTo(r.left(), r.top() + 4);
    tab.lineTo(r.left(), r.top() + 1);
    tab.lineTo(r.left() + r.width() * 0.4, r.top() + 1);
    tab.lineTo(r.left() + r.width() * 0.5, r.top() + 4);
    p.setPen(QPen(QColor(150, 100, 20), 1));
    p.setBrush(QColor(240, 180, 60));
    p.drawPath(tab);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(r.left(), r.top() + 4, r.width(), r.height() - 4), 2, 2);
}
static void page(QPainter& p, QRectF r) {
    QPainterPath pg;
    pg.moveTo(r.left(), r.top());
    pg.lineTo(r.right() - 7, r.top());
    pg.lineTo(r.right(), r.top() + 7);
    pg.lineTo(r.right(), r.bottom());
    pg.lineTo(r.left(), r.bottom());
    pg.closeSubpath();
    p.setPen(QPen(QColor(90, 100, 120), 1));
    p.setBrush(Qt::white);
    p.drawPath(pg);
    QPainterPath fold;
    fold.moveTo(r.right() - 7, r.top());
    fold.lineTo(r.right() - 7, r.top() + 7);
    fold.lineTo(r.right(), r.top() + 7);
    p.setBrush(QColor(220, 225, 235));
    p.drawPath(fold);
}
static void arrow(QPainter& p, QPointF from, QPointF to, QColor c) {
    p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    double a = std::atan2(to.y() - from.y(), to.x() - from.x());
    QPointF l(to.x() - 7 * std::cos(a - 0.6), to.y() - 7 * std::sin(a - 0.6)),
        r(to.x() - 7 * std::cos(a + 0.6), to.y() - 7 * std::sin(a + 0.6));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygonF({to, l, r}));
}
static void tile(QPainter& p, QRectF r, QColor c) {
    p.setPen(QPen(c.darker(160), 1));
    p.setBrush(c);
    p.drawRoundedRect(r, 2, 2);
}
int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QString out = argv[1];
    for (double scale : {1.0, 2.0}) {
        gScale = scale;
        // 0 scan a folder: folder + magnifier
        {
            QImage i = canvas();
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            folder(p, QRectF(1.5, 5.5, 24, 19));
            p.setPen(QPen(QColor(60, 60, 70), 3.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(24, 24), QPointF(30, 30));
            p.setPen(QPen(QColor(50, 60, 90), 2));
            p.setBrush(QColor(200, 230, 255, 220));
            p.drawEllipse(QPointF(19, 18), 7, 7);
            p.end();
            i.save(named(out + "/toolbar/0.png"));
        }
        // 1 grab from a file: page with small icon tiles and arrow
        {
            QImage i = canvas();
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            page(p, QRectF(3.5, 1.5, 20, 27));
            tile(p, QRectF(7, 10, 5, 5), QColor(70, 130, 220));
            tile(p, QRectF(14, 10, 5, 5), QColor(220, 80, 60));
            tile(p, QRectF(7, 17, 5, 5), QColor(90, 180, 90));
            tile(p, QRectF(14, 17, 5, 5), QColor(240, 190, 50));
            arrow(p, QPointF(20, 26), QPointF(29, 18), QColor(30, 140, 60));
            p.end();
            i.save(named(out + "/toolbar/1.png"));
        }
        // 2 clear all: list with red cross
        {
            QImage i = canvas();
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(110, 120, 140), 1));
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRectF(2.5, 3.5, 22, 24), 2, 2);
            p.setPen(QPen(QColor(150, 160, 180), 2));
            for (int y = 9; y <= 23; y += 5) p.drawLine(QPointF(6, y), QPointF(20, y));
            p.setPen(QPen(QColor(210, 40, 40), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(18, 17), QPointF(29, 28));
            p.drawLine(QPointF(29, 17), QPointF(18, 28));
            p.end();
            i.save(named(out + "/toolbar/2.png"));
        }
        // 3 help: blue circle with ?
        {
            QImage i = canvas();
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            QRadialGradient g(QPointF(12, 10), 18);
            g.setColorAt(0, QColor(110, 170, 250));
            g.setColorAt(1, QColor(30, 90, 190));
            p.setPen(QPen(QColor(20, 60, 140), 1));
            p.setBrush(g);
            p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
            QFont f("DejaVu Sans");
            f.setPixelSize(21);
            f.setBold(true);
            p.setFont(f);
            p.setPen(Qt::white);
            p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, "?");
            p.end();
            i.save(named(out + "/toolbar/3.png"));
        }
        // 4 save: floppy disk
        {
            QImage i = canvas();
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            QPainterPath d;
            d.moveTo(3.5, 3.5);
            d.lineTo(24.5, 3.5);
            d.lineTo(28.5, 7.5);
            d.lineTo(28.5, 28.5);
            d.lineTo(3.5, 28.5);
            d.closeSubpath();
            p.setPen(QPen(QColor(20, 40, 90), 1));
            p.setBrush(QColor(50, 90, 170));
            p.drawPath(d);
            p.setBrush(QColor(235, 238, 245));
            p.drawRect(QRectF(8.5, 3.5, 14, 9));
            p.setBrush(QColor(50, 90, 170));
            p.drawRect(QRectF(17.5, 5, 3, 6));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(7.5, 16.5, 17, 12));
            p.setPen(QPen(QColor(170, 180, 200), 1.5));
            p.drawLine(QPointF(10, 20.5), QPointF(22, 20.5));
            p.drawLine(QPointF(10, 24.5), QPointF(22, 24.5));
            p.end();
            i.save(named(out + "/toolbar/4.png"));
        }
        // 5 exit: door with arrow
        {
            QImage i = canvas();
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(90, 60, 30), 1));
            p.setBrush(QColor(160, 110, 60));
            p.drawRect(QRectF(4.5, 2.5, 15, 27));
            p.setBrush(QColor(120, 80, 40));
            QPolygonF leaf(
                {QPointF(4.5, 2.5), QPointF(14.5, 6.5), QPointF(14.5, 29.5), QPointF(4.5, 29.5)});
            p.drawPolygon(leaf);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(250, 210, 90));
            p.drawEllipse(QPointF(12.5, 17), 1.3, 1.3);
            arrow(p, QPointF(17, 16), QPointF(30, 16), QColor(200, 40, 40));
            p.end();
            i.save(named(out + "/toolbar/5.png"));
        }
        // 6 view style: grid of tiles
        {
            QImage i = canvas();
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            QColor c[4] = {QColor(70, 130, 220), QColor(220, 80, 60), QColor(90, 180, 90),
                           QColor(240, 190, 50)};
            for (int k = 0; k < 4; k++)
                tile(p, QRectF(3.5 + (k % 2) * 13, 3.5 + (k / 2) * 13, 11, 11), c[k]);
            p.end();
            i.save(named(out + "/toolbar/6.png"));
        }
        // icon viewer, 16 x 16: 0 save as bmp, a framed landscape; 1 save as icon, four tiles
        {
            QImage i = canvas(16);
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(90, 70, 40), 1));
            p.setBrush(QColor(140, 200, 250));
            p.drawRect(QRectF(0.5, 2.5, 15, 11));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(250, 210, 60));
            p.drawEllipse(QPointF(11.5, 6), 1.8, 1.8);
            p.setBrush(QColor(70, 160, 70));
            p.drawPolygon(QPolygonF({QPointF(1, 13), QPointF(6, 7), QPointF(10, 11),
                                     QPointF(12, 9.5), QPointF(15, 13)}));
            p.end();
            i.save(named(out + "/viewer/0.png"));
        }
        {
            QImage i = canvas(16);
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            QColor c[4] = {QColor(70, 130, 220), QColor(220, 80, 60), QColor(90, 180, 90),
                           QColor(240, 190, 50)};
            for (int k = 0; k < 4; k++)
                tile(p, QRectF(1.5 + (k % 2) * 7, 1.5 + (k / 2) * 7, 6, 6), c[k]);
            p.end();
            i.save(named(out + "/viewer/1.png"));
        }
        // application icon: a framed picture with a gem-like shape and magnifier
        for (int s : {32, 64}) {
            QImage i = canvas(s);
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(s / 32.0, s / 32.0);
            QLinearGradient bg(0, 0, 0, 32);
            bg.setColorAt(0, QColor(190, 60, 40));
            bg.setColorAt(1, QColor(130, 30, 20));
            p.setPen(QPen(QColor(90, 20, 10), 1));
            p.setBrush(bg);
            p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
            QColor c[4] = {QColor(255, 255, 255), QColor(255, 210, 90), QColor(255, 210, 90),
                           QColor(255, 255, 255)};
            for (int k = 0; k < 4; k++) {
                p.setPen(Qt::NoPen);
                p.setBrush(c[k]);
                p.drawRoundedRect(QRectF(6 + (k % 2) * 11, 6 + (k / 2) * 11, 9, 9), 2, 2);
            }
            p.end();
            i.save(named(out + (s == 32 ? "/pellimar.png" : "/pellimar-64.png")));
        }
        // tips: light bulb
        {
            QImage i = canvas();
            QPainter p(&i);
            p.scale(gScale, gScale);
            p.setRenderHint(QPainter::Antialiasing);
            QRadialGradient g(QPointF(13, 10), 14);
            g.setColorAt(0, QColor(255, 255, 200));
            g.setColorAt(1, QColor(250, 200, 40));
            p.setPen(QPen(QColor(170, 120, 10), 1));
            p.setBrush(g);
            p.drawEllipse(QRectF(6.5, 2.5, 19, 19));
            p.setBrush(QColor(160, 160, 170));
            p.setPen(QPen(QColor(90, 90, 100), 1));
            p.drawRoundedRect(QRectF(11.5, 20.5, 9, 8), 1.5, 1.5);
            p.drawLine(QPointF(11.5, 23.5), QPointF(20.5, 23.5));
            p.drawLine(QPointF(11.5, 26), QPointF(20.5, 26));
            p.end();
            i.save(named(out + "/tips.png"));
        }
    }
    return 0;
}
