#pragma once

#include "Variant.h"

#include <QString>
#include <functional>

class TClientDataSet;

// Message kinds; the ordinal picks the message box's title and icon.
enum class TTipoMsg {
    tmInformacao = 0, // "Informação", information icon
    tmAviso = 1,      // "Aviso", warning icon
    tmErro = 2,       // "Erro", critical icon
    tmAtencao = 3,    // "Atenção", warning icon (the checks' failures)
    tmPergunta = 4    // "Pergunta", question icon
};

// Messages and remote-method wrapping of the host library.
namespace Mensagemkvr
{

// Shows a modal, touch-sized message box (one large OK button; Enter or a touch acknowledges it)
// through the message presenter, and returns when it has been acknowledged. The host's message
// observer (kpf_dll.h) hears of it first. The kind gives the title and the icon; a non-empty
// detail is shown on a line of its own below the text. The title, the "N" flags, the schema, the
// code and the data set are taken for the callers' sake and change nothing in what is shown.
void Mensagem(const QString &text, const QString &title, const QString &flag1, const QString &flag2,
              TTipoMsg kind, const QString &detail, const QString &idEsquema, int code,
              TClientDataSet *dataSet);

// A data packet is given back unchanged. Anything else (an error text, or nothing) is shown once
// through Mensagem (kind tmErro, with code), naming the method, the unit, the context text and the
// error ("Erro em getPesqImp (Cli_Kpf05520) [01]: <error>"), and then the silent abort is raised.
// With showError false nothing is shown, but the abort is raised all the same.
Variant MensagemMetodo(const Variant &result, bool showError, int code, const QString &method,
                       const QString &unit, const QString &context, const QString &idEsquema);

// The screen-code footer: MontaRodapeGeral(false, "KPF05520", "N") gives "KPF05520"; with
// withVersion true the library's version follows ("KPF05520 v1.0"). The flag is reserved.
QString MontaRodapeGeral(bool withVersion, const QString &screenCode, const QString &flag);

// The presenter that shows a message; a host may replace it (an empty function restores the
// default box). DefaultPresenter shows the real box.
using MessagePresenter = std::function<void(const QString &text, TTipoMsg kind)>;
void SetMessagePresenter(MessagePresenter presenter);
void DefaultPresenter(const QString &text, TTipoMsg kind);

} // namespace Mensagemkvr
