// Packets: a data set of 100,000 tax lines written to an XML data packet and read back into
// another, beside one QXmlStreamReader pass over the same document that touches every row's
// attributes (the least a reader can do).
#include "BenchSupport.h"
#include "DataPacket.h"
#include "TClientDataSet.h"
#include "Variant.h"

#include <QCoreApplication>
#include <QDate>
#include <QXmlStreamReader>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace BenchSupport;

namespace
{

constexpr int Lines = 100000;
std::unique_ptr<TClientDataSet> g_source;
QByteArray g_document;

// The eight fields of IMPOSTOREDZ with 100,000 rows, as a stored-lines packet holds them.
QByteArray MakeDocument()
{
    DataPacket packet;
    const auto text = [](const char *name, int size) {
        return DataPacket::FieldDesc{QString::fromLatin1(name), TFieldType::ftString, size};
    };
    packet.fields = {text("CDFILIAL", 4),
                     text("CDCAIXA", 3),
                     text("NRECFREDZ", 10),
                     {QStringLiteral("DTREDUCAOZ"), TFieldType::ftDate, 0},
                     text("CDIMPOSTO", 2),
                     {QStringLiteral("VRALIQIMPRZ"), TFieldType::ftFloat, 0},
                     {QStringLiteral("VRBCALCIMPRZ"), TFieldType::ftFloat, 0},
                     {QStringLiteral("VRIMPOSTORZ"), TFieldType::ftFloat, 0}};
    packet.rows.resize(Lines);
    const QDate first(2021, 1, 1);
    for (int i = 0; i < Lines; ++i) {
        const double rate = 7 + i % 5 * 4, base = 100.0 + i % 997 + 0.25;
        packet.rows[i].values = {QString::number(i / 20000 + 1).rightJustified(4, u'0'),
                                 QString::number(i / 2000 % 10 + 1).rightJustified(3, u'0'),
                                 QString::number(i / 5 + 1).rightJustified(10, u'0'),
                                 first.addDays(i / 5 % 2000),
                                 CodeOf(i % 5),
                                 rate,
                                 base,
                                 int(base * rate) / 100.0};
    }
    return packet.ToXml();
}

void BM_Packet_Module(benchmark::State &state)
{
    for (auto _ : state) {
        // Through the XML both ways: Data alone would hand the structure over.
        const Variant packet = Variant::fromPacket(g_source->Data().packet());
        TClientDataSet back;
        back.SetData(packet);
        if (back.RecordCount() != Lines)
            state.SkipWithError("lines lost on the way back");
    }
}

// The two halves of the module's figure.
void BM_Packet_WriteOnly(benchmark::State &state)
{
    for (auto _ : state) {
        const QByteArray xml = g_source->Data().packet();
        benchmark::DoNotOptimize(xml);
    }
}

void BM_Packet_ReadOnly(benchmark::State &state)
{
    const Variant packet = Variant::fromPacket(g_document);
    for (auto _ : state) {
        TClientDataSet back;
        back.SetData(packet);
        benchmark::DoNotOptimize(back.RecordCount());
    }
}

void BM_Packet_XmlStreamReader(benchmark::State &state)
{
    for (auto _ : state) {
        QXmlStreamReader xml(g_document);
        qsizetype rows = 0, characters = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"ROW")
                continue;
            ++rows;
            for (const QXmlStreamAttribute &attribute : xml.attributes())
                characters += attribute.value().size();
        }
        if (xml.hasError() || rows != Lines)
            state.SkipWithError("the document did not read");
        benchmark::DoNotOptimize(characters);
    }
}

BENCHMARK(BM_Packet_Module)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Packet_XmlStreamReader)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Packet_WriteOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Packet_ReadOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    PrepareEnvironment();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    g_source = std::make_unique<TClientDataSet>();
    g_source->SetData(Variant::fromPacket(MakeDocument()));
    g_document = g_source->Data().packet();
    std::fprintf(stderr, "packet of %d lines: %lld bytes\n", g_source->RecordCount(),
                 static_cast<long long>(g_document.size()));

    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintFigure("packet of 100,000 lines", reporter.Time("BM_Packet_Module"),
                reporter.Time("BM_Packet_XmlStreamReader"), "ms", "ratio <= 2");
    return 0;
}
