#include "KpfMessageBox.h"

#include "HostObserver.h"
#include "Trad_utl.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace
{
constexpr int kIconSize = 48;
constexpr int kTextPixelSize = 20;
constexpr int kButtonPixelSize = 22;
constexpr int kButtonHeight = 52;
constexpr int kButtonWidth = 160;
constexpr int kMinTextWidth = 300;
constexpr int kMaxTextWidth = 560;
// Long enough for the box to be painted and seen, short enough for a scripted run.
constexpr int kAutoAckDelayMs = 60;

QStyle::StandardPixmap IconFor(TTipoMsg kind)
{
    switch (kind) {
    case TTipoMsg::tmAviso:
    case TTipoMsg::tmAtencao:
        return QStyle::SP_MessageBoxWarning;
    case TTipoMsg::tmErro:
        return QStyle::SP_MessageBoxCritical;
    case TTipoMsg::tmPergunta:
        return QStyle::SP_MessageBoxQuestion;
    case TTipoMsg::tmInformacao:
        break;
    }
    return QStyle::SP_MessageBoxInformation;
}
} // namespace

KpfMessageBox::KpfMessageBox(const QString &text, TTipoMsg kind, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setProperty("kpfTransient", true);
    setWindowTitle(Trad_utl::TradTexto(TitleFor(kind)));
    setModal(true);

    auto *icon = new QLabel(this);
    icon->setPixmap(style()
                        ->standardIcon(IconFor(kind))
                        .pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);

    auto *message = new QLabel(text, this);
    message->setObjectName(QStringLiteral("lblMensagem"));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    QFont textFont = message->font();
    textFont.setPixelSize(kTextPixelSize);
    message->setFont(textFont);
    // A short text on one line; a long one wraps at a width that still fits a small screen.
    const int oneLine = QFontMetrics(textFont).horizontalAdvance(text) + 2;
    message->setMinimumWidth(qBound(kMinTextWidth, oneLine, kMaxTextWidth));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("btnOk"));
    m_ok->setAccessibleName(QStringLiteral("OK"));
    m_ok->setDefault(true);
    m_ok->setMinimumSize(kButtonWidth, kButtonHeight);
    QFont buttonFont = m_ok->font();
    buttonFont.setPixelSize(kButtonPixelSize);
    buttonFont.setBold(true);
    m_ok->setFont(buttonFont);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(20);
    layout->addWidget(icon, 0, 0);
    layout->addWidget(message, 0, 1);
    layout->addWidget(m_ok, 1, 0, 1, 2, Qt::AlignHCenter);
    // Sized once to its content. No size constraint: it would pin the window's minimum size,
    // useless for a box that is acknowledged, not resized. Not adjustSize: it narrows a wrapping
    // text to two thirds of a small screen.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    const int width = layout->totalMinimumSize().width();
    resize(width, qMax(heightForWidth(width), layout->totalMinimumSize().height()));
    m_ok->setFocus();
}

// Marked for lupdate; the box translates the title when it shows it.
QString KpfMessageBox::TitleFor(TTipoMsg kind)
{
    switch (kind) {
    case TTipoMsg::tmInformacao:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Kpf05520", "Informação"));
    case TTipoMsg::tmAviso:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Kpf05520", "Aviso"));
    case TTipoMsg::tmErro:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Kpf05520", "Erro"));
    case TTipoMsg::tmAtencao:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Kpf05520", "Atenção"));
    case TTipoMsg::tmPergunta:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Kpf05520", "Pergunta"));
    }
    return QString::fromUtf8(QT_TRANSLATE_NOOP("Kpf05520", "Mensagem"));
}

void KpfMessageBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_autoAckScheduled && KpfDll::AutoAcknowledge()) {
        m_autoAckScheduled = true;
        AcknowledgeLater(this);
    }
}

void KpfMessageBox::AcknowledgeLater(QWidget *box)
{
    QTimer::singleShot(kAutoAckDelayMs, box, [box] {
        // The key goes where the operator's keyboard would send it: the focused OK button.
        QWidget *target = box->focusWidget() ? box->focusWidget() : box;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(target, &press);
        if (box->isVisible())
            QApplication::sendEvent(target, &release);
    });
}
