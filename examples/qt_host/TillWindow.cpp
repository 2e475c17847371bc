#include "TillWindow.h"

#include "ModuleLibrary.h"
#include "ResultStore.h"
#include "ui_TillWindow.h"

#include <QAction>
#include <QDate>
#include <QHeaderView>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

void Print(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Values as the Pascal host prints them: dates YYYY-MM-DD, numbers with a full stop.
QString Text(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return value.toDateTime().date().toString(Qt::ISODate);
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 15);
    default:
        return value.toString();
    }
}

// What a TBufDataset shows of a row: deleted rows and the originals of modified ones are hidden.
QString Status(int rowState)
{
    if (rowState & 4)
        return QStringLiteral("inserted");
    if (rowState & 8)
        return QStringLiteral("modified");
    if (rowState & 3)
        return {};
    return QStringLiteral("unmodified");
}

} // namespace

TillWindow::TillWindow(ModuleLibrary &module, const Key &key, int timerCallMs)
    : m_ui(std::make_unique<Ui::TillWindow>()), m_module(module), m_timerCallMs(timerCallMs)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    m_ui->edtFilial->setText(key.branch);
    m_ui->edtCaixa->setText(key.till);
    m_ui->edtReducaoZ->setText(key.zCounter);
    m_ui->edtData->setText(key.date);
    m_ui->tblLinhas->setModel(&m_lines);
    m_ui->btnGravar->setEnabled(false);
    connect(m_ui->btnImpostos, &QPushButton::clicked, this, &TillWindow::CallModule);
    connect(m_ui->btnGravar, &QPushButton::clicked, this, &TillWindow::Store);
    // A main window has no default button: Return presses "Impostos" here.
    for (const int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, m_ui->btnImpostos,
                &QPushButton::click);
    auto *quit = new QAction(this);
    quit->setShortcut(QKeySequence::Quit);
    addAction(quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

TillWindow::~TillWindow() = default;

double TillWindow::DateTime(const QString &isoDate)
{
    const QDate date = QDate::fromString(isoDate, Qt::ISODate);
    return date.isValid() ? double(QDate(1899, 12, 30).daysTo(date)) : -1e9;
}

void TillWindow::CallModule()
{
    // The screen is made transient for this window, which gets the activation back after it.
    m_module.SetHostWindow(winId());
    if (m_timerCallMs >= 0)
        QTimer::singleShot(m_timerCallMs, this, &TillWindow::CallFromTimer);
    const ModuleLibrary::Call call =
        m_module.CriaImpostoRedz(m_ui->edtFilial->text(), m_ui->edtCaixa->text(),
                                 m_ui->edtReducaoZ->text(), DateTime(m_ui->edtData->text()));
    if (call.code == 1) {
        Print(QStringLiteral("NOT CONFIRMED"));
        statusBar()->showMessage(tr("Impostos não confirmados"));
        return;
    }
    if (call.code != 0) {
        Print(QStringLiteral("FAILED ") + call.error);
        statusBar()->showMessage(call.error);
        return;
    }
    QString error;
    m_result = ResultPacket::Parse(call.packet, &error);
    if (!m_result) {
        Print(QStringLiteral("FAILED ") + error);
        return;
    }
    Print(QStringLiteral("CONFIRMED"));
    ShowLines(*m_result);
    m_ui->btnGravar->setEnabled(true);
}

// A timer of the host fires during the call, as the host's timers do, and tries the entry again.
void TillWindow::CallFromTimer()
{
    const ModuleLibrary::Call call =
        m_module.CriaImpostoRedz(m_ui->edtFilial->text(), m_ui->edtCaixa->text(),
                                 m_ui->edtReducaoZ->text(), DateTime(m_ui->edtData->text()));
    Print(call.code == 2 ? QStringLiteral("TIMER FAILED ") + call.error
                         : QStringLiteral("TIMER CALLED ") + QString::number(call.code));
}

void TillWindow::ShowLines(const ResultPacket &packet)
{
    m_lines.clear();
    QStringList headers;
    for (const ResultPacket::Field &field : packet.fields)
        headers << field.name;
    headers << QStringLiteral("UpdateStatus");
    m_lines.setHorizontalHeaderLabels(headers);
    // Stored lines first, then the typed ones, as a TBufDataset loaded with its change log lists
    // them, so that this host and the Pascal ones print the same.
    std::vector<const ResultPacket::Row *> rows;
    for (const ResultPacket::Row &row : packet.rows)
        rows.push_back(&row);
    std::stable_partition(rows.begin(), rows.end(),
                          [](const ResultPacket::Row *row) { return !(row->rowState & 4); });
    for (const ResultPacket::Row *visible : rows) {
        const ResultPacket::Row &row = *visible;
        const QString status = Status(row.rowState);
        if (status.isEmpty())
            continue;
        QList<QStandardItem *> cells;
        QString line = QStringLiteral("ROW");
        for (size_t i = 0; i < packet.fields.size(); ++i) {
            const QString text = row.values[i].isValid() ? Text(row.values[i]) : QString();
            cells << new QStandardItem(text);
            if (row.values[i].isValid())
                line += QStringLiteral(" %1=%2").arg(packet.fields[i].name, text);
        }
        cells << new QStandardItem(status);
        m_lines.appendRow(cells);
        Print(line + QStringLiteral(" UpdateStatus=") + status);
    }
    m_ui->tblLinhas->resizeColumnsToContents();
}

void TillWindow::Store()
{
    if (!m_result)
        return;
    const ResultStore::Outcome outcome = ResultStore::Apply(m_module.QtConnection(), *m_result);
    if (!outcome.ok) {
        Print(QStringLiteral("STORE FAILED ") + outcome.error);
        statusBar()->showMessage(outcome.error);
        return;
    }
    Print(QStringLiteral("STORED %1 %2").arg(outcome.inserted).arg(outcome.deleted));
    statusBar()->showMessage(tr("Gravado"));
    m_ui->btnGravar->setEnabled(false);
}
