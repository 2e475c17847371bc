// The tax screen as built from its definition: every control where the layout puts it, with its
// caption, colours, font and handler; the tax-line fields; the message table; the focus rule.
#include "Blendedshape.h"
#include "Cli_Kpf05520.h"
#include "ScreenFixture.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TShape.h"
#include "Tec_msg.h"

#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace
{

const QColor kFrame(204, 91, 44);
const QColor kGreen(34, 221, 100);
const QColor kRed(238, 62, 17);
const QColor kGray(128, 128, 128);
const QColor kSilver(192, 192, 192);
const QColor kNavy(0, 0, 128);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kDisabled(204, 204, 204);

struct ButtonRow {
    const char *name;
    QRect geometry;
    const char *caption;
    int tag;
    const char *onClick;
    QColor brush;
    QColor font;
    QColor down;
    QColor downFont;
    QColor disabled;
    QColor disabledFont;
    TBlendedBitBtn::TShapeType shape;
    const char *family; // nullptr: image only, the form's font
    int pixelSize;
    bool bold;
    bool hasGlyph;
};

using B = TBlendedBitBtn;
// clang-format off
const ButtonRow kButtons[] = {
    {"sbtAnt", {425, 56, 49, 46}, "", 0, "sbtAntClick", kWhite, kFrame, kBlack, kWhite, kDisabled, kWhite, B::stCircle, nullptr, 0, false, true},
    {"sbtProx", {425, 202, 49, 46}, "", 0, "sbtProxClick", kWhite, kFrame, kBlack, kWhite, kDisabled, kWhite, B::stCircle, nullptr, 0, false, true},
    {"blsMais", {12, 252, 62, 48}, "+", 0, "blsMaisClick", kGray, kWhite, kGray, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 32, true, false},
    {"blsMenos", {76, 252, 62, 48}, "-", 0, "blsMenosClick", kGray, kWhite, kGray, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 32, true, false},
    {"blsConfirm", {279, 256, 144, 43}, "C&onfirmar", 0, "blsConfirmClick", kGreen, kWhite, kGray, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 13, true, true},
    {"blsCancel", {281, 324, 139, 48}, "&Cancelar", 0, "blsCancelClick", kSilver, kNavy, kBlack, kWhite, kGray, kSilver, B::stRoundRect, "Tahoma", 19, true, true},
    {"sbt1", {487, 53, 63, 48}, "1", 49, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"BlendedBitBtn10", {551, 53, 62, 48}, "2", 50, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"sbt3", {614, 53, 62, 48}, "3", 51, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"sbt4", {487, 103, 62, 48}, "4", 52, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"BlendedBitBtn9", {551, 103, 62, 48}, "5", 53, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"sbt6", {614, 103, 62, 48}, "6", 54, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"sbt7", {487, 153, 62, 48}, "7", 55, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"BlendedBitBtn8", {551, 153, 62, 48}, "8", 56, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"sbt9", {614, 153, 62, 48}, "9", 57, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"sbt0", {487, 203, 62, 48}, "0", 48, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"sbt00", {551, 203, 62, 48}, "00", 48, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"sbt000", {614, 203, 62, 48}, "000", 48, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"sbtVirgula", {551, 253, 62, 46}, ",", 0, "sbt1Click", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, "Arial", 24, false, false},
    {"sbtVoltar", {487, 253, 62, 46}, "", 0, "sbtVoltarClick", kRed, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, nullptr, 0, false, true},
    {"sbtCorrigir", {614, 253, 127, 46}, "", 0, "sbtCorrigirClick", kGray, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, nullptr, 0, false, true},
    {"sbtEnter", {678, 53, 62, 198}, "", 0, "sbtEnterClick", kGreen, kWhite, kBlack, kWhite, kDisabled, kWhite, B::stRoundRect, nullptr, 0, false, true},
};
// clang-format on

// Liberation Sans stands in for Arial and MS Sans Serif, DejaVu Sans for Tahoma.
QString ExpectedFamily(const char *family)
{
    return QString::fromLatin1(family) == QLatin1String("Tahoma")
               ? QStringLiteral("DejaVu Sans")
               : QStringLiteral("Liberation Sans");
}

void ExpectFont(const QWidget *w, const char *family, int pixelSize, bool bold)
{
    const QFontInfo info(w->font());
    EXPECT_EQ(info.family(), ExpectedFamily(family)) << qPrintable(w->objectName());
    EXPECT_EQ(info.pixelSize(), pixelSize) << qPrintable(w->objectName());
    EXPECT_EQ(info.bold(), bold) << qPrintable(w->objectName());
}

class LayoutTest : public ScreenFixture
{
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        form.ensurePolished(); // applies the definition's style sheets, as showing would
    }

    TfrmImpost form; // built as the entry builds it, not shown
};

} // namespace

