// The table dataset's refusal. Derived from the general exception class on
// purpose: code that handles only the dataset layer's own errors does not
// see it.
#pragma once

#include <QString>
#include <stdexcept>

class EXbaseError : public std::runtime_error {
public:
    explicit EXbaseError(const QString &message) : std::runtime_error(message.toStdString()) {}
    explicit EXbaseError(const char *message) : std::runtime_error(message) {}

    QString message() const { return QString::fromStdString(what()); }
};
