#include "Mensagemkvr.h"

#include "Exceptions.h"
#include "HostObserver.h"
#include "KpfMessageBox.h"
#include "Trad_utl.h"

#include <QApplication>
#include <QPointer>

namespace Mensagemkvr
{

namespace
{
MessagePresenter &presenter()
{
    static MessagePresenter current;
    return current;
}

QWidget *boxParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QString errorTextOf(const Variant &result)
{
    if (result.isText())
        return result.text().isEmpty()
                   ? Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "erro sem descrição"))
                   : result.text();
    return Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "nenhum dado foi retornado"));
}

// Shows a text that is already in the operator's language.
void Mostra(const QString &shown, TTipoMsg kind)
{
    KpfDll::NotifyMessage(shown, kind);
    // A copy, so that a presenter may replace itself while it runs.
    const MessagePresenter current = presenter();
    if (current)
        current(shown, kind);
    else
        DefaultPresenter(shown, kind);
}
} // namespace

void Mensagem(const QString &text, const QString &title, const QString &flag1, const QString &flag2,
              TTipoMsg kind, const QString &detail, const QString &idEsquema, int code,
              TClientDataSet *dataSet)
{
    // The kind gives the box's title; the flags, the schema, the code and the data set are
    // accepted for the callers' sake and change nothing in what is shown.
    Q_UNUSED(title);
    Q_UNUSED(flag1);
    Q_UNUSED(flag2);
    Q_UNUSED(idEsquema);
    Q_UNUSED(code);
    Q_UNUSED(dataSet);
    // Every message reaches the operator through here (the checks' texts come from the screen's
    // message table), so this is the one place where they are translated.
    const QString translated = Trad_utl::TradTexto(text);
    Mostra(detail.isEmpty() ? translated
                            : translated + QLatin1Char('\n') + Trad_utl::TradTexto(detail),
           kind);
}

Variant MensagemMetodo(const Variant &result, bool showError, int code, const QString &method,
                       const QString &unit, const QString &context, const QString &idEsquema)
{
    if (result.isPacket())
        return result;
    if (showError) {
        const QString where = context.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(context);
        // The frame is translated, the database's own error text is not.
        const QString text =
            Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "Erro em %1 (%2)%3: %4"))
                .arg(method, unit, where, errorTextOf(result));
        Q_UNUSED(code);
        Q_UNUSED(idEsquema);
        Mostra(text, TTipoMsg::tmErro);
    }
    // The caller's operation stops here: loading nothing (or an empty list) would only add a
    // second, misleading message after the real error.
    Abort();
}

QString MontaRodapeGeral(bool withVersion, const QString &screenCode, const QString &flag)
{
    Q_UNUSED(flag);
    if (!withVersion)
        return screenCode;
    return QStringLiteral("%1 v%2").arg(screenCode, QStringLiteral(KPF_DLL_VERSION));
}

void SetMessagePresenter(MessagePresenter newPresenter)
{
    presenter() = std::move(newPresenter);
}

void DefaultPresenter(const QString &text, TTipoMsg kind)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        // A host without widgets still gets the text somewhere instead of a crash.
        qWarning("%s: %s", qUtf8Printable(KpfMessageBox::TitleFor(kind)), qUtf8Printable(text));
        return;
    }
    // On the heap and watched: if the window under the box goes away while it is up, Qt deletes
    // the box with it.
    const QPointer<KpfMessageBox> box = new KpfMessageBox(text, kind, boxParent());
    box->exec();
    delete box.data();
}

} // namespace Mensagemkvr