TEST_F(LayoutTest, FormIsABorderlessTouchScreenOf748By315)
{
    EXPECT_EQ(form.size(), QSize(748, 315));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Impostos"));
    EXPECT_EQ(form.palette().color(QPalette::Window), kBlack);
    ExpectFont(&form, "MS Sans Serif", 11, false);
    for (const char *handler : {"onCreate", "onDestroy", "onActivate", "onKeyDown", "onKeyPress"})
        EXPECT_FALSE(form.property(handler).toString().isEmpty()) << handler;
}

TEST_F(LayoutTest, EveryButtonMatchesTheLayoutTable)
{
    for (const ButtonRow &row : kButtons) {
        SCOPED_TRACE(row.name);
        auto *b = form.findChild<TBlendedBitBtn *>(QString::fromLatin1(row.name));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->geometry(), row.geometry);
        EXPECT_EQ(b->Caption(), QString::fromUtf8(row.caption));
        EXPECT_EQ(b->Tag(), row.tag);
        EXPECT_EQ(b->property("onClick").toString(), QString::fromLatin1(row.onClick));
        EXPECT_EQ(b->BrushColor(), row.brush);
        EXPECT_EQ(b->FontColor(), row.font);
        EXPECT_EQ(b->DownColor(), row.down);
        EXPECT_EQ(b->DownFontColor(), row.downFont);
        EXPECT_EQ(b->DisabledColor(), row.disabled);
        EXPECT_EQ(b->DisabledFontColor(), row.disabledFont);
        EXPECT_EQ(b->Shape(), row.shape);
        EXPECT_EQ(b->PenStyle(), TBlendedBitBtn::psClear);
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
        EXPECT_FALSE(b->accessibleName().isEmpty());
        EXPECT_EQ(!b->Glyph().isNull(), row.hasGlyph);
        if (row.family)
            ExpectFont(b, row.family, row.pixelSize, row.bold);
    }
    EXPECT_EQ(form.findChildren<TBlendedBitBtn *>().size(), int(std::size(kButtons)));
    EXPECT_EQ(form.findChild<TBlendedBitBtn *>("blsConfirm")->Layout(),
              TBlendedBitBtn::blGlyphRight);
}

TEST_F(LayoutTest, FrameLabelsAndPanelMatchTheLayoutTable)
{
    auto *shape = form.findChild<TShape *>(QStringLiteral("Shape1"));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->geometry(), QRect(0, 0, 748, 315));
    EXPECT_EQ(shape->BrushColor(), kWhite);
    EXPECT_EQ(shape->PenColor(), kFrame);
    EXPECT_EQ(shape->PenWidth(), 2);
    EXPECT_EQ(form.children().indexOf(shape), 0) << "the frame must lie below every control";

    struct LabelRow {
        const char *name;
        QRect geometry;
        const char *text;
        Qt::Alignment horizontal;
        QColor color;
        int pixelSize;
        bool bold;
    };
    const LabelRow labels[] = {
        {"lblCabec", {7, 12, 738, 25}, "Impostos", Qt::AlignHCenter, kBlack, 19, true},
        {"lblCodTela", {691, 299, 49, 14}, "Kpf05520", Qt::AlignRight, kGray, 11, false},
    };
    for (const LabelRow &row : labels) {
        SCOPED_TRACE(row.name);
        auto *label = form.findChild<QLabel *>(QString::fromLatin1(row.name));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->geometry(), row.geometry);
        EXPECT_EQ(label->text(), QString::fromLatin1(row.text));
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, row.horizontal);
        EXPECT_EQ(label->palette().color(label->foregroundRole()), row.color);
        EXPECT_FALSE(label->autoFillBackground());
        ExpectFont(label, "Arial", row.pixelSize, row.bold);
    }

    auto *panel = form.findChild<QFrame *>(QStringLiteral("panImpRedZ"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(12, 54, 407, 194));
    EXPECT_EQ(panel->frameShape(), QFrame::NoFrame);
}

