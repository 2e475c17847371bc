// TDBGrid.h needs the complete TDataSet.
#include "TDataSet.h"

#include "Blendedshape.h"
#include "TDBGrid.h"
#include "Trad_utl.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTranslator>

namespace
{

// A translator with a fixed table for the module's context only.
class TableTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (QByteArray(context) != "Kpf05520")
            return {};
        return table.value(QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }
    QMap<QString, QString> table;
};

// A screen-like widget tree built the way a screen definition builds one.
struct Screen {
    Screen()
    {
        root.setWindowTitle("Impostos");
        header = new QLabel("Impostos", &root);
        footer = new QLabel("KPF05520", &root);
        confirm = new TBlendedBitBtn(&root);
        confirm->SetCaption("C&onfirmar");
        digit = new TBlendedBitBtn(&root);
        digit->SetCaption("1");
        plain = new QPushButton("Sair", &root);
        grid = new TDBGrid(&root);
        grid->SetColumns({{"CDIMPOSTO", "Codigo Imposto", 93},
                          {"VRALIQIMPRZ", "Aliquota", 88},
                          {"VRBCALCIMPRZ", "Valor Acumulado", 221}});
    }
    QStringList texts() const
    {
        QStringList all{root.windowTitle(), header->text(),   footer->text(), confirm->Caption(),
                        confirmName(),      digit->Caption(), plain->text()};
        for (const TDBGrid::Column &column : grid->Columns())
            all << column.title + "/" + column.fieldName + "/" + QString::number(column.width);
        return all;
    }

    // The name assistive tools read.
    QString confirmName() const
    {
        return QAccessible::queryAccessibleInterface(confirm)->text(QAccessible::Name);
    }

    QWidget root;
    QLabel *header = nullptr;
    QLabel *footer = nullptr;
    TBlendedBitBtn *confirm = nullptr;
    TBlendedBitBtn *digit = nullptr;
    QPushButton *plain = nullptr;
    TDBGrid *grid = nullptr;
};

TEST(Trad, WithoutTranslatorNothingChanges)
{
    Screen screen;
    const QStringList before = screen.texts();
    Trad_utl::Trad(&screen.root);
    EXPECT_EQ(screen.texts(), before);
}

TEST(Trad, InstalledTranslatorReplacesCaptionsTitlesAndGridTitles)
{
    TableTranslator english;
    english.table = {{"Impostos", "Taxes"},
                     {"C&onfirmar", "C&onfirm"},
                     {"Sair", "Quit"},
                     {"Codigo Imposto", "Tax code"},
                     {"Valor Acumulado", "Accumulated value"}};
    QCoreApplication::installTranslator(&english);
    Screen screen;
    Trad_utl::Trad(&screen.root);
    QCoreApplication::removeTranslator(&english);

    const QStringList expected{"Taxes",
                               "Taxes",
                               "KPF05520",
                               "C&onfirm",
                               "Confirm",
                               "1",
                               "Quit",
                               "Tax code/CDIMPOSTO/93",
                               "Aliquota/VRALIQIMPRZ/88",
                               "Accumulated value/VRBCALCIMPRZ/221"};
    EXPECT_EQ(screen.texts(), expected);
}

} // namespace
