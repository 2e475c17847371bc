// Every control of the tax screen carries an accessible name, so that screen readers and UI
// automation find it; the names are listed here as the operator's tools see them.
#include "Cli_Kpf05520.h"
#include "ScreenFixture.h"

#include <QAccessible>
#include <QMap>
#include <QWidget>

namespace
{

// Object name -> accessible name.
const QMap<QString, QString> kAccessibleNames{
    {"TfrmImpost", "Impostos"},
    {"Shape1", "Moldura"},
    {"lblCabec", "Título"},
    {"panImpRedZ", "Lista de impostos"},
    {"dbgImpRedZ", "Impostos da redução Z"},
    {"sbtAnt", "Linha anterior"},
    {"sbtProx", "Próxima linha"},
    {"blsMais", "Nova linha"},
    {"blsMenos", "Excluir linha"},
    {"blsConfirm", "Confirmar"},
    {"blsCancel", "Cancelar"},
    {"sbt1", "Dígito 1"},
    {"BlendedBitBtn10", "Dígito 2"},
    {"sbt3", "Dígito 3"},
    {"sbt4", "Dígito 4"},
    {"BlendedBitBtn9", "Dígito 5"},
    {"sbt6", "Dígito 6"},
    {"sbt7", "Dígito 7"},
    {"BlendedBitBtn8", "Dígito 8"},
    {"sbt9", "Dígito 9"},
    {"sbt0", "Dígito 0"},
    {"sbt00", "Dígitos 00"},
    {"sbt000", "Dígitos 000"},
    {"sbtVirgula", "Vírgula"},
    {"sbtVoltar", "Campo anterior"},
    {"sbtCorrigir", "Corrigir"},
    {"sbtEnter", "Próximo campo"},
    {"lblCodTela", "Código da tela"},
};

// The screen's own controls: the screen and every named child the definition made, not the
// grid's inner parts (viewport, headers, scroll bars), which Qt names "qt_..." or not at all.
QList<QWidget *> Controls(TfrmImpost &form)
{
    QList<QWidget *> controls{&form};
    for (QWidget *child : form.findChildren<QWidget *>()) {
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            controls.append(child);
    }
    return controls;
}

class AccessibleNames : public ScreenFixture
{
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        CreateDatabase();
        WriteSettings(QStringLiteral("13"));
    }
};

TEST_F(AccessibleNames, EveryControlHasItsOwnNameAsAssistiveToolsReadIt)
{
    QMap<QString, QString> found;
    RunEntry([&](TfrmImpost &form) {
        for (QWidget *control : Controls(form)) {
            const QString name = control->objectName();
            SCOPED_TRACE(name.toStdString());
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
            ASSERT_NE(accessible, nullptr);
            EXPECT_EQ(accessible->text(QAccessible::Name), control->accessibleName());
            found.insert(name, control->accessibleName());
        }
    });
    for (auto it = found.cbegin(); it != found.cend(); ++it)
        EXPECT_FALSE(it.value().isEmpty()) << qPrintable(it.key()) << " has no accessible name";
    EXPECT_EQ(found, kAccessibleNames);
    QStringList names = found.values();
    names.removeDuplicates();
    EXPECT_EQ(names.size(), found.size()) << "two controls share an accessible name";
}

} // namespace
