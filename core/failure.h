#pragma once

#include <QString>

#include <exception>

// An unexpected failure of an operation: a description for the error report, and a number
// for the callers that tell failures apart.
class Failure : public std::exception {
public:
    explicit Failure(QString description, int number = 0)
        : m_description(std::move(description)), m_utf8(m_description.toUtf8()), m_number(number)
    {
    }

    const QString &description() const noexcept { return m_description; }
    int number() const noexcept { return m_number; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
    int m_number;
};

// The description of whatever was thrown, for reports and logs.
QString describeCurrentException();
