#include "DataPacket.h"
#include "Exceptions.h"
#include "SysUtils.h"
#include "TClientDataSet.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamWriter>
#include <charconv>
#include <cmath>
#include <gtest/gtest.h>

namespace
{

QByteArray packetOf(const QString &fields, const QString &rows, const QString &params = {})
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                          "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>%1</FIELDS>"
                          "<PARAMS%3/></METADATA><ROWDATA>%2</ROWDATA></DATAPACKET>")
        .arg(fields, rows, params)
        .toUtf8();
}

const QString TaxFields =
    QStringLiteral("<FIELD attrname=\"CDIMPOSTO\" fieldtype=\"string\" WIDTH=\"2\"/>"
                   "<FIELD attrname=\"NMIMPOSTO\" fieldtype=\"string\" WIDTH=\"40\"/>"
                   "<FIELD attrname=\"VRALIQ\" fieldtype=\"r8\"/>"
                   "<FIELD attrname=\"DTREDUCAOZ\" fieldtype=\"date\"/>");

QStringList rowStates(const QByteArray &xml)
{
    QStringList out;
    for (const DataPacket::Row &row : DataPacket::Parse(xml).rows)
        out << QString::number(row.rowState) + QLatin1Char(':') + row.values[0].toString();
    return out;
}

QString changeLogOf(const QByteArray &xml)
{
    const auto m =
        QRegularExpression(QStringLiteral("CHANGE_LOG=\"([^\"]*)\"")).match(QString::fromUtf8(xml));
    return m.hasMatch() ? m.captured(1) : QString();
}

class ChangeLog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.SetData(
            Variant::fromPacket(packetOf(TaxFields, "<ROW CDIMPOSTO=\"01\" VRALIQ=\"18\"/>"
                                                    "<ROW CDIMPOSTO=\"02\" VRALIQ=\"7.5\"/>"
                                                    "<ROW CDIMPOSTO=\"03\" VRALIQ=\"0.29\"/>")));
    }
    TField *field(const char *name) { return ds.FieldByName(QString::fromLatin1(name)); }
    TClientDataSet ds;
};

TEST_F(ChangeLog, LoadedRowsAreUnchangedOriginals)
{
    const QByteArray xml = ds.Data().packet();
    EXPECT_EQ(rowStates(xml), (QStringList{"0:01", "0:02", "0:03"}));
    EXPECT_TRUE(xml.contains("<PARAMS/>"));
    EXPECT_EQ(field("VRALIQ")->AsString(), QStringLiteral("18"));
}

TEST_F(ChangeLog, InsertsDeletesAndEditsAreLoggedInTheOrderTheyHappened)
{
    ds.Next();
    ds.Delete(); // 02 deleted
    ds.Insert(); // before 03
    field("CDIMPOSTO")->SetAsString(QStringLiteral("04"));
    ds.Post();
    ds.First();
    ds.Edit();
    field("VRALIQ")->SetAsFloat(12);
    ds.Post();
    const QByteArray xml = ds.Data().packet();
    EXPECT_EQ(rowStates(xml), (QStringList{"1:01", "8:01", "2:02", "4:04", "0:03"}));
    EXPECT_EQ(changeLogOf(xml), QStringLiteral("3 0 2 4 0 4 2 1 8"));
    const DataPacket packet = DataPacket::Parse(xml);
    EXPECT_EQ(packet.rows[0].values[2].toDouble(), 18.0); // the original keeps its loaded value
    EXPECT_EQ(packet.rows[1].values[2].toDouble(), 12.0);
    EXPECT_EQ(packet.rows[2].values[2].toDouble(), 7.5); // the deletion names the row as loaded
}

TEST_F(ChangeLog, AnInsertedThenDeletedRowLeavesNoTrace)
{
    const QByteArray before = ds.Data().packet();
    ds.Insert();
    field("CDIMPOSTO")->SetAsString(QStringLiteral("09"));
    ds.Post();
    ds.First();
    ASSERT_EQ(field("CDIMPOSTO")->AsString(), QStringLiteral("09"));
    ds.Delete();
    EXPECT_EQ(ds.Data().packet(), before);
}

