#include "EventGuard.h"

#include "Exceptions.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QtDebug>

namespace
{

ErrorBoxHook &CurrentBoxHook()
{
    static ErrorBoxHook hook;
    return hook;
}

// A modal box sized for a finger: large text, one large OK button that Enter also presses.
// It is marked transient so that the form under it does not treat its own reactivation as a
// new activation.
void DefaultErrorPresenter(const QString &message)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        qWarning().noquote() << message;
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Erro"), message, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setProperty("kpfTransient", true);
    QFont font = box.font();
    font.setPixelSize(18);
    box.setFont(font);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    ok->setMinimumSize(160, 64);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    // A copy, so that the hook may replace itself while it runs.
    if (const ErrorBoxHook hook = CurrentBoxHook())
        hook(box, message);
    box.exec();
}

ErrorPresenter &CurrentPresenter()
{
    static ErrorPresenter presenter;
    return presenter;
}

} // namespace

void SetErrorPresenter(ErrorPresenter presenter)
{
    CurrentPresenter() = std::move(presenter);
}

void SetErrorBoxHook(ErrorBoxHook hook)
{
    CurrentBoxHook() = std::move(hook);
}

void ShowError(const QString &message)
{
    const ErrorPresenter &presenter = CurrentPresenter();
    if (presenter)
        presenter(message);
    else
        DefaultErrorPresenter(message);
}

namespace
{

// A failing presenter must not let an exception escape into Qt's event loop either.
void ShowErrorSafely(const QString &message)
{
    try {
        ShowError(message);
    } catch (...) {
        qWarning().noquote() << "Error presenter failed while showing:" << message;
    }
}

} // namespace

bool RunGuarded(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const EAbort &) {
    } catch (const Exception &e) {
        ShowErrorSafely(e.Message());
    } catch (const std::exception &e) {
        ShowErrorSafely(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorSafely(QStringLiteral("Erro desconhecido."));
    }
    return false;
}
