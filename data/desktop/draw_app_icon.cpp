// Draws the application icon: the PNG sizes of the hicolor theme and the scalable
// SVG, all from the one shape below (a 32-unit square), so that they agree.
//   pellimar-draw-icon OUTDIR NAME SIZE...   -> OUTDIR/SIZExSIZE/apps/NAME.png
//                                               and OUTDIR/scalable/apps/NAME.svg
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Tile {
    double x, y;
    QColor colour;
};

// A framed red square holding four light tiles, one per found icon.
constexpr double kFrame[] = {1.5, 1.5, 29, 29, 6};  // x, y, width, height, corner radius
const QColor kTop(190, 60, 40), kBottom(130, 30, 20), kEdge(90, 20, 10);
const Tile kTiles[] = {{6, 6, QColor(255, 255, 255)},
                       {17, 6, QColor(255, 210, 90)},
                       {6, 17, QColor(255, 210, 90)},
                       {17, 17, QColor(255, 255, 255)}};
constexpr double kTileSize = 9, kTileRadius = 2;

QImage drawPng(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    QLinearGradient background(0, 0, 0, 32);
    background.setColorAt(0, kTop);
    background.setColorAt(1, kBottom);
    p.setPen(QPen(kEdge, 1));
    p.setBrush(background);
    p.drawRoundedRect(QRectF(kFrame[0], kFrame[1], kFrame[2], kFrame[3]), kFrame[4], kFrame[4]);
    p.setPen(Qt::NoPen);
    for (const Tile& t : kTiles) {
        p.setBrush(t.colour);
        p.drawRoundedRect(QRectF(t.x, t.y, kTileSize, kTileSize), kTileRadius, kTileRadius);
    }
    p.end();
    return image;
}

std::string svg() {
    auto rgb = [](const QColor& c) { return c.name().toStdString(); };
    auto num = [](double v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", v);
        return std::string(buf);
    };
    std::string s =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 32 32\">\n"
        "  <defs>\n"
        "    <linearGradient id=\"background\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"32\" "
        "gradientUnits=\"userSpaceOnUse\">\n"
        "      <stop offset=\"0\" stop-color=\"" +
        rgb(kTop) + "\"/>\n      <stop offset=\"1\" stop-color=\"" + rgb(kBottom) +
        "\"/>\n"
        "    </linearGradient>\n"
        "  </defs>\n"
        "  <rect x=\"" +
        num(kFrame[0]) + "\" y=\"" + num(kFrame[1]) + "\" width=\"" + num(kFrame[2]) +
        "\" height=\"" + num(kFrame[3]) + "\" rx=\"" + num(kFrame[4]) +
        "\" fill=\"url(#background)\" stroke=\"" + rgb(kEdge) + "\" stroke-width=\"1\"/>\n";
    for (const Tile& t : kTiles)
        s += "  <rect x=\"" + num(t.x) + "\" y=\"" + num(t.y) + "\" width=\"" + num(kTileSize) +
             "\" height=\"" + num(kTileSize) + "\" rx=\"" + num(kTileRadius) + "\" fill=\"" +
             rgb(t.colour) + "\"/>\n";
    s += "</svg>\n";
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUTDIR NAME SIZE...\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path out = argv[1];
    const std::string name = argv[2];
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 1 || size > 1024) return 2;
        const fs::path dir = out / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
        fs::create_directories(dir);
        if (!drawPng(size).save(QString::fromStdString((dir / (name + ".png")).string()), "PNG"))
            return 1;
    }
    const fs::path dir = out / "scalable" / "apps";
    fs::create_directories(dir);
    std::ofstream(dir / (name + ".svg")) << svg();
    return 0;
}