TEST_F(ChangeLog, AnEditedThenDeletedOriginalIsDeletedWithItsLoadedValues)
{
    ds.Edit();
    field("VRALIQ")->SetAsFloat(99);
    ds.Post();
    ds.Delete();
    const QByteArray xml = ds.Data().packet();
    EXPECT_EQ(rowStates(xml), (QStringList{"2:01", "0:02", "0:03"}));
    EXPECT_EQ(DataPacket::Parse(xml).rows[0].values[2].toDouble(), 18.0);
}

TEST_F(ChangeLog, AnEditWithoutWritesIsNoChange)
{
    ds.Edit();
    ds.Next();
    EXPECT_EQ(changeLogOf(ds.Data().packet()), QString());
}

TEST_F(ChangeLog, APendingLineIsNotInThePacket)
{
    ds.Insert();
    field("CDIMPOSTO")->SetAsString(QStringLiteral("09"));
    EXPECT_EQ(rowStates(ds.Data().packet()), (QStringList{"0:01", "0:02", "0:03"}));
    ds.Next();
    ds.Edit();
    field("CDIMPOSTO")->SetAsString(QStringLiteral("77"));
    EXPECT_EQ(rowStates(ds.Data().packet()), (QStringList{"4:09", "0:01", "0:02", "0:03"}));
}

TEST_F(ChangeLog, SetDataOfAPacketWithAChangeLogRestoresIt)
{
    ds.Next();
    ds.Delete();
    ds.Insert();
    field("CDIMPOSTO")->SetAsString(QStringLiteral("04"));
    ds.Post();
    ds.Last();
    ds.Edit();
    field("NMIMPOSTO")->SetAsString(QStringLiteral("ICMS"));
    ds.Post();
    const QByteArray xml = ds.Data().packet();

    TClientDataSet copy;
    copy.SetData(Variant::fromPacket(xml));
    EXPECT_EQ(copy.Data().packet(), xml);
    EXPECT_EQ(copy.RecordCount(), 3);
    // The restored log goes on: deleting the restored insertion removes it without a trace.
    copy.Delete(); // the first visible row is the original 01
    copy.First();
    EXPECT_EQ(copy.FieldByName(QStringLiteral("CDIMPOSTO"))->AsString(), QStringLiteral("04"));
    copy.Delete();
    EXPECT_EQ(rowStates(copy.Data().packet()), (QStringList{"2:01", "2:02", "1:03", "8:03"}));
}

