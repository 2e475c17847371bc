#pragma once

#include "ResultPacket.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QJsonValue;

// What kpfhost --readable prints for a person in place of the STATE and ROW lines that scripts
// read: the screen's lines and the returned lines as aligned tables, numbers with two decimals.
class ReadableReport
{
public:
    // language: kpfhost's --lang ("en" writes a decimal point, the others a comma).
    explicit ReadableReport(const QString &language);

    // The rows of a STATE object (the screen's lines, top to bottom), the current one marked.
    void PrintScreen(const QByteArray &stateJson) const;
    // The returned lines with what the host is to do with each.
    void PrintResult(const ResultPacket &packet) const;

private:
    QString Number(double value) const;
    QString Cell(const QJsonValue &value) const;
    QString Cell(const QVariant &value) const;
    static QString RowState(int rowState);
    static void PrintTable(const QStringList &headers, const QList<QStringList> &rows);

    QChar m_decimalSeparator;
};
