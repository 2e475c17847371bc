#pragma once

#include "Mensagemkvr.h"

#include <QDialog>

class QPushButton;

// The library's message box, sized for a finger: the kind's icon and title, the text in a large
// font and one large OK button. Enter, a click or a touch on OK acknowledge it (Escape too, as with
// any one-button box). It carries kpfTransient so that the form under it does not take the
// return of the activation for a new activation.
class KpfMessageBox : public QDialog
{
    Q_OBJECT

public:
    explicit KpfMessageBox(const QString &text, TTipoMsg kind, QWidget *parent = nullptr);

    static QString TitleFor(TTipoMsg kind);
    QPushButton *OkButton() const { return m_ok; }
    // Shortly after, presses Enter on the box's focused control as the operator would; nothing
    // happens if the box is gone by then. For this library's boxes and the platform's error box.
    static void AcknowledgeLater(QWidget *box);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *m_ok = nullptr;
    bool m_autoAckScheduled = false;
};