// Qt's auto-formatting stream writer's rendering of a packet of texts, floats and dates without
// a change log: the packet writer must match it byte for byte, escaping included.
QByteArray streamWriterXml(const DataPacket &packet)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeStartElement(QStringLiteral("DATAPACKET"));
    xml.writeAttribute(QStringLiteral("Version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("METADATA"));
    xml.writeStartElement(QStringLiteral("FIELDS"));
    for (const DataPacket::FieldDesc &field : packet.fields) {
        xml.writeEmptyElement(QStringLiteral("FIELD"));
        xml.writeAttribute(QStringLiteral("attrname"), field.name);
        xml.writeAttribute(QStringLiteral("fieldtype"), FieldTypes::PacketName(field.type));
        if (field.type == TFieldType::ftString)
            xml.writeAttribute(QStringLiteral("WIDTH"), QString::number(field.size));
    }
    xml.writeEndElement();
    xml.writeEmptyElement(QStringLiteral("PARAMS"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("ROWDATA"));
    for (const DataPacket::Row &row : packet.rows) {
        xml.writeEmptyElement(QStringLiteral("ROW"));
        for (size_t i = 0; i < packet.fields.size(); ++i) {
            const QVariant &value = row.values[i];
            if (!value.isValid())
                continue;
            char number[64];
            const QString text =
                value.typeId() == QMetaType::QDate ? value.toDate().toString(u"yyyyMMdd")
                : value.typeId() == QMetaType::Double
                    ? QString::fromLatin1(
                          number,
                          std::to_chars(number, number + sizeof number, value.toDouble()).ptr -
                              number)
                    : value.toString();
            xml.writeAttribute(packet.fields[i].name, text);
        }
    }
    xml.writeEndDocument();
    return out;
}

// In the process a packet travels as its structure; it must load exactly as its XML would,
// change log included, and the log must go on the same way afterwards.
TEST_F(ChangeLog, APacketHandedOverInTheProcessLoadsAsItsXmlWould)
{
    ds.Next();
    ds.Delete();
    ds.Insert();
    field("CDIMPOSTO")->SetAsString(QStringLiteral("04"));
    field("DTREDUCAOZ")->SetAsString(QStringLiteral("07/12/2026"));
    ds.Post();
    ds.First();
    ds.Edit();
    field("VRALIQ")->SetAsFloat(12);
    ds.Post();
    const Variant handed = ds.Data();
    ASSERT_NE(handed.packetData(), nullptr);
    TClientDataSet direct, viaXml;
    direct.SetData(handed);
    viaXml.SetData(Variant::fromPacket(QByteArray(handed.packet())));
    EXPECT_EQ(direct.Data().packet(), viaXml.Data().packet());
    for (TClientDataSet *copy : {&direct, &viaXml}) {
        copy->Last();
        copy->Delete();
    }
    EXPECT_EQ(direct.Data().packet(), viaXml.Data().packet());
    EXPECT_EQ(rowStates(direct.Data().packet()),
              (QStringList{"1:01", "8:01", "2:02", "4:04", "2:03"}));
}

TEST(PacketRoundTrip, NormalizingGivesWhatReadingTheXmlGives)
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("CD"), TFieldType::ftString, 2},
                     {QStringLiteral("T"), TFieldType::ftDateTime, 0},
                     {QStringLiteral("D"), TFieldType::ftDate, 0},
                     {QStringLiteral("R"), TFieldType::ftFloat, 0},
                     {QStringLiteral("I"), TFieldType::ftInteger, 0}};
    // Values as a query may hold them: too long, of another type, with a time zone.
    packet.rows.push_back(
        {{QStringLiteral("12345"),
          QDateTime(QDate(2026, 12, 7), QTime(23, 30, 1, 5), Qt::LocalTime),
          QDateTime(QDate(2026, 12, 7), QTime(10, 0)), QStringLiteral("1.5"), qlonglong(42)}});
    packet.rows.push_back({{1.5, QDate(2026, 1, 2), QVariant(), -0.0, true}});
    packet.rows.push_back({{QVariant()}}); // fewer values than fields
    const DataPacket read = DataPacket::Parse(packet.ToXml());
    DataPacket normalized = packet;
    normalized.Normalize();
    ASSERT_EQ(normalized.fields.size(), read.fields.size());
    for (size_t i = 0; i < read.fields.size(); ++i)
        EXPECT_EQ(normalized.fields[i].size, read.fields[i].size) << i;
    ASSERT_EQ(normalized.rows.size(), read.rows.size());
    for (size_t r = 0; r < read.rows.size(); ++r)
        for (size_t i = 0; i < read.fields.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "row " << r << " field " << i);
            const QVariant &mine = normalized.rows[r].values.at(i),
                           &theirs = read.rows[r].values[i];
            EXPECT_EQ(mine.typeId(), theirs.typeId());
            EXPECT_EQ(mine, theirs);
        }
    EXPECT_EQ(std::signbit(normalized.rows[1].values[3].toDouble()), true);
    EXPECT_EQ(normalized.ToXml(), packet.ToXml());
}

struct RoundTripCase {
    const char *name;
    QVariant code;
    QVariant text;
    QVariant rate;
    QVariant date;
};

