// The operator's cases of the keypad editor and of the checks, played by kpfhost scripts on the
// demo Z reduction (three stored lines: 00, 02, 03): the MESSAGE lines, the last STATE and the
// RESULT that each sequence must print.
#include "KpfHostProcess.h"

#include <QJsonArray>
#include <gtest/gtest.h>

namespace
{

struct OperatorCase {
    const char *name;
    const char *script;
    QStringList messages; // every MESSAGE line, in order
    int nrCampo = -1;     // of the last STATE; -1: not checked
    const char *txAliq = nullptr;
    const char *topCode = nullptr; // CDIMPOSTO of the top row of the last STATE
    double topRate = -1;           // VRALIQIMPRZ of that row; -1: not checked
    const char *result = "UNASSIGNED";
    int inserted = 0; // rows of the packet by rowState
    int deleted = 0;
    double insertedTax = -1; // VRIMPOSTORZ of the inserted row; -1: not checked
};

void PrintTo(const OperatorCase &c, std::ostream *os)
{
    *os << c.name;
}

const QString kRateTooHigh = QString::fromUtf8("MESSAGE Valor da alíquota deve ser menor que 100.");

const OperatorCase kCases[] = {
    {"RateAboveTheBoundFails",
     "type 01\nkey Enter\ntype 99,91\nkey Enter\ntype 10\n"
     "click blsConfirm\ndump\nclose\n",
     {kRateTooHigh},
     2,
     "99,91"},
    {"RateOfOneHundredFails",
     "type 01\nkey Enter\ntype 100\nkey Enter\ntype 10\n"
     "click blsConfirm\ndump\nclose\n",
     {kRateTooHigh},
     2},
    {"RateAtTheBoundPasses",
     "type 01\nkey Enter\ntype 99,9\nkey Enter\ntype 10\nclick blsConfirm\n",
     {},
     -1,
     nullptr,
     nullptr,
     -1,
     "PACKET",
     1,
     0,
     9.99},
    {"RateZeroPasses",
     "type 01\nkey Enter\ntype 0\nkey Enter\ntype 10\nclick blsConfirm\n",
     {},
     -1,
     nullptr,
     nullptr,
     -1,
     "PACKET",
     1,
     0,
     0},
    {"TaxIsCutNotRounded",
     "type 01\nkey Enter\ntype 17\nkey Enter\ntype 123,45\n"
     "click blsConfirm\n",
     {},
     -1,
     nullptr,
     nullptr,
     -1,
     "PACKET",
     1,
     0,
     20.98},
    {"OnlyTheFirstFaultyFieldIsReported",
     "type 01\nclick blsConfirm\ndump\nclose\n",
     {QString::fromUtf8("MESSAGE Alíquota não informada.")},
     2},
    {"MissingCodeIsReportedWithoutLookup",
     "click blsMais\nkey Enter\ntype 5\nclick blsConfirm\n"
     "dump\nclose\n",
     {QStringLiteral("MESSAGE Imposto deve ser informado.")},
     1},
    {"UnregisteredCodeStaysOnTheCode",
     "type 77\nkey Enter\ndump\nclose\n",
     {QString::fromUtf8("MESSAGE Imposto não cadastrado.")},
     1,
     nullptr,
     "77"},
    {"ThirdDigitOfTheCodeIsIgnored", "type 123\ndump\nclose\n", {}, 1, nullptr, "12"},
    {"SecondCommaIsRefused",
     "type 01\nkey Enter\ntype 1,5,\ndump\nclose\n",
     {},
     2,
     "1,5",
     "01",
     1.5},
    {"LoneCommaThenDigit", "type 01\nkey Enter\ntype ,5\ndump\nclose\n", {}, 2, ",5", "01", 0.5},
    {"CorrectionOfOneCharacterLeavesZero",
     "type 01\nkey Enter\ntype 7\nkey Backspace\n"
     "dump\nclose\n",
     {},
     2,
     "0",
     "01",
     0},
    {"FullStopDoesNothing", "type 01\nkey Enter\ntype 1.5\ndump\nclose\n", {}, 2, "15", "01", 15},
    {"AltF4DoesNotClose", "type 01\nkey Alt+F4\ndump\nclose\n", {}, 1, nullptr, "01"},
    {"CancelAfterAddingLinesReturnsNothing",
     "type 01\nkey Enter\ntype 7\nkey Enter\ntype 100\n"
     "click blsMais\nclick blsCancel\n",
     {}},
    {"RemovedStoredLineComesBackDeleted",
     "click blsMenos\nclick blsConfirm\n",
     {},
     -1,
     nullptr,
     nullptr,
     -1,
     "PACKET",
     0,
     1},
    {"LineAddedThenRemovedLeavesNoTrace",
     "type 01\nkey Enter\ntype 7\nkey Enter\ntype 100\n"
     "click blsMenos\nclick blsConfirm\n",
     {},
     -1,
     nullptr,
     nullptr,
     -1,
     "PACKET",
     0,
     0},
};

class OperatorCases : public ::testing::TestWithParam<OperatorCase>
{
protected:
    void SetUp() override { ASSERT_TRUE(host.ready()) << host.setupError().toStdString(); }

