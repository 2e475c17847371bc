#include "ReadableReport.h"

#include "HostOutput.h"

#include <QCoreApplication>
#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace
{
// The grid's columns and the tax the module computes, as a person reads the screen.
const char *const screenFields[] = {"CDIMPOSTO", "VRALIQIMPRZ", "VRBCALCIMPRZ", "VRIMPOSTORZ"};
} // namespace

ReadableReport::ReadableReport(const QString &language)
    : m_decimalSeparator(language == QLatin1String("en") ? QLatin1Char('.') : QLatin1Char(','))
{
}

void ReadableReport::PrintScreen(const QByteArray &stateJson) const
{
    const QJsonObject state = QJsonDocument::fromJson(stateJson).object();
    const int current = state.value(QLatin1String("recNo")).toInt(-1);
    QStringList headers{QString()};
    for (const char *field : screenFields)
        headers << QLatin1String(field);
    QList<QStringList> rows;
    const QJsonArray lines = state.value(QLatin1String("rows")).toArray();
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QJsonObject line = lines.at(index).toObject();
        QStringList cells{index == current ? QStringLiteral(">") : QString()};
        for (const char *field : screenFields)
            cells << Cell(line.value(QLatin1String(field)));
        rows << cells;
    }
    HostOutput::Line(QCoreApplication::translate("kpfhost", "Linhas na tela:"));
    PrintTable(headers, rows);
}

void ReadableReport::PrintResult(const ResultPacket &packet) const
{
    QStringList headers;
    for (const ResultPacket::Field &field : packet.fields)
        headers << field.name;
    headers << QCoreApplication::translate("kpfhost", "estado");
    QList<QStringList> rows;
    for (const ResultPacket::Row &row : packet.rows) {
        QStringList cells;
        for (const QVariant &value : row.values)
            cells << Cell(value);
        rows << (cells << RowState(row.rowState));
    }
    HostOutput::Line(QCoreApplication::translate("kpfhost", "Confirmado. Linhas devolvidas:"));
    PrintTable(headers, rows);
}

QString ReadableReport::Number(double value) const
{
    QString text = QString::number(value, 'f', 2);
    return text.replace(QLatin1Char('.'), m_decimalSeparator);
}

QString ReadableReport::Cell(const QJsonValue &value) const
{
    if (value.isDouble())
        return Number(value.toDouble());
    return value.toString();
}

QString ReadableReport::Cell(const QVariant &value) const
{
    switch (value.typeId()) {
    case QMetaType::Double:
        return Number(value.toDouble());
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODate);
    default:
        return value.toString();
    }
}

// The ROW lines' word for the row, in the report's language.
QString ReadableReport::RowState(int rowState)
{
    const QString name = ResultPacket::RowStateName(rowState);
    if (name == QLatin1String("inserted"))
        return QCoreApplication::translate("kpfhost", "incluída");
    if (name == QLatin1String("deleted"))
        return QCoreApplication::translate("kpfhost", "excluída");
    if (name == QLatin1String("modified"))
        return QCoreApplication::translate("kpfhost", "alterada");
    return QCoreApplication::translate("kpfhost", "sem mudança");
}

void ReadableReport::PrintTable(const QStringList &headers, const QList<QStringList> &rows)
{
    if (rows.isEmpty()) {
        HostOutput::Line(QCoreApplication::translate("kpfhost", "  (nenhuma linha)"));
        return;
    }
    QList<qsizetype> widths;
    for (const QString &header : headers)
        widths << header.size();
    for (const QStringList &row : rows) {
        for (qsizetype column = 0; column < row.size() && column < widths.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    }
    const auto print = [&widths](const QStringList &cells) {
        QStringList padded;
        for (qsizetype column = 0; column < cells.size() && column < widths.size(); ++column)
            padded << cells[column].leftJustified(widths[column]);
        QString line = QStringLiteral("  ") + padded.join(QStringLiteral("  "));
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        HostOutput::Line(line);
    };
    print(headers);
    for (const QStringList &row : rows)
        print(row);
}
