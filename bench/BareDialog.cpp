#include "BareDialog.h"

#include "BenchSupport.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <sqlite3.h>

#include <cstdio>

namespace
{

const char *const Keys[] = {"1",   "2", "3", "4",     "5",  "6", "7", "8", "9", "0",  "00",
                            "000", ",", "<", "Enter", "<-", "+", "-", "^", "v", "OK", "X"};

QString Text(sqlite3_stmt *stmt, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                             sqlite3_column_bytes(stmt, column));
}

} // namespace

QTableView *AddBareGrid(QDialog *dialog, QStandardItemModel *model)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog->setWindowTitle(QStringLiteral("Impostos"));
    dialog->setFixedSize(748, 315);
    auto *title = new QLabel(QStringLiteral("Impostos"), dialog);
    title->setGeometry(8, 4, 200, 20);
    auto *footer = new QLabel(QStringLiteral("KPF05520"), dialog);
    footer->setGeometry(8, 292, 300, 18);
    model->setColumnCount(3);
    model->setHorizontalHeaderLabels({QStringLiteral("Codigo Imposto"), QStringLiteral("Aliquota"),
                                      QStringLiteral("Valor Acumulado")});
    auto *grid = new QTableView(dialog);
    grid->setModel(model);
    grid->setGeometry(8, 28, 420, 260);
    return grid;
}

QAbstractButton *AddBareKeys(QDialog *dialog,
                             const std::function<QAbstractButton *(const QString &)> &make)
{
    QAbstractButton *confirm = nullptr;
    int i = 0;
    for (const char *key : Keys) {
        QAbstractButton *button = make(QString::fromLatin1(key));
        button->setParent(dialog);
        button->setGeometry(436 + (i % 5) * 60, 28 + (i / 5) * 52, 56, 48);
        if (++i == 21)
            confirm = button;
    }
    return confirm;
}

BareDialog::BareDialog()
{
    m_model = new QStandardItemModel(this);
    m_grid = AddBareGrid(this, m_model);
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(0, 0, 748, 315);
    frame->lower();
    m_confirm = AddBareKeys(this, [](const QString &key) { return new QPushButton(key); });
    connect(m_confirm, &QAbstractButton::clicked, this, &QDialog::accept);
}

bool BareDialog::Load(const QString &database)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
              SQLITE_OK;
    sqlite3_stmt *lines = nullptr, *code = nullptr;
    ok = ok && sqlite3_prepare_v2(db, BenchSupport::ImpRedZSql, -1, &lines, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_prepare_v2(db, BenchSupport::PesqImpSql, -1, &code, nullptr) == SQLITE_OK;
    if (ok) {
        const QByteArray branch = BenchSupport::Branch.toUtf8(), till = BenchSupport::Till.toUtf8();
        sqlite3_bind_text(lines, 1, branch.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(lines, 2, till.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(lines, 3, BenchSupport::ZDay.constData(), -1, SQLITE_STATIC);
        while (sqlite3_step(lines) == SQLITE_ROW)
            m_model->appendRow(
                {new QStandardItem(Text(lines, 4)),
                 new QStandardItem(QString::number(sqlite3_column_double(lines, 5))),
                 new QStandardItem(QString::number(sqlite3_column_double(lines, 6)))});
        const QByteArray first = m_model->rowCount() ? m_model->item(0)->text().toUtf8() : "00";
        sqlite3_bind_text(code, 1, first.constData(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(code) == SQLITE_ROW && !Text(code, 1).isEmpty();
    }
    if (!ok)
        std::fprintf(stderr, "bare dialog: %s\n", sqlite3_errmsg(db));
    sqlite3_finalize(lines);
    sqlite3_finalize(code);
    sqlite3_close(db);
    return ok;
}

bool RunBareCall(const QString &database)
{
    return RunDialogCall<BareDialog>(database);
}
