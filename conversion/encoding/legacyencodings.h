#pragma once

#include <QByteArray>
#include <QString>

#include <expat.h>

#include <memory>
#include <string_view>

struct LegacyEncodingTable;

// Lets a parser read documents declared in encodings it lacks (windows-1252, ISO-8859-15,
// Shift_JIS, EUC-KR …) through the system's converter: single-byte sets, and multi-byte sets in
// which the first byte tells the length of a sequence. The tables are built once per encoding,
// within milliseconds.
class LegacyEncodings {
public:
    // Makes parser ask this object for encodings it does not know; parser must not outlive it.
    void install(XML_Parser parser);

    // For a parser that failed with XML_ERROR_UNKNOWN_ENCODING: why the document's encoding
    // could not be used.
    QString failureReason() const;

    // For a parser that failed on an invalid token at the start of bytes: which byte or sequence
    // has no character in the declared encoding. Empty when the bytes are not to blame.
    QString unmappedReason(std::string_view bytes) const;

    // Whether the document's encoding is one of these sets with characters of several bytes.
    bool multiByte() const;

private:
    static int XMLCALL handleUnknownEncoding(void *self, const XML_Char *name, XML_Encoding *info);

    QString m_name;
    QByteArray m_systemName;
    std::shared_ptr<const LegacyEncodingTable> m_table;
    bool m_knownToSystem = false;
    bool m_declaredWrongly = false;
};