TEST(PacketRoundTrip, ValuesComeBackExactly)
{
    const RoundTripCase cases[] = {
        {"nulls", QVariant(), QVariant(), QVariant(), QVariant()},
        {"non-ASCII", QStringLiteral("Aí"), QStringLiteral("Alíquota não informada."), 0.29,
         QDate(2026, 12, 7)},
        {"escaping", QStringLiteral("<&"), QStringLiteral("a\"b'c>d&e\nf\tg\rh"), -7.5,
         QDate(1, 1, 1)},
        {"blanks", QStringLiteral(" "), QStringLiteral("  two  "), 1e20, QDate(9999, 12, 31)},
        {"empty text", QString(""), QString(""), 0.0, QDate(1899, 12, 30)},
        {"tiny and exact", QStringLiteral("01"), QStringLiteral("€ ✓ 𝄞"), 0.1 + 0.2,
         QDate(2000, 2, 29)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DataPacket packet;
        packet.fields = {{QStringLiteral("CDIMPOSTO"), TFieldType::ftString, 2},
                         {QStringLiteral("NMIMPOSTO"), TFieldType::ftString, 40},
                         {QStringLiteral("VRALIQ"), TFieldType::ftFloat, 0},
                         {QStringLiteral("DTREDUCAOZ"), TFieldType::ftDate, 0}};
        packet.rows.push_back({{c.code, c.text, c.rate, c.date}});
        const QByteArray xml = packet.ToXml();
        const DataPacket back = DataPacket::Parse(xml);
        ASSERT_EQ(back.rows.size(), 1u);
        EXPECT_EQ(xml, streamWriterXml(back));
        EXPECT_EQ(back.rows[0].values, packet.rows[0].values);
        EXPECT_EQ(back.rows[0].values[0].isValid(), c.code.isValid());
    }
}

TEST(PacketRoundTrip, FieldDescriptionsArePresentWithoutRows)
{
    TClientDataSet ds;
    ds.AddField(QStringLiteral("CDIMPOSTO"), TFieldType::ftString, 2);
    ds.AddField(QStringLiteral("DTREDUCAOZ"), TFieldType::ftDateTime);
    ds.AddField(QStringLiteral("QT"), TFieldType::ftInteger);
    ds.AddField(QStringLiteral("BO"), TFieldType::ftBoolean);
    ds.CreateDataSet();
    const QByteArray xml = ds.Data().packet();
    EXPECT_TRUE(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"));
    const DataPacket packet = DataPacket::Parse(xml);
    ASSERT_EQ(packet.fields.size(), 4u);
    EXPECT_EQ(packet.fields[0].size, 2);
    EXPECT_EQ(packet.fields[1].type, TFieldType::ftDateTime);
    EXPECT_EQ(packet.fields[2].type, TFieldType::ftInteger);
    EXPECT_EQ(packet.fields[3].type, TFieldType::ftBoolean);
    EXPECT_TRUE(packet.rows.empty());
}

TEST(PacketRoundTrip, ValuesAreWrittenInThePacketsOwnForms)
{
    TClientDataSet ds;
    ds.AddField(QStringLiteral("D"), TFieldType::ftDate);
    ds.AddField(QStringLiteral("T"), TFieldType::ftDateTime);
    ds.AddField(QStringLiteral("R"), TFieldType::ftFloat);
    ds.AddField(QStringLiteral("I"), TFieldType::ftInteger);
    ds.AddField(QStringLiteral("B"), TFieldType::ftBoolean);
    ds.CreateDataSet();
    ds.Insert();
    ds.FieldByName(QStringLiteral("D"))->SetAsDateTime(EncodeDateTime(2026, 12, 7, 10, 30));
    ds.FieldByName(QStringLiteral("T"))->SetAsDateTime(EncodeDateTime(2026, 12, 7, 10, 30, 0, 5));
    ds.FieldByName(QStringLiteral("R"))->SetAsString(QStringLiteral("0,29"));
    ds.FieldByName(QStringLiteral("I"))->SetAsInteger(-42);
    ds.FieldByName(QStringLiteral("B"))->SetValue(true);
    ds.Post();
    const QByteArray xml = ds.Data().packet();
    EXPECT_TRUE(xml.contains(
        R"(<ROW RowState="4" D="20261207" T="20261207T10:30:00005" R="0.29" I="-42" B="TRUE"/>)"))
        << xml.toStdString();
}

TEST(PacketRoundTrip, AStoredValueLongerThanItsFieldWidensTheWidth)
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("CD"), TFieldType::ftString, 2}};
    packet.rows.push_back({{QStringLiteral("12345")}});
    const DataPacket back = DataPacket::Parse(packet.ToXml());
    EXPECT_EQ(back.fields[0].size, 5);
    EXPECT_EQ(back.rows[0].values[0].toString(), QStringLiteral("12345"));
}

