#include "EditingTest.h"

#include "Blendedshape.h"
#include "Cli_Kpf05520.h"

#include <QMap>

const QString EditingTest::kStoredLines = QStringLiteral(
    "INSERT INTO IMPOSTOREDZ VALUES ('0001', '001', '0000000123', '2026-12-07', '01', 7, 100, 7);"
    "INSERT INTO IMPOSTOREDZ VALUES ('0001', '001', '0000000123', '2026-12-07', '03', 18, 1000, "
    "180)");

namespace
{

const QMap<QString, QString> &Buttons()
{
    static const QMap<QString, QString> buttons{
        {"1", "sbt1"},       {"2", "BlendedBitBtn10"}, {"3", "sbt3"},
        {"4", "sbt4"},       {"5", "BlendedBitBtn9"},  {"6", "sbt6"},
        {"7", "sbt7"},       {"8", "BlendedBitBtn8"},  {"9", "sbt9"},
        {"0", "sbt0"},       {"00", "sbt00"},          {"000", "sbt000"},
        {",", "sbtVirgula"}, {"C", "sbtCorrigir"},     {"E", "sbtEnter"},
        {"V", "sbtVoltar"},  {"+", "blsMais"},         {"-", "blsMenos"},
        {"A", "sbtAnt"},     {"P", "sbtProx"},         {"OK", "blsConfirm"}};
    return buttons;
}

const QMap<QString, Qt::Key> &NamedKeys()
{
    static const QMap<QString, Qt::Key> keys{
        {"Enter", Qt::Key_Return},  {"Escape", Qt::Key_Escape}, {"Backspace", Qt::Key_Backspace},
        {"Delete", Qt::Key_Delete}, {"F4", Qt::Key_F4},         {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},     {",", Qt::Key_Comma},       {".", Qt::Key_Period}};
    return keys;
}

void PressNamedKey(TfrmImpost &form, const QString &keyText,
                   void (*press)(TfrmImpost &, Qt::Key, Qt::KeyboardModifiers))
{
    QStringList parts = keyText.size() > 1 ? keyText.split(QLatin1Char('+')) : QStringList{keyText};
    const QString name = parts.takeLast();
    Qt::KeyboardModifiers modifiers;
    for (const QString &modifier : parts) {
        if (modifier == QLatin1String("Alt"))
            modifiers |= Qt::AltModifier;
        else if (modifier == QLatin1String("Ctrl"))
            modifiers |= Qt::ControlModifier;
        else if (modifier == QLatin1String("Shift"))
            modifiers |= Qt::ShiftModifier;
        else
            ADD_FAILURE() << "unknown modifier " << qPrintable(modifier);
    }
    if (name.size() == 1 && name[0].isDigit())
        press(form, Qt::Key(Qt::Key_0 + name[0].digitValue()), modifiers);
    else if (NamedKeys().contains(name))
        press(form, NamedKeys().value(name), modifiers);
    else
        ADD_FAILURE() << "unknown key " << qPrintable(keyText);
}

} // namespace

void EditingTest::Play(TfrmImpost &form, const QString &steps)
{
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step.startsWith(QLatin1String("k:"))) {
            PressNamedKey(form, step.mid(2), &ScreenFixture::PressKey);
        } else if (step.startsWith(QLatin1String("t:"))) {
            const QStringList parts = step.split(QLatin1Char(':'));
            ASSERT_EQ(parts.size(), 3) << qPrintable(step);
            TouchCell(form, parts[1].toInt(), parts[2]);
        } else if (step == QLatin1String("X")) {
            // Cancel lies below the client area, out of a touch's reach: only its click runs it.
            auto *cancel = form.findChild<TBlendedBitBtn *>(QStringLiteral("blsCancel"));
            ASSERT_NE(cancel, nullptr);
            cancel->Click();
        } else {
            ASSERT_TRUE(Buttons().contains(step)) << "unknown step " << qPrintable(step);
            Click(form, Buttons().value(step));
        }
    }
}

QString EditingTest::Number(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("~");
    return QString::number(value.toDouble(), 'g', 15);
}

QString EditingTest::Describe(const QVariantMap &row)
{
    const QString code = row.value(QStringLiteral("CDIMPOSTO")).toString();
    return QStringList{code.isEmpty() ? QStringLiteral("~") : code,
                       Number(row.value(QStringLiteral("VRALIQIMPRZ"))),
                       Number(row.value(QStringLiteral("VRBCALCIMPRZ")))}
        .join(QLatin1Char('|'));
}

QStringList EditingTest::DescribePacket(const Variant &packet)
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

int EditingTest::RowOf(const TfrmImpost &form, const QString &code)
{
    const QList<QVariantMap> rows = Rows(form);
    for (int row = 0; row < rows.size(); ++row) {
        if (rows[row].value(QStringLiteral("CDIMPOSTO")).toString() == code)
            return row;
    }
    return -1;
}

void EditingTest::ExpectScreen(const ScreenCase &c, const TfrmImpost &form,
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
    if (!QString::fromUtf8(c.steps).contains(QLatin1String("t:"))) {
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

void EditingTest::RunCase(const ScreenCase &c)
{
    if (c.stored)
        ExecSql(kStoredLines);
    ExecSql(QString::fromUtf8(c.setupSql));
    QStringList trace;
    const Variant result = RunEntry([&](TfrmImpost &form) {
        for (const QString &step : QString::fromUtf8(c.steps).split(' ', Qt::SkipEmptyParts)) {
            Play(form, step);
            trace << QString::number(form.NrCampo());
        }
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
