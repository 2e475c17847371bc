#include "DataPacket.h"
#include "Exceptions.h"
#include "SysUtils.h"
#include "TClientDataSet.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace
{

const QString NotEditing =
    QStringLiteral("Conjunto de dados não está em modo de edição ou inserção");

// A tax-line-like list: CODE string(2), RATE float, DAY date; loaded rows are originals.
class DataSetRules : public ::testing::Test
{
protected:
    void SetUp() override
    {
        code = ds.AddField(QStringLiteral("CODE"), TFieldType::ftString, 2);
        rate = ds.AddField(QStringLiteral("RATE"), TFieldType::ftFloat);
        day = ds.AddField(QStringLiteral("DAY"), TFieldType::ftDate);
        ds.BeforePost = [this](TDataSet *) {
            ++posts;
            if (refusePost)
                Abort();
        };
        ds.BeforeInsert = [this](TDataSet *) {
            ++inserts;
            countAtBeforeInsert = ds.RecordCount();
        };
    }

    void load(std::initializer_list<const char *> codes)
    {
        DataPacket packet;
        packet.fields = {{QStringLiteral("CODE"), TFieldType::ftString, 2},
                         {QStringLiteral("RATE"), TFieldType::ftFloat, 0},
                         {QStringLiteral("DAY"), TFieldType::ftDate, 0}};
        for (const char *c : codes)
            packet.rows.push_back({{QString::fromLatin1(c), 1.0, QVariant()}});
        ds.SetData(Variant::fromPacket(packet.ToXml()));
    }

    QStringList codes() const
    {
        QStringList out;
        for (int r = 0; r < ds.RecordCount(); ++r)
            out << ds.RowValue(r, 0).toString();
        return out;
    }

    TClientDataSet ds;
    TField *code = nullptr;
    TField *rate = nullptr;
    TField *day = nullptr;
    int posts = 0;
    int inserts = 0;
    int countAtBeforeInsert = -1;
    bool refusePost = false;
};

TEST_F(DataSetRules, WritesOutsideEditOrInsertRaiseTheNotEditingError)
{
    const std::pair<const char *, std::function<void()>> writes[] = {
        {"AsString", [&] { code->SetAsString(QStringLiteral("01")); }},
        {"AsFloat", [&] { rate->SetAsFloat(1); }},
        {"Clear", [&] { rate->Clear(); }},
        {"AsDateTime", [&] { day->SetAsDateTime(40000); }},
    };
    for (const auto &[name, write] : writes) {
        SCOPED_TRACE(name);
        try {
            write(); // inactive
            ADD_FAILURE() << "inactive write accepted";
        } catch (const EDatabaseError &e) {
            EXPECT_EQ(e.Message(), NotEditing);
        }
    }
    load({"01"});
    for (const auto &[name, write] : writes) {
        SCOPED_TRACE(name);
        try {
            write(); // browse
            ADD_FAILURE() << "browse write accepted";
        } catch (const EDatabaseError &e) {
            EXPECT_EQ(e.Message(), NotEditing);
        }
    }
    EXPECT_EQ(codes(), QStringList{QStringLiteral("01")});
}

TEST_F(DataSetRules, InsertRunsTheHookThenPlacesAnEmptyLineBeforeTheCurrentOne)
{
    ds.CreateDataSet();
    ds.Insert();
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(countAtBeforeInsert, 0);

    load({"01", "02", "03"});
    ds.Next(); // on 02
    ds.Insert();
    EXPECT_EQ(countAtBeforeInsert, 3); // the hook ran before the line was placed
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(codes(), (QStringList{"01", "", "02", "03"}));
    EXPECT_TRUE(code->IsNull());
    EXPECT_EQ(code->AsString(), QString());

    ds.First(); // dropped: nothing written
    ds.Insert();
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(codes(), (QStringList{"", "01", "02", "03"}));
}

// Every way of leaving a pending line: each must post a written line and drop an untouched one.
struct LeaveCase {
    const char *name;
    std::function<void(TDataSet &)> leave;
};

const LeaveCase leaveCases[] = {
    {"First", [](TDataSet &d) { d.First(); }},
    {"Prior", [](TDataSet &d) { d.Prior(); }},
    {"Next", [](TDataSet &d) { d.Next(); }},
    {"Last", [](TDataSet &d) { d.Last(); }},
    {"MoveToRow", [](TDataSet &d) { d.MoveToRow(2); }},
    {"Insert", [](TDataSet &d) { d.Insert(); }},
};

TEST_F(DataSetRules, APendingLineIsPostedWhenWrittenAndDroppedOtherwiseOnEveryMove)
{
    for (const LeaveCase &c : leaveCases) {
        SCOPED_TRACE(c.name);
        load({"01", "02"});
        ds.Insert();
        c.leave(ds);
        EXPECT_EQ(posts, 0);
        EXPECT_EQ(ds.RecordCount(), c.name == std::string("Insert") ? 3 : 2);
        EXPECT_EQ(ds.Store().size(), c.name == std::string("Insert") ? 3u : 2u);

        load({"01", "02"});
        posts = 0;
        ds.Insert();
        code->SetAsString(QStringLiteral("09"));
        c.leave(ds);
        EXPECT_EQ(posts, 1);
        EXPECT_TRUE(codes().contains(QStringLiteral("09")));
        EXPECT_EQ(ds.RecordCount(), c.name == std::string("Insert") ? 4 : 3);
        posts = 0;
    }
}

TEST_F(DataSetRules, AWriteCountsEvenWhenTheValueDoesNotChange)
{
    load({"01"});
    ds.Insert();
    code->SetAsString(QString()); // still empty
    ds.Next();
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(DataSetRules, ARefusingHookStopsEveryMoveAndKeepsTheLinePending)
{
    for (const LeaveCase &c : leaveCases) {
        SCOPED_TRACE(c.name);
        load({"01", "02", "03"});
        ds.Next();
        ds.Insert(); // row 1 of 4
        code->SetAsString(QStringLiteral("7"));
        rate->SetAsFloat(2.5);
        refusePost = true;
        inserts = 0;
        EXPECT_THROW(c.leave(ds), EAbort);
        EXPECT_EQ(ds.State(), dsInsert);
        EXPECT_EQ(ds.RecNo(), 2);
        EXPECT_EQ(code->AsString(), QStringLiteral("7"));
        EXPECT_EQ(rate->AsFloat(), 2.5);
        EXPECT_EQ(ds.RecordCount(), 4);
        EXPECT_EQ(inserts, 0); // Insert stopped before its own hook
        refusePost = false;
        c.leave(ds); // accepted now
        EXPECT_EQ(ds.State(), c.name == std::string("Insert") ? dsInsert : dsBrowse);
    }
}

TEST_F(DataSetRules, HookExceptionsOfAnyKindReachTheCaller)
{
    load({"01"});
    ds.BeforeInsert = [](TDataSet *) { throw std::runtime_error("hook"); };
    EXPECT_THROW(ds.Insert(), std::runtime_error);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 1);
}

TEST_F(DataSetRules, PostInBrowseDoesNothingAndAnExplicitPostKeepsAnUntouchedLine)
{
    load({"01"});
    ds.Post();
    EXPECT_EQ(posts, 0);
    EXPECT_EQ(ds.State(), dsBrowse);
    ds.Insert();
    ds.Post();
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST_F(DataSetRules, CancelDropsAnInsertionAndRestoresAnEdit)
{
    load({"01", "02"});
    ds.Next();
    ds.Insert();
    code->SetAsString(QStringLiteral("05"));
    ds.Cancel();
    EXPECT_EQ(codes(), (QStringList{"01", "02"}));
    EXPECT_EQ(ds.RecNo(), 2); // back on the line that was current
    ds.Edit();
    code->SetAsString(QStringLiteral("99"));
    ds.Cancel();
    EXPECT_EQ(codes(), (QStringList{"01", "02"}));
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(DataSetRules, DeleteDropsAPendingLineWithoutHookOrRemovesTheCurrentLine)
{
    load({"01", "02", "03"});
    ds.Insert();
    code->SetAsString(QStringLiteral("05"));
    ds.Delete();
    EXPECT_EQ(posts, 0);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(codes(), (QStringList{"01", "02", "03"}));

    ds.Next();
    ds.Delete();
    EXPECT_EQ(codes(), (QStringList{"01", "03"}));
    EXPECT_EQ(code->AsString(), QStringLiteral("03"));
    ds.Delete();
    EXPECT_EQ(code->AsString(), QStringLiteral("01")); // the last row gone: the one above
    ds.Delete();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.RecNo(), 0);
    try {
        ds.Delete();
        ADD_FAILURE() << "delete on an empty data set accepted";
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Operação não permitida em um conjunto de dados vazio"));
    }
    ds.Close();
    EXPECT_THROW(ds.Delete(), EDatabaseError);
}

TEST_F(DataSetRules, NothingMovesAtEitherEndAndNothingIsRaised)
{
    load({"01", "02"});
    ds.Prior();
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_TRUE(ds.Bof());
    ds.Last();
    ds.Next();
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_TRUE(ds.Eof());

    ds.First();
    ds.Insert();
    code->SetAsString(QStringLiteral("09"));
    ds.Prior(); // posts, then stays on the top line
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(code->AsString(), QStringLiteral("09"));

    ds.Close();
    ds.CreateDataSet();
    ds.Next();
    ds.Prior();
    ds.First();
    EXPECT_EQ(ds.RecNo(), 0);
}

TEST_F(DataSetRules, TouchingARowBelowADroppedLineLandsOnThatRow)
{
    load({"01", "02", "03"});
    ds.Insert(); // rows: "", 01, 02, 03
    ds.MoveToRow(2);
    EXPECT_EQ(code->AsString(), QStringLiteral("02"));
    ds.MoveToRow(ds.CurrentRow()); // touching the current row changes nothing
    EXPECT_EQ(code->AsString(), QStringLiteral("02"));
    ds.MoveToRow(99);
    EXPECT_EQ(code->AsString(), QStringLiteral("02"));
}

TEST_F(DataSetRules, StringsAreCutAndDatesKeepTheDayOnly)
{
    ds.CreateDataSet();
    ds.Insert();
    code->SetAsString(QStringLiteral("123"));
    EXPECT_EQ(code->AsString(), QStringLiteral("12"));
    code->SetValue(QStringLiteral("Alíquota"));
    EXPECT_EQ(code->AsString(), QStringLiteral("Al"));
    day->SetAsDateTime(EncodeDateTime(2026, 12, 7, 10, 30));
    EXPECT_EQ(day->AsDateTime(), EncodeDateTime(2026, 12, 7));
    EXPECT_EQ(day->AsString(), QStringLiteral("07/12/2026"));
}

TEST_F(DataSetRules, FieldTextsFollowTheFormatSettings)
{
    ds.CreateDataSet();
    ds.Insert();
    EXPECT_EQ(rate->AsString(), QString());
    EXPECT_EQ(rate->AsFloat(), 0.0);
    rate->SetAsFloat(0);
    EXPECT_EQ(rate->AsString(), QStringLiteral("0")); // zero is present
    rate->SetAsString(QStringLiteral("1,5"));
    EXPECT_EQ(rate->AsFloat(), 1.5);
    EXPECT_THROW(rate->SetAsString(QStringLiteral("1.5")), EConvertError);
    EXPECT_EQ(rate->AsFloat(), 1.5); // a refused text leaves the value
    rate->SetAsString(QString());
    EXPECT_TRUE(rate->IsNull());
    EXPECT_THROW(rate->SetAsFloat(std::numeric_limits<double>::infinity()), EConvertError);
}

TEST_F(DataSetRules, FieldLookupIsCaseInsensitiveAndAMissingFieldIsNamed)
{
    EXPECT_EQ(ds.FindField(QStringLiteral("code")), code);
    try {
        ds.FieldByName(QStringLiteral("IDESQUEMA"));
        ADD_FAILURE();
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Campo 'IDESQUEMA' não encontrado"));
    }
    EXPECT_THROW(ds.AddField(QStringLiteral("Code"), TFieldType::ftString, 2), EDatabaseError);
    ds.CreateDataSet();
    EXPECT_THROW(ds.AddField(QStringLiteral("OTHER"), TFieldType::ftString, 2), EDatabaseError);
}

TEST_F(DataSetRules, SignalsLetAGridFollow)
{
    load({"01", "02"});
    QSignalSpy layout(&ds, &TDataSet::layoutChanged);
    QSignalSpy row(&ds, &TDataSet::rowChanged);
    QSignalSpy current(&ds, &TDataSet::currentChanged);
    QSignalSpy state(&ds, &TDataSet::stateChanged);
    ds.Next();
    EXPECT_EQ(current.count(), 1);
    EXPECT_EQ(current.takeFirst().at(0).toInt(), 1);
    ds.Insert();
    EXPECT_EQ(layout.count(), 1);
    EXPECT_EQ(state.count(), 1);
    code->SetAsString(QStringLiteral("03"));
    ASSERT_EQ(row.count(), 1);
    EXPECT_EQ(row.takeFirst().at(0).toInt(), 1);
    ds.Post();
    EXPECT_EQ(state.count(), 2);
}

// Writing the value a field already holds leaves a view nothing to redraw, yet still counts as
// a write: the line it starts is posted, not dropped.
TEST_F(DataSetRules, RewritingTheSameValueCountsButDoesNotRedraw)
{
    load({"01"});
    ds.Insert();
    code->SetAsString(QStringLiteral("03"));
    QSignalSpy row(&ds, &TDataSet::rowChanged);
    code->SetAsString(QStringLiteral("03"));
    EXPECT_EQ(row.count(), 0);
    code->SetAsString(QStringLiteral("04"));
    EXPECT_EQ(row.count(), 1);
    rate->Clear();
    EXPECT_EQ(row.count(), 1); // null to null
    rate->SetAsFloat(0);
    EXPECT_EQ(row.count(), 2); // null to a value

    ds.Post();
    ds.Insert();
    code->Clear(); // a write of null over null
    ds.First();
    EXPECT_EQ(ds.RecordCount(), 3);
}

TEST_F(DataSetRules, FocusControlAsksTheBoundControl)
{
    TField *focused = nullptr;
    ds.OnFocusControl = [&](TField *f) { focused = f; };
    rate->FocusControl();
    EXPECT_EQ(focused, rate);
    ds.OnFocusControl = nullptr;
    code->FocusControl(); // nobody bound: nothing happens
    EXPECT_EQ(focused, rate);
}

TEST_F(DataSetRules, OpenWithoutDataAndCreateOnAnOpenListAreRefused)
{
    try {
        ds.Open();
        ADD_FAILURE();
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Missing data provider or data packet"));
    }
    ds.CreateDataSet();
    ds.Open(); // already active: no effect
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_THROW(ds.CreateDataSet(), EDatabaseError);
    ds.Close();
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(code->AsString(), QString()); // reading a closed list gives null
}

} // namespace
