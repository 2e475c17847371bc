#include "PaintedBareDialog.h"

#include "BenchSupport.h"
#include "RoundButton.h"

#include <QLabel>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>

#include <cstdio>

namespace
{

const char *const Keys[] = {"1",   "2", "3", "4",     "5",  "6", "7", "8", "9", "0",  "00",
                            "000", ",", "<", "Enter", "<-", "+", "-", "^", "v", "OK", "X"};

const QString ConnectionName = QStringLiteral("paintedBare");

bool Fail(const QSqlError &error)
{
    std::fprintf(stderr, "painted bare dialog: %s\n", qPrintable(error.text()));
    return false;
}

} // namespace

PaintedBareDialog::PaintedBareDialog()
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Impostos"));
    setFixedSize(748, 315);
    auto *title = new QLabel(QStringLiteral("Impostos"), this);
    title->setGeometry(8, 4, 200, 20);
    auto *footer = new QLabel(QStringLiteral("KPF05520"), this);
    footer->setGeometry(8, 292, 300, 18);
    m_model = new QStandardItemModel(0, 3, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Codigo Imposto"),
                                        QStringLiteral("Aliquota"),
                                        QStringLiteral("Valor Acumulado")});
    auto *grid = new QTableView(this);
    grid->setModel(m_model);
    grid->setGeometry(8, 28, 420, 260);
    int i = 0;
    for (const char *key : Keys) {
        auto *button = new RoundButton(QString::fromLatin1(key), this);
        button->setGeometry(436 + (i % 5) * 60, 28 + (i / 5) * 52, 56, 48);
        if (++i == 21)
            m_confirm = button;
    }
    connect(m_confirm, &QAbstractButton::clicked, this, [this] {
        grab();
        accept();
    });
}

bool PaintedBareDialog::Load(const QString &database)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), ConnectionName);
        db.setDatabaseName(database);
        ok = db.open() || Fail(db.lastError());
        QSqlQuery lines(db);
        lines.setForwardOnly(true);
        ok = ok &&
             (lines.prepare(QLatin1String(BenchSupport::ImpRedZSql)) || Fail(lines.lastError()));
        if (ok) {
            lines.bindValue(QStringLiteral(":P_CDFILIAL"), BenchSupport::Branch);
            lines.bindValue(QStringLiteral(":P_CDCAIXA"), BenchSupport::Till);
            lines.bindValue(QStringLiteral(":P_DTREDUCAOZ"),
                            QString::fromLatin1(BenchSupport::ZDay));
            ok = lines.exec() || Fail(lines.lastError());
        }
        while (ok && lines.next())
            m_model->appendRow({new QStandardItem(lines.value(4).toString()),
                                new QStandardItem(QString::number(lines.value(5).toDouble())),
                                new QStandardItem(QString::number(lines.value(6).toDouble()))});
        QSqlQuery code(db);
        code.setForwardOnly(true);
        ok =
            ok && (code.prepare(QLatin1String(BenchSupport::PesqImpSql)) || Fail(code.lastError()));
        if (ok) {
            code.bindValue(QStringLiteral(":P_CDIMPOSTO"),
                           m_model->rowCount() ? m_model->item(0)->text() : QStringLiteral("00"));
            ok = (code.exec() || Fail(code.lastError())) && code.next() &&
                 !code.value(1).toString().isEmpty();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(ConnectionName);
    return ok;
}

bool RunPaintedBareCall(const QString &database)
{
    bool confirmed = false;
    BenchSupport::RunWhenReady(
        [](QWidget *widget) { return dynamic_cast<PaintedBareDialog *>(widget) != nullptr; },
        [](QWidget *widget) {
            BenchSupport::Touch(static_cast<PaintedBareDialog *>(widget)->Confirm());
        },
        [&] {
            PaintedBareDialog dialog;
            if (!dialog.Load(database))
                return;
            confirmed = dialog.exec() == QDialog::Accepted &&
                        dialog.Model()->rowCount() == BenchSupport::StoredLines;
        });
    return confirmed;
}
