// Small GIF files made in code: a 4-colour global table (black, red, green, blue)
// and frames of one flat colour each, LZW-coded with a clear code before every
// pixel so the codes stay 3 bits wide.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace pellimar::test {

struct GifFrame {
    std::uint16_t left = 0, top = 0, width = 1, height = 1;
    std::uint8_t colour = 1;  // index into the table
    bool withControlExtension = true;
};

inline void putLe16(QByteArray& out, std::uint16_t v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

inline QByteArray flatFrameLzw(int pixels, std::uint8_t colour) {
    const unsigned clear = 4, eoi = 5;
    QByteArray bits;
    std::uint32_t acc = 0;
    int nbits = 0;
    auto putCode = [&](unsigned code) {
        acc |= code << nbits;
        nbits += 3;
        while (nbits >= 8) {
            bits.append(char(acc & 0xFF));
            acc >>= 8;
            nbits -= 8;
        }
    };
    for (int i = 0; i < pixels; ++i) {
        putCode(clear);
        putCode(colour);
    }
    putCode(eoi);
    if (nbits > 0) bits.append(char(acc & 0xFF));
    QByteArray out;
    out.append(char(2));  // minimum code size
    for (qsizetype at = 0; at < bits.size(); at += 255) {
        const QByteArray block = bits.mid(at, 255);
        out.append(char(block.size()));
        out.append(block);
    }
    out.append(char(0));
    return out;
}

// Returns the file; frameStarts receives the offset of each frame's control
// extension (or of its image descriptor when it has none).
inline QByteArray buildGif(std::uint16_t screenW, std::uint16_t screenH,
                           const std::vector<GifFrame>& frames,
                           std::vector<qsizetype>* frameStarts = nullptr) {
    QByteArray g("GIF89a");
    putLe16(g, screenW);
    putLe16(g, screenH);
    g.append(char(0x81));  // global table of 4 entries
    g.append(char(0));
    g.append(char(0));
    const unsigned char table[12] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    g.append(reinterpret_cast<const char*>(table), 12);
    for (const GifFrame& f : frames) {
        if (frameStarts) frameStarts->push_back(g.size());
        if (f.withControlExtension) {
            const unsigned char gce[8] = {0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00};
            g.append(reinterpret_cast<const char*>(gce), 8);
        }
        g.append(char(0x2C));
        putLe16(g, f.left);
        putLe16(g, f.top);
        putLe16(g, f.width);
        putLe16(g, f.height);
        g.append(char(0));
        g.append(flatFrameLzw(f.width * f.height, f.colour));
    }
    g.append(char(0x3B));
    return g;
}

}  // namespace pellimar::test
