#include "ScreenStateJson.h"

#include "JsonLine.h"
#include "TDBGrid.h"
#include "TDataSet.h"

#include <QWidget>

QByteArray ScreenStateJson::Of(const QWidget *screen)
{
    const auto *dataSet = screen->findChild<TDataSet *>(QStringLiteral("cdsImpRedZ"));
    const auto *grid = screen->findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ"));
    JsonLine state;
    state.AddInteger("nrCampo", screen->property("nrCampo").toInt());
    // Whatever entry texts the screen publishes, under their names.
    const QVariantList texts = screen->property("textosEntrada").toList();
    for (const QVariant &text : texts) {
        const QStringList nameAndText = text.toStringList();
        state.AddString(nameAndText.value(0).toLatin1().constData(), nameAndText.value(1));
    }
    state.AddInteger("state", dataSet ? int(dataSet->State()) : 0)
        .AddInteger("recNo", dataSet && dataSet->Active() ? dataSet->RecNo() - 1 : -1);
    const QString selected = grid ? grid->SelectedFieldName() : QString();
    if (selected.isEmpty())
        state.AddNull("selectedField");
    else
        state.AddString("selectedField", selected);
    state.AddJson("rows", Rows(dataSet));
    return state.ToJson();
}

QByteArray ScreenStateJson::Rows(const TDataSet *dataSet)
{
    QList<QByteArray> rows;
    if (dataSet && dataSet->Active()) {
        for (int row = 0; row < dataSet->RecordCount(); ++row) {
            JsonLine line;
            for (const auto &field : dataSet->Fields()) {
                const QByteArray name = field->FieldName().toUtf8();
                line.AddJson(name.constData(),
                             JsonLine::Value(dataSet->RowValue(row, field->Index())));
            }
            rows.append(line.ToJson());
        }
    }
    return JsonLine::Array(rows);
}
