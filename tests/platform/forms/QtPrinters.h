#pragma once

#include <QModelIndex>
#include <QString>
#include <QStringList>
#include <ostream>

// Readable GoogleTest failure output for the Qt values these tests compare.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '[' << list.join(QStringLiteral(" | ")).toStdString() << ']';
}

inline void PrintTo(const QModelIndex &index, std::ostream *os)
{
    *os << '(' << index.row() << ", " << index.column() << ')';
}
