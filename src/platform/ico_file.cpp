#include "platform/ico_file.h"

#include "platform/byte_reader.h"

namespace pellimar {

int IconDirEntry::statedBitCount() const {
    if (bitCount != 0 || colorCount == 0) return bitCount;
    int bits = 1;
    while (bits < 8 && (1 << bits) < colorCount) ++bits;
    return bits;
}

IconDirEntry parseCommonEntryFields(const std::uint8_t* p) {
    IconDirEntry e;
    e.width = p[0];
    e.height = p[1];
    e.colorCount = p[2];
    e.reserved = p[3];
    e.planes = loadU16(p + 4);
    e.bitCount = loadU16(p + 6);
    e.bytesInRes = loadU32(p + 8);
    return e;
}

}  // namespace pellimar
