#include "TestForm.h"

#include "Exceptions.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace
{

bool IsModifierKey(Word key)
{
    return key >= 0x10 && key <= 0x12; // Shift, Ctrl, Alt pressed on their own
}

} // namespace

TestForm::TestForm() : TestForm(Options{}) {}

TestForm::TestForm(const Options &options)
{
    setProperty("onCreate", "FormCreate");
    setProperty("onActivate", "FormActivate");
    setProperty("onKeyDown", "FormKeyDown");
    setProperty("onKeyPress", "FormKeyPress");
    SetClientSize(400, 240);

    cds = new TClientDataSet(this);
    cds->setObjectName("cds");
    cds->AddField("CODE", TFieldType::ftString, 2);
    cds->AddField("RATE", TFieldType::ftFloat);
    cds->AddField("VALUE", TFieldType::ftFloat);
    cds->setProperty("BeforeInsert", "DataBeforeInsert");
    cds->setProperty("BeforePost", "DataBeforePost");

    grid = new TDBGrid(this);
    grid->setObjectName("grid");
    grid->setGeometry(0, 0, 300, 200);
    grid->setProperty("onKeyDown", options.gridKeyDownHandler);
    grid->SetColumns({{"CODE", "Código", 60}, {"RATE", "Alíquota", 80}, {"VALUE", "Valor", 100}});
    grid->SetDataSet(cds);

    button = new QPushButton("OK", this);
    button->setObjectName("button");
    button->setGeometry(310, 0, 80, 40);
    button->setFocusPolicy(Qt::NoFocus);
    button->setDefault(true);
    button->setProperty("onClick", options.clickHandler);
    otherButton = new QPushButton("Other", this);
    otherButton->setObjectName("otherButton");
    otherButton->setGeometry(310, 50, 80, 40);
    otherButton->setFocusPolicy(Qt::NoFocus);
    otherButton->setProperty("onClick", "ButtonClick");

    edit = new QLineEdit(this);
    edit->setObjectName("edit");
    edit->setGeometry(0, 205, 300, 30);

    FormCreated();
}

TestForm::~TestForm()
{
    FormDestroying();
}

void TestForm::AddRows(const QList<QPair<QString, double>> &rows)
{
    if (!cds->Active())
        cds->CreateDataSet();
    // Insert places the new row before the current one: add them bottom-up.
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        cds->First();
        cds->Insert();
        cds->FieldByName("CODE")->SetAsString(it->first);
        cds->FieldByName("RATE")->SetAsFloat(it->second);
        cds->Post();
    }
    cds->First();
}

bool TestForm::ActivateAndFocusGrid()
{
    show();
    activateWindow();
    if (!QTest::qWaitForWindowActive(this))
        return false;
    grid->setFocus();
    return QApplication::focusWidget() == grid;
}

void TestForm::FormCreate(QObject *)
{
    ++creations;
}

void TestForm::FormActivate(QObject *)
{
    ++activations;
}

void TestForm::FormKeyDown(QObject *, Word &Key, TShiftState Shift)
{
    if (!IsModifierKey(Key))
        log << QStringLiteral("down %1 %2").arg(Key, 0, 16).arg(Shift);
    if (failKeyDown && !IsModifierKey(Key))
        throw Exception("key refused");
    if (zeroAltF4 && Key == VK_F4 && Shift == ssAlt)
        Key = 0;
}

void TestForm::FormKeyPress(QObject *, QChar &Key)
{
    log << QStringLiteral("press %1").arg(Key.unicode());
}

void TestForm::GridKeyDown(QObject *Sender, Word &Key, TShiftState Shift)
{
    if (Sender != grid)
        throw Exception("grid key handler got the wrong sender");
    if (!IsModifierKey(Key))
        log << QStringLiteral("grid %1 %2").arg(Key, 0, 16).arg(Shift);
    if (zeroCtrlDownInGrid && Key == VK_DOWN && Shift == ssCtrl)
        Key = 0;
}

void TestForm::ButtonClick(QObject *Sender)
{
    log << QStringLiteral("click %1").arg(Sender ? Sender->objectName() : QStringLiteral("null"));
    if (onClick)
        onClick();
}

void TestForm::DataBeforeInsert(TDataSet *DataSet)
{
    log << QStringLiteral("beforeInsert %1").arg(DataSet->objectName());
}

void TestForm::DataBeforePost(TDataSet *DataSet)
{
    log << QStringLiteral("beforePost %1").arg(DataSet->objectName());
    if (refusePost)
        throw EAbort();
}