TEST_F(ChangeLog, AnEditedInsertionStaysAnInsertionWithItsNewValues)
{
    ds.Insert();
    field("CDIMPOSTO")->SetAsString(QStringLiteral("09"));
    ds.Post();
    ds.Edit();
    field("CDIMPOSTO")->SetAsString(QStringLiteral("08"));
    ds.Post();
    const QByteArray xml = ds.Data().packet();
    EXPECT_EQ(rowStates(xml), (QStringList{"4:08", "0:01", "0:02", "0:03"}));
    EXPECT_EQ(changeLogOf(xml), QStringLiteral("1 0 4"));
}

TEST(PersistentFields, APacketIsMatchedByNameAndConverted)
{
    TClientDataSet ds;
    ds.AddField(QStringLiteral("CDIMPOSTO"), TFieldType::ftString, 2);
    ds.AddField(QStringLiteral("VRALIQ"), TFieldType::ftFloat);
    ds.AddField(QStringLiteral("QT"), TFieldType::ftFloat);
    ds.AddField(QStringLiteral("DIA"), TFieldType::ftDate);
    ds.SetData(Variant::fromPacket(packetOf(
        QStringLiteral("<FIELD attrname=\"dia\" fieldtype=\"dateTime\"/>"
                       "<FIELD attrname=\"EXTRA\" fieldtype=\"string\" WIDTH=\"5\"/>"
                       "<FIELD attrname=\"qt\" fieldtype=\"i4\"/>"
                       "<FIELD attrname=\"vraliq\" fieldtype=\"R8\"/>"
                       "<FIELD attrname=\"cdimposto\" fieldtype=\"string\" WIDTH=\"10\"/>"),
        QStringLiteral("<ROW dia=\"20261207T10:30:00000\" EXTRA=\"x\" qt=\"3\" vraliq=\"17.5\""
                       " cdimposto=\"123\"/>"))));
    EXPECT_TRUE(ds.HasPersistentFields());
    ASSERT_EQ(ds.FieldCount(), 4);
    EXPECT_EQ(ds.Fields()[0]->FieldName(), QStringLiteral("CDIMPOSTO"));
    // A loaded text is kept whole, beyond the field's size: it goes back as it came.
    EXPECT_EQ(ds.FieldByName(QStringLiteral("CDIMPOSTO"))->AsString(), QStringLiteral("123"));
    EXPECT_EQ(ds.FieldByName(QStringLiteral("VRALIQ"))->AsFloat(), 17.5);
    EXPECT_EQ(ds.FieldByName(QStringLiteral("QT"))->Value().typeId(), QMetaType::Double);
    EXPECT_EQ(ds.FieldByName(QStringLiteral("DIA"))->Value(), QVariant(QDate(2026, 12, 7)));
}

TEST(PersistentFields, AMissingFieldIsNamedAndTheListIsLeftAsItWas)
{
    TClientDataSet ds;
    ds.AddField(QStringLiteral("CDIMPOSTO"), TFieldType::ftString, 2);
    ds.AddField(QStringLiteral("VRALIQ"), TFieldType::ftFloat);
    ds.CreateDataSet();
    ds.Insert();
    ds.FieldByName(QStringLiteral("CDIMPOSTO"))->SetAsString(QStringLiteral("01"));
    ds.Post();
    const QByteArray before = ds.Data().packet();
    const QByteArray missing =
        packetOf(QStringLiteral("<FIELD attrname=\"CDIMPOSTO\" fieldtype=\"string\" WIDTH=\"2\"/>"),
                 QStringLiteral("<ROW CDIMPOSTO=\"02\"/>"));
    try {
        ds.SetData(Variant::fromPacket(missing));
        ADD_FAILURE();
    } catch (const EDatabaseError &e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("'VRALIQ'"))) << e.what();
    }
    const QByteArray unconvertible =
        packetOf(QStringLiteral("<FIELD attrname=\"CDIMPOSTO\" fieldtype=\"string\" WIDTH=\"2\"/>"
                                "<FIELD attrname=\"VRALIQ\" fieldtype=\"string\" WIDTH=\"9\"/>"),
                 QStringLiteral("<ROW CDIMPOSTO=\"02\" VRALIQ=\"abc\"/>"));
    EXPECT_THROW(ds.SetData(Variant::fromPacket(unconvertible)), EDatabaseError);
    EXPECT_THROW(ds.SetData(Variant::fromText(QStringLiteral("ORA-12541"))), EDatabaseError);
    EXPECT_THROW(ds.SetData(Variant()), EDatabaseError);
    EXPECT_EQ(ds.Data().packet(), before);
}

