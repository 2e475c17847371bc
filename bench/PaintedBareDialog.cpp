#include "PaintedBareDialog.h"

#include "BareDialog.h"
#include "BenchSupport.h"
#include "RoundButton.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>

#include <cstdio>

namespace
{

const QString ConnectionName = QStringLiteral("paintedBare");

bool Fail(const QSqlError &error)
{
    std::fprintf(stderr, "painted bare dialog: %s\n", qPrintable(error.text()));
    return false;
}

} // namespace

PaintedBareDialog::PaintedBareDialog()
{
    m_model = new QStandardItemModel(this);
    AddBareGrid(this, m_model);
    m_confirm = AddBareKeys(this, [](const QString &key) { return new RoundButton(key, nullptr); });
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
    return RunDialogCall<PaintedBareDialog>(database);
}
