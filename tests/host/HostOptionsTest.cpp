#include "HostOptions.h"

#include <gtest/gtest.h>

namespace
{

QStringList args(const char *line)
{
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

const char *const base = "--branch 0001 --till 001 --z 000123 --date 2026-12-02 ";
// Days since 1899-12-30, as the C interface takes dates.
constexpr double kDay20261202 = 46358;
constexpr double kSecond = 1.0 / 86400;

TEST(HostOptions, ReadsEveryOptionAndDefaultsTheReferenceDate)
{
    QString error;
    const auto options = HostOptions::Parse(
        args("--branch 0001 --till=001 --z 000123 --date 2026-12-02T10:30:15 --source s.xml "
             "--source-record 3 --home /tmp --connection Provider=SQLite --script - "
             "--screenshot a.png --out b.xml --calls 4"),
        &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(options->branch, "0001");
    EXPECT_EQ(options->till, "001");
    EXPECT_EQ(options->zCounter, "000123");
    EXPECT_DOUBLE_EQ(options->date, kDay20261202 + (10 * 3600 + 30 * 60 + 15) * kSecond);
    EXPECT_DOUBLE_EQ(options->referenceDate, options->date);
    EXPECT_EQ(options->sourceFile, "s.xml");
    EXPECT_EQ(options->sourceRecord, 3);
    EXPECT_EQ(options->home, "/tmp");
    EXPECT_TRUE(options->hasConnection);
    EXPECT_EQ(options->connection, "Provider=SQLite");
    EXPECT_EQ(options->scriptFile, "-");
    EXPECT_EQ(options->screenshotFile, "a.png");
    EXPECT_EQ(options->outFile, "b.xml");
    EXPECT_EQ(options->calls, 4);
}

TEST(HostOptions, DefaultsWithoutOptionalOptions)
{
    QString error;
    const auto options = HostOptions::Parse(args(base), &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_FALSE(options->hasConnection);
    EXPECT_EQ(options->calls, 1);
    EXPECT_EQ(options->sourceRecord, 0);
    EXPECT_TRUE(options->scriptFile.isEmpty());
    EXPECT_DOUBLE_EQ(options->date, kDay20261202);
}

// Storing the spool needs no Z reduction: only where the results are and where they go.
TEST(HostOptions, StoreSpoolStandsAlone)
{
    QString error;
    const auto options = HostOptions::Parse(
        args("--store-spool --spool /tmp/s --connection Provider=SQLite"), &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_TRUE(options->storeSpool);
    EXPECT_EQ(options->spoolDir, "/tmp/s");
    EXPECT_TRUE(options->hasConnection);
}

TEST(HostOptions, MakeDemoHomeStandsAlone)
{
    QString error;
    const auto options = HostOptions::Parse(args("--make-demo-home /tmp/h"), &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(options->demoHome, "/tmp/h");
}

TEST(HostOptions, ReferenceDateOneSecondLaterStaysDifferent)
{
    QString error;
    const auto options = HostOptions::Parse(args("--branch 1 --till 1 --z 1 --date 2026-12-07 "
                                                 "--ref-date 2026-12-07T00:00:01"),
                                            &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_GT(options->referenceDate, options->date);
    EXPECT_DOUBLE_EQ(options->referenceDate, kDay20261202 + 5 + kSecond);
}

TEST(HostOptions, DatesBeforeTheEpochCountTheirTimeForward)
{
    // 1899-12-29 06:00 is -1.25, as the module's TDateTime reads it.
    EXPECT_DOUBLE_EQ(*HostOptions::ParseDate(QStringLiteral("1899-12-29T06:00:00")), -1.25);
    EXPECT_DOUBLE_EQ(*HostOptions::ParseDate(QStringLiteral("0001-01-01")), -693593);
}

TEST(HostOptions, HelpAndVersionNeedNoOtherOption)
{
    for (const char *line : {"--help", "-h", "--version", "--till 1 --version"}) {
        QString error;
        const auto options = HostOptions::Parse(args(line), &error);
        ASSERT_TRUE(options) << line << ": " << error.toStdString();
        EXPECT_TRUE(options->help || options->version) << line;
    }
    EXPECT_TRUE(HostOptions::Help().contains(QStringLiteral("--source-record <N>")));
}

struct BadLine {
    const char *name;
    QString arguments;
    const char *errorPart;
};

const BadLine badLines[] = {
    {"missing_branch", "--till 001 --z 1 --date 2026-12-02", "'--branch' is required"},
    {"missing_date", "--branch 1 --till 001 --z 1", "'--date' is required"},
    {"unknown_option", QString::fromLatin1(base) + "--colour red", "unknown option '--colour'"},
    {"positional", QString::fromLatin1(base) + "extra", "unexpected argument 'extra'"},
    {"option_twice", QString::fromLatin1(base) + "--till 002", "given twice"},
    {"value_missing", QString::fromLatin1(base) + "--out", "needs a value"},
    {"date_not_a_date", "--branch 1 --till 1 --z 1 --date 2026-02-30", "--date '2026-02-30'"},
    {"date_other_format", "--branch 1 --till 1 --z 1 --date 02/12/2026", "--date"},
    {"date_bad_time", "--branch 1 --till 1 --z 1 --date 2026-12-02T24:00:00", "--date"},
    {"ref_date_bad", QString::fromLatin1(base) + "--ref-date 2026-12", "--ref-date"},
    {"record_without_source", QString::fromLatin1(base) + "--source-record 1", "needs --source"},
    {"record_negative", QString::fromLatin1(base) + "--source s --source-record -1",
     "record index"},
    {"calls_zero", QString::fromLatin1(base) + "--calls 0", "--calls must be"},
    {"calls_not_number", QString::fromLatin1(base) + "--calls many", "--calls must be"},
    {"calls_too_many", QString::fromLatin1(base) + "--calls 1000001", "--calls must be"},
    {"screenshot_without_script", QString::fromLatin1(base) + "--screenshot a.png",
     "needs --script"},
    {"empty_out", QString::fromLatin1(base) + "--out=", "non-empty"},
    {"store_twice", QString::fromLatin1(base) + "--store --store", "'--store' given twice"},
    {"calls_signed", QString::fromLatin1(base) + "--calls +3", "--calls must be"},
    {"date_with_zone", "--branch 1 --till 1 --z 1 --date 2026-12-02T10:00:00Z", "--date"},
    {"help_with_unknown_option", "--help --colour", "unknown option '--colour'"},
    {"switch_with_value", QString::fromLatin1(base) + "--store=yes", "'--store' takes no value"},
    {"readable_with_value", QString::fromLatin1(base) + "--readable=yes",
     "'--readable' takes no value"},
    {"store_spool_with_a_key", "--store-spool --branch 1", "not '--branch'"},
    {"demo_home_with_a_key", "--make-demo-home /tmp/h --branch 1", "not '--branch'"},
    {"demo_home_empty", "--make-demo-home=", "'--make-demo-home' needs a non-empty value"},
    {"store_spool_with_a_script", "--store-spool --script -", "not '--script'"},
    {"store_spool_with_a_value", "--store-spool=now", "'--store-spool' takes no value"},
    {"empty_spool", QString::fromLatin1(base) + "--spool=", "non-empty"},
};

void PrintTo(const BadLine &row, std::ostream *os)
{
    *os << row.arguments.toStdString();
}

class BadLineTest : public ::testing::TestWithParam<BadLine>
{
};

TEST_P(BadLineTest, IsAUsageErrorThatSaysWhy)
{
    QString error;
    const auto options = HostOptions::Parse(
        GetParam().arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts), &error);
    EXPECT_FALSE(options);
    EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().errorPart))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Lines, BadLineTest, ::testing::ValuesIn(badLines),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
