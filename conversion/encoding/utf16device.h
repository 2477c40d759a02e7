#pragma once

#include "conversion/encoding/unitsdevice.h"

// Reads a UTF-16 document from a source device and hands it out unchanged, for a parser that
// takes a high surrogate and whatever unit follows as one character. An unpaired surrogate
// ends the output with the unit U+FFFF, which the parser refuses where it stands.
class Utf16Device final : public UnitsDevice {
public:
    Utf16Device(QIODevice &source, bool bigEndian) : UnitsDevice(source, bigEndian) { }

private:
    // Hands out the units up to one that may pair with one still to come.
    void process(bool ended) override;
    char16_t unitAt(qsizetype at) const;
};
