#pragma once

#include <QString>

// How the delimited lines are written. The defaults give the plain output: no quoting, no
// byte-order mark, CR LF line ends, no attributes.
struct CsvFormat {
    enum class Quoting {
        None, // fields as they are
        Needed, // a field holding the delimiter, a double quote, CR or LF is quoted
        All, // every field is quoted
    };

    QString delimiter = QStringLiteral(",");
    Quoting quoting = Quoting::None;
    bool byteOrderMark = false;
    bool crlf = true;
    bool attributes = false; // each attribute gives a line "path,@name,value"
    // A field that a spreadsheet would run as a formula (it starts with "=", "+", "-", "@", a
    // tab or CR) is written with a single quote before it, so that it opens as text.
    bool formulasAsText = false;
};