TEST_F(LayoutTest, GridShowsThreeColumnsCutOffByItsPanel)
{
    auto *grid = form.findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->parentWidget()->objectName(), QStringLiteral("panImpRedZ"));
    EXPECT_EQ(grid->geometry(), QRect(-1, -2, 438, 214));
    EXPECT_EQ(grid->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(grid->DataSet(), form.cdsImpRedZ);
    EXPECT_EQ(grid->property("onKeyDown").toString(), QStringLiteral("dbgImpRedZKeyDown"));
    EXPECT_EQ(QFontInfo(grid->font()).family(), QStringLiteral("Liberation Sans"));

    const struct {
        const char *field;
        const char *title;
        int width;
    } columns[] = {{"CDIMPOSTO", "Codigo Imposto", 93},
                   {"VRALIQIMPRZ", "Aliquota", 88},
                   {"VRBCALCIMPRZ", "Valor Acumulado", 221}};
    ASSERT_EQ(grid->Columns().size(), std::size(columns));
    for (int i = 0; i < int(std::size(columns)); ++i) {
        SCOPED_TRACE(columns[i].field);
        EXPECT_EQ(grid->Columns()[i].fieldName, QString::fromLatin1(columns[i].field));
        EXPECT_EQ(grid->model()->headerData(i, Qt::Horizontal).toString(),
                  QString::fromLatin1(columns[i].title));
        EXPECT_EQ(grid->horizontalHeader()->sectionSize(i), columns[i].width);
    }
}

TEST_F(LayoutTest, CancelLiesBelowTheClientAreaSoOnlyConfirmIsAWayOut)
{
    const QRect client(QPoint(0, 0), form.size());
    EXPECT_FALSE(client.intersects(form.findChild<QWidget *>("blsCancel")->geometry()));
    EXPECT_TRUE(client.contains(form.findChild<QWidget *>("blsConfirm")->geometry()));
}

