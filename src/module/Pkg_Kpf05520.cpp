// The module's C face (include/kpf05520.h), every function it exports: the package frame that a
// host calls after loading the module and before unloading it, the package information it checks,
// the entry, and the application for hosts without one. Texts go out as copies the host frees
// with KpfFree.
#include "Cli_Kpf05520.h"
#include "Exceptions.h"
#include "Srv_Kpf05520.h"
#include "TClientDataSet.h"
#include "Trad_utl.h"
#include "kpf05520.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace
{

bool inicializado = false;

} // namespace

// The units' initialization: no screen exists yet.
extern "C" KPF_EXPORT void Initialize(void)
{
    if (inicializado)
        return;
    Cli_Kpf05520::boCriado = false;
    inicializado = true;
}

// Idempotent. A screen or data module can only be left over when a call ended abnormally; the
// host calls this between calls, never during one.
extern "C" KPF_EXPORT void Finalize(void)
{
    delete std::exchange(Srv_Kpf05520::rdmImpost, nullptr);
    delete std::exchange(Cli_Kpf05520::frmImpost, nullptr);
    Cli_Kpf05520::boCriado = false;
    inicializado = false;
}

extern "C" KPF_EXPORT int KpfVersion(void)
{
    return KPF05520_VERSION_NUMBER;
}

extern "C" KPF_EXPORT const char *const *GetPackageRequires(void)
{
    static const char *const requeridos[] = {"_dll", nullptr};
    return requeridos;
}

extern "C" KPF_EXPORT const char *const *GetPackageUnits(void)
{
    static const char *const unidades[] = {"Pkg_Kpf05520", "Cli_Kpf05520", "Srv_Kpf05520", nullptr};
    return unidades;
}

namespace
{

// A NUL-terminated copy that the host releases with KpfFree; nullptr when memory is short.
char *CopiaTexto(const QByteArray &texto) noexcept
{
    auto *copia = static_cast<char *>(std::malloc(size_t(texto.size()) + 1));
    if (!copia)
        return nullptr;
    std::memcpy(copia, texto.constData(), size_t(texto.size()));
    copia[texto.size()] = '\0';
    return copia;
}

QString Texto(const char *texto, const char *nome)
{
    if (!texto)
        throw Exception(Trad_utl::TradTexto(
                            QT_TRANSLATE_NOOP("Kpf05520", "CriaImpostoRedz: o argumento %1 é nulo"))
                            .arg(QString::fromLatin1(nome)));
    return QString::fromUtf8(texto);
}

// The host's data set: the packet with its current record, or an empty one with the fields the
// screen reads.
void PreparaOrigem(TClientDataSet &origem, const char *pacote, int registro)
{
    if (!pacote) {
        for (const QString &nome : TfrmImpost::ColunasDeOrigem())
            origem.AddField(nome, TFieldType::ftString, 20);
        origem.CreateDataSet();
    } else {
        origem.SetData(Variant::fromPacket(QByteArray(pacote)));
    }
    const int total = origem.RecordCount();
    if (registro < 0 || (registro > 0 && registro >= total))
        throw Exception(
            Trad_utl::TradTexto(
                QT_TRANSLATE_NOOP("Kpf05520",
                                  "CriaImpostoRedz: registro corrente %1 fora do conjunto "
                                  "de origem, que tem %2 registro(s)"))
                .arg(registro)
                .arg(total));
    if (total > 0)
        origem.MoveToRow(registro);
}

int Falha(char **errorText, const QString &mensagem)
{
    *errorText = CopiaTexto(mensagem.toUtf8());
    return KPF_FAILED;
}

} // namespace

extern "C" KPF_EXPORT int CriaImpostoRedz(const char *branch, const char *till,
                                          const char *zCounter, double zDate, double referenceDate,
                                          const char *sourcePacket, int sourceRecord,
                                          char **resultPacket, char **errorText)
{
    if (resultPacket)
        *resultPacket = nullptr;
    if (!errorText)
        return KPF_FAILED;
    *errorText = nullptr;
    if (!resultPacket)
        return Falha(errorText,
                     Trad_utl::TradTexto(
                         QT_TRANSLATE_NOOP("Kpf05520", "CriaImpostoRedz: o argumento %1 é nulo"))
                         .arg(QLatin1String("resultPacket")));
    try {
        Cli_Kpf05520::ConfereChamada();
        TClientDataSet origem;
        PreparaOrigem(origem, sourcePacket, sourceRecord);
        const Variant resultado = Cli_Kpf05520::CriaImpostoRedZ(
            Texto(branch, "branch"), Texto(till, "till"), Texto(zCounter, "zCounter"), zDate,
            referenceDate, &origem);
        if (!resultado.isPacket())
            return KPF_NOT_CONFIRMED;
        if (!(*resultPacket = CopiaTexto(resultado.packet())))
            return Falha(errorText, Trad_utl::TradTexto(QT_TRANSLATE_NOOP(
                                        "Kpf05520", "Memória insuficiente para o resultado")));
        return KPF_CONFIRMED;
    } catch (const EAbort &) {
        // A check refused the first line and has already told the operator why.
        return Falha(errorText, Trad_utl::TradTexto(QT_TRANSLATE_NOOP(
                                    "Kpf05520", "Operação cancelada: a primeira linha de imposto "
                                                "não foi aceita")));
    } catch (const Exception &e) {
        return Falha(errorText, e.Message());
    } catch (const std::exception &e) {
        return Falha(errorText, QString::fromUtf8(e.what()));
    } catch (...) {
        return Falha(errorText,
                     Trad_utl::TradTexto(QT_TRANSLATE_NOOP("Kpf05520", "Erro desconhecido")));
    }
}

extern "C" KPF_EXPORT void KpfFree(char *text)
{
    std::free(text);
}

namespace
{
// Qt ends the whole process when its platform finds no display; the host is told instead.
bool TemDisplay()
{
    const QByteArray plataforma = qgetenv("QT_QPA_PLATFORM");
    if (plataforma.startsWith("xcb"))
        return !qEnvironmentVariableIsEmpty("DISPLAY");
    if (plataforma.startsWith("wayland"))
        return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    return !plataforma.isEmpty() || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
} // namespace

// For hosts that cannot make a QApplication themselves. Qt keeps a reference to argc and the
// argv pointers for the application's life, so both are copied into storage that never ends.
extern "C" KPF_EXPORT int KpfEnsureApplication(int *argc, char **argv)
{
    if (QCoreApplication::instance())
        return qobject_cast<QApplication *>(QCoreApplication::instance()) ? 0 : -1;
    if (!TemDisplay()) {
        std::fputs("KpfEnsureApplication: no display for the screen: set DISPLAY (X11) or "
                   "WAYLAND_DISPLAY (Wayland), or QT_QPA_PLATFORM (offscreen for tests)\n",
                   stderr);
        return -2;
    }
    static int argumentCount = 0;
    static std::vector<QByteArray> texts;
    static std::vector<char *> pointers;
    const int given = argc && argv ? std::max(*argc, 0) : 0;
    for (int i = 0; i < given && argv[i]; ++i)
        texts.emplace_back(argv[i]);
    if (texts.empty())
        texts.emplace_back("kpfhost");
    for (QByteArray &text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    argumentCount = int(texts.size());
    // Never deleted: the module may be unloaded only at exit, and Qt must outlive every widget.
    new QApplication(argumentCount, pointers.data());
    return 1;
}
