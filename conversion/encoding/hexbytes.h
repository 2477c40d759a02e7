#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

// The bytes written as "0x81" or "0x82 0x20", for reasons that name them.
inline QString hexBytes(std::string_view bytes)
{
    QStringList written;
    for (const char byte : bytes)
        written.append(QStringLiteral("0x")
                       + QString::number(static_cast<unsigned char>(byte), 16)
                                 .rightJustified(2, QLatin1Char('0'))
                                 .toUpper());
    return written.join(QLatin1Char(' '));
}
