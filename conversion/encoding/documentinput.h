#pragma once

#include "conversion/encoding/byteordermark.h"
#include "conversion/encoding/utf16device.h"
#include "conversion/encoding/utf32device.h"

#include <QString>

#include <memory>

class QIODevice;

// Reads a document's first bytes to learn what the parser cannot: a UTF-32 document is handed
// to it transcoded to UTF-8; a UTF-16 document is handed to it checked for unpaired surrogates;
// an EBCDIC document, or UCS-4 in an unusual byte order, is refused with a reason that names
// the encoding; a byte-order mark decides the encoding the parser reads. Everything else passes
// through untouched.
class DocumentInput {
public:
    explicit DocumentInput(QIODevice &input);

    // Why the document cannot be read; empty when it can.
    QString refusal() const { return m_refusal; }

    // What the parser reads: the input itself, checked, or its UTF-8 transcoding.
    QIODevice &device();

    // The encoding the parser must read device() in: "UTF-8" for a transcoding or a UTF-8
    // byte-order mark, "UTF-16" for a UTF-16 one; null when the document's declaration decides.
    const char *parserEncoding() const;

    // Why the document may not declare the encoding declared; empty when it may.
    QString declarationConflict(const QByteArray &declared) const
    {
        return byteOrderMarkConflict(m_byteOrderMark, declared);
    }

    // For a parse that failed on an invalid token at byteIndex of device(): which unit of the
    // input is no character. Empty when the input's bytes are not to blame.
    QString unmappedReason(qint64 byteIndex) const;

private:
    QIODevice &m_input;
    std::unique_ptr<Utf32Device> m_utf32;
    std::unique_ptr<Utf16Device> m_utf16;
    QString m_encodingName;
    QString m_refusal;
    ByteOrderMark m_byteOrderMark = ByteOrderMark::None;
};