TEST_F(LayoutTest, TaxLineFieldsAreThePersistentFieldsInOrder)
{
    const struct {
        const char *name;
        TFieldType type;
        int size;
        const char *label;
        bool visible;
    } fields[] = {
        {"CDFILIAL", TFieldType::ftString, 4, "CDFILIAL", true},
        {"CDCAIXA", TFieldType::ftString, 3, "CDCAIXA", true},
        {"NRECFREDZ", TFieldType::ftString, 10, "NRECFREDZ", true},
        {"DTREDUCAOZ", TFieldType::ftDate, 0, "DTREDUCAOZ", true},
        {"CDIMPOSTO", TFieldType::ftString, 2, "Codigo Imposto", true},
        {"VRALIQIMPRZ", TFieldType::ftFloat, 0, "Aliquota", true},
        {"VRBCALCIMPRZ", TFieldType::ftFloat, 0, "Valor Acumulado", true},
        {"VRIMPOSTORZ", TFieldType::ftFloat, 0, "Valor", false},
    };
    const TClientDataSet *list = form.cdsImpRedZ;
    ASSERT_EQ(list->FieldCount(), int(std::size(fields)));
    EXPECT_TRUE(list->HasPersistentFields());
    EXPECT_FALSE(list->Active());
    for (int i = 0; i < int(std::size(fields)); ++i) {
        SCOPED_TRACE(fields[i].name);
        const TField *f = list->Fields()[i].get();
        EXPECT_EQ(f->FieldName(), QString::fromLatin1(fields[i].name));
        EXPECT_EQ(f->DataType(), fields[i].type);
        if (fields[i].type == TFieldType::ftString) {
            EXPECT_EQ(f->Size(), fields[i].size);
        }
        EXPECT_EQ(f->DisplayLabel(), QString::fromLatin1(fields[i].label));
        EXPECT_EQ(f->Visible(), fields[i].visible);
    }
    for (const char *name : {"cdsImpRedZ", "cdsPesqImp", "cdsParametrosKvr", "cdsKvr"})
        EXPECT_NE(form.findChild<TClientDataSet *>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(form.cdsPesqImp->FieldCount(), 0);
}

TEST_F(LayoutTest, MessageTableHoldsTheSixTexts)
{
    ASSERT_EQ(form.msgPadrao, form.findChild<TMessages *>(QStringLiteral("msgPadrao")));
    const std::pair<const char *, const char *> entries[] = {
        {"DADO_N_INF", "Dado não informado."},
        {"IMP_N_INF", "Imposto deve ser informado."},
        {"IMP_N_CAD", "Imposto não cadastrado."},
        {"ALIQ_N_INF", "Alíquota não informada."},
        {"VALOR_N_INF", "Valor não informado."},
        {"ALIQ_VAL", "Valor da alíquota deve ser menor que 100."},
    };
    EXPECT_EQ(form.msgPadrao->Messages().size(), 6);
    for (const auto &[key, text] : entries)
        EXPECT_EQ(form.msgPadrao->Msg(QString::fromLatin1(key)), QString::fromUtf8(text)) << key;
}

TEST_F(LayoutTest, StateStartsEmpty)
{
    EXPECT_EQ(form.NrCampo(), 0);
    EXPECT_TRUE(form.TxAliq().isEmpty());
    EXPECT_TRUE(form.TxValor().isEmpty());
    EXPECT_TRUE(form.IdEsquema().isEmpty());
    EXPECT_TRUE(form.VrRetorno().isUnassigned());
    // nrCampo 0 (or anything above 2) stands for the base value.
    form.mudafoco5520();
    EXPECT_EQ(form.findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ"))->SelectedFieldName(),
              QStringLiteral("VRBCALCIMPRZ"));
}

// Each image is drawn at the pixel ratio asked for, in its button's text colour, not scaled up
// from a small bitmap.
TEST_F(LayoutTest, ImagesAreDrawnAtEveryPixelRatioInTheirButtonsColour)
{
    for (const ButtonRow &row : kButtons) {
        if (!row.hasGlyph)
            continue;
        SCOPED_TRACE(row.name);
        const auto *b = form.findChild<TBlendedBitBtn *>(QString::fromLatin1(row.name));
        const QSize natural = b->Glyph().availableSizes().value(0);
        ASSERT_FALSE(natural.isEmpty());
        for (const qreal ratio : {1.0, 2.0, 3.0}) {
            const QImage image = b->Glyph().pixmap(natural, ratio).toImage();
            EXPECT_EQ(image.size(), natural * ratio);
            int inked = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    inked += image.pixelColor(x, y) == row.font ? 1 : 0;
            // The solid area grows with the square of the ratio.
            EXPECT_GT(inked, natural.width() * natural.height() * ratio * ratio / 10) << ratio;
        }
        EXPECT_FALSE(b->GlyphDisabled().isNull());
    }
}

TEST_F(ScreenFixture, FocusStaysOnTheGridWhateverIsTouched)
{
    RunEntry([&](TfrmImpost &form) {
        auto *grid = form.findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ"));
        EXPECT_EQ(QApplication::focusWidget(), grid);
        EXPECT_EQ(grid->SelectedFieldName(), QStringLiteral("CDIMPOSTO"));
        for (const char *name : {"sbt1", "sbtEnter", "sbtVoltar", "sbtAnt", "blsMais",
                                 "sbtCorrigir", "sbtProx", "sbtVirgula"}) {
            Play(QStringLiteral("click ") + QLatin1String(name));
            EXPECT_EQ(QApplication::focusWidget(), grid) << "after " << name;
        }
    });
    EXPECT_TRUE(ActionRan());
}