    KpfHostProcess host;
};

TEST_P(OperatorCases, PrintTheMessagesStateAndResultTheyImply)
{
    const OperatorCase &c = GetParam();
    const auto run = host.runDemo(c.script);
    const std::string output =
        run.lines.join(QLatin1Char('\n')).toStdString() + "\n" + run.errors.toStdString();
    ASSERT_EQ(run.exitCode,
              qstrcmp(c.result, "UNASSIGNED") == 0 ? KpfHostProcess::kNotConfirmed : 0)
        << output;
    EXPECT_EQ(run.linesStartingWith(QStringLiteral("MESSAGE ")), c.messages) << output;
    EXPECT_TRUE(run.linesStartingWith(QStringLiteral("ERROR ")).isEmpty()) << output;

    const QList<QJsonObject> states = run.objects(QStringLiteral("STATE "));
    if (c.nrCampo >= 0 || c.txAliq || c.topCode) {
        ASSERT_FALSE(states.isEmpty()) << output;
        const QJsonObject &state = states.last();
        if (c.nrCampo >= 0) {
            EXPECT_EQ(state.value("nrCampo").toInt(), c.nrCampo) << output;
        }
        if (c.txAliq) {
            EXPECT_EQ(state.value("txAliq").toString(), QString::fromUtf8(c.txAliq)) << output;
        }
        const QJsonObject top = state.value("rows").toArray().first().toObject();
        if (c.topCode) {
            EXPECT_EQ(top.value("CDIMPOSTO").toString(), QString::fromUtf8(c.topCode)) << output;
        }
        if (c.topRate >= 0) {
            EXPECT_DOUBLE_EQ(top.value("VRALIQIMPRZ").toDouble(-1), c.topRate) << output;
        }
    }

    EXPECT_EQ(run.linesStartingWith(QStringLiteral("RESULT ")),
              QStringList{QStringLiteral("RESULT ") + QString::fromLatin1(c.result)})
        << output;
    int inserted = 0, deleted = 0;
    for (const QJsonObject &row : run.objects(QStringLiteral("ROW "))) {
        const QString rowState = row.value("rowState").toString();
        if (rowState == "inserted") {
            ++inserted;
            if (c.insertedTax >= 0) {
                EXPECT_DOUBLE_EQ(row.value("VRIMPOSTORZ").toDouble(-1), c.insertedTax) << output;
            }
        }
        deleted += rowState == "deleted";
    }
    EXPECT_EQ(inserted, c.inserted) << output;
    EXPECT_EQ(deleted, c.deleted) << output;
}

INSTANTIATE_TEST_SUITE_P(Operator, OperatorCases, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
