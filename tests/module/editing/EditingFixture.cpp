#include "EditingFixture.h"

#include "Cli_Kpf05520.h"

const QString EditingFixture::kStoredLines = QStringLiteral(
    "INSERT INTO IMPOSTOREDZ VALUES ('0001', '001', '0000000123', '2026-12-07', '01', 7, 100, 7);"
    "INSERT INTO IMPOSTOREDZ VALUES ('0001', '001', '0000000123', '2026-12-07', '03', 18, 1000, "
    "180)");

QString EditingFixture::Number(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("~");
    return QString::number(value.toDouble(), 'g', 15);
}

QString EditingFixture::Describe(const QVariantMap &row)
{
    const QString code = row.value(QStringLiteral("CDIMPOSTO")).toString();
    return QStringList{code.isEmpty() ? QStringLiteral("~") : code,
                       Number(row.value(QStringLiteral("VRALIQIMPRZ"))),
                       Number(row.value(QStringLiteral("VRBCALCIMPRZ")))}
        .join(QLatin1Char('|'));
}

QStringList EditingFixture::DescribePacket(const Variant &packet)
{
    QStringList described;
    for (const QVariantMap &row : PacketRows(packet)) {
        described << QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(row.value(QStringLiteral("rowState")).toInt())
                         .arg(row.value(QStringLiteral("CDIMPOSTO")).toString(),
                              Number(row.value(QStringLiteral("VRALIQIMPRZ"))),
                              Number(row.value(QStringLiteral("VRBCALCIMPRZ"))),
                              Number(row.value(QStringLiteral("VRIMPOSTORZ"))));
    }
    return described;
}

int EditingFixture::RowOf(const TfrmImpost &form, const QString &code)
{
    const QList<QVariantMap> rows = Rows(form);
    for (int row = 0; row < rows.size(); ++row) {
        if (rows[row].value(QStringLiteral("CDIMPOSTO")).toString() == code)
            return row;
    }
    return -1;
}

void EditingFixture::ExpectScreen(const ScreenCase &c, const TfrmImpost &form,
                               const QStringList &trace)
{
    if (c.trace) {
        EXPECT_EQ(trace.join(' '), QString::fromUtf8(c.trace));
    }
    if (c.nrCampo >= 0) {
        EXPECT_EQ(form.NrCampo(), c.nrCampo);
    }
    if (c.txAliq) {
        EXPECT_EQ(form.TxAliq(), QString::fromUtf8(c.txAliq));
    }
    if (c.txValor) {
        EXPECT_EQ(form.TxValor(), QString::fromUtf8(c.txValor));
    }
    if (c.state >= 0) {
        EXPECT_EQ(State(form), c.state);
    }
    const QList<QVariantMap> rows = Rows(form);
    if (c.rows >= 0) {
        EXPECT_EQ(rows.size(), c.rows);
    }
    if (c.top) {
        EXPECT_EQ(rows.isEmpty() ? QString() : Describe(rows.first()), QString::fromUtf8(c.top));
    }
    if (c.closed >= 0) {
        EXPECT_EQ(form.isVisible(), c.closed == 0);
    }
    // Every change of nrCampo moves the grid to its column; only a touch selects another one.
    if (!QString::fromUtf8(c.steps).contains(QLatin1String("select "))) {
        const QObject *grid = form.findChild<QObject *>(QStringLiteral("dbgImpRedZ"));
        ASSERT_NE(grid, nullptr);
        const char *column = form.NrCampo() == 1   ? "CDIMPOSTO"
                             : form.NrCampo() == 2 ? "VRALIQIMPRZ"
                                                   : "VRBCALCIMPRZ";
        EXPECT_EQ(grid->property("selectedField").toString(), QLatin1String(column));
    }
    if (c.closed == 0) {
        EXPECT_TRUE(form.VrRetorno().isUnassigned());
    }
}

void EditingFixture::RunCase(const ScreenCase &c)
{
    if (c.stored)
        ExecSql(kStoredLines);
    ExecSql(QString::fromUtf8(c.setupSql));
    QStringList trace;
    const Variant result = RunEntry([&](TfrmImpost &form) {
        Play(QString::fromUtf8(c.steps), [&] { trace << QString::number(form.NrCampo()); });
        ExpectScreen(c, form, trace);
    });
    ASSERT_TRUE(ActionRan());
    EXPECT_EQ(messages.join('|'), QString::fromUtf8(c.messages));
    EXPECT_EQ(errors.size(), c.errors) << qPrintable(errors.join('\n'));
    if (c.packet) {
        QStringList described = DescribePacket(result);
        described.sort();
        EXPECT_EQ(described.join(QStringLiteral("; ")), QString::fromUtf8(c.packet));
    }
    if (c.unassigned) {
        EXPECT_TRUE(result.isUnassigned());
    }
}