TEST(DynamicFields, APacketsFieldsAreTakenAndReplacedByTheNextOne)
{
    TClientDataSet ds;
    ds.SetData(Variant::fromPacket(packetOf(TaxFields, QString())));
    EXPECT_FALSE(ds.HasPersistentFields());
    EXPECT_EQ(ds.FieldCount(), 4);
    TField *kept = ds.FieldByName(QStringLiteral("CDIMPOSTO"));
    ds.SetData(Variant::fromPacket(packetOf(TaxFields, QStringLiteral("<ROW CDIMPOSTO=\"01\"/>"))));
    EXPECT_EQ(ds.FieldByName(QStringLiteral("CDIMPOSTO")), kept); // same layout: same fields
    ds.SetData(Variant::fromPacket(
        packetOf(QStringLiteral("<FIELD attrname=\"IDESQUEMA\" fieldtype=\"string\" WIDTH=\"8\"/>"),
                 QStringLiteral("<ROW IDESQUEMA=\"KVR\"/>"))));
    EXPECT_EQ(ds.FieldCount(), 1);
    EXPECT_EQ(ds.FieldByName(QStringLiteral("IDESQUEMA"))->AsString(), QStringLiteral("KVR"));
}

TEST(PacketFiles, SaveAndLoadKeepTheContentAndErrorsNameTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("KAVIRON.CDS"));
    TClientDataSet ds;
    ds.AddField(QStringLiteral("IDTIPOIMPFIS"), TFieldType::ftString, 2);
    ds.CreateDataSet();
    ds.Insert();
    ds.FieldByName(QStringLiteral("IDTIPOIMPFIS"))->SetAsString(QStringLiteral("14"));
    ds.Post();
    ds.SaveToFile(path);

    TClientDataSet loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.FieldByName(QStringLiteral("IDTIPOIMPFIS"))->AsString(), QStringLiteral("14"));
    EXPECT_EQ(loaded.Data().packet(), ds.Data().packet());

    const QString missing = dir.filePath(QStringLiteral("NADA.CDS"));
    try {
        loaded.LoadFromFile(missing);
        ADD_FAILURE();
    } catch (const EDatabaseError &e) {
        EXPECT_TRUE(e.Message().contains(missing)) << e.what();
    }
    EXPECT_TRUE(loaded.Active()); // a failed load leaves the list as it was
}

// A settings file is read as what is left of it, never as the whole limit; a large one comes
// back whole.
TEST(PacketFiles, ALargeFileComesBackWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("GRANDE.CDS"));
    TClientDataSet ds;
    ds.AddField(QStringLiteral("TEXTO"), TFieldType::ftString, 100);
    ds.CreateDataSet();
    for (int i = 0; i < 3000; ++i) {
        ds.Insert();
        ds.FieldByName(QStringLiteral("TEXTO"))->SetAsString(QString::number(i).repeated(20));
        ds.Post();
    }
    ds.SaveToFile(path);
    ASSERT_GT(QFileInfo(path).size(), 4 * 64 * 1024);

    TClientDataSet loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.RecordCount(), 3000);
    EXPECT_EQ(loaded.Data().packet(), ds.Data().packet());
}

} // namespace
