#pragma once

#include "conversion/encoding/unitsdevice.h"

// Reads a UTF-32 document from a source device and hands it out as UTF-8, for a parser that
// knows no UTF-32. A byte-order mark at the start is dropped. A unit that is no character (above
// U+10FFFF, a surrogate, or cut short by the end) ends the output with the byte 0xFF, which the
// parser refuses where it stands.
class Utf32Device final : public UnitsDevice {
public:
    Utf32Device(QIODevice &source, bool bigEndian) : UnitsDevice(source, bigEndian) { }

private:
    // Converts the whole units read so far.
    void process(bool ended) override;
    void appendUnit(const char *unit);

    bool m_started = false;
};
