#include "Trad_utl.h"

// TDBGrid.h needs the complete TDataSet.
#include "TDataSet.h"

#include "Blendedshape.h"
#include "TDBGrid.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace Trad_utl
{

namespace
{
constexpr const char *kContext = "Kpf05520";

// Calls set only when a translator knows the text, so that an untranslated screen is left
// exactly as it was built (no property is touched, no signal fires).
template <typename Setter> void translateText(const QString &original, Setter set)
{
    if (original.isEmpty())
        return;
    const QString translated = TradTexto(original);
    if (translated != original)
        set(translated);
}

void translateGrid(TDBGrid *grid)
{
    std::vector<TDBGrid::Column> columns = grid->Columns();
    bool changed = false;
    for (TDBGrid::Column &column : columns) {
        translateText(column.title, [&](const QString &text) {
            column.title = text;
            changed = true;
        });
    }
    if (changed)
        grid->SetColumns(std::move(columns));
}

void translateWidget(QWidget *widget)
{
    if (auto *button = qobject_cast<TBlendedBitBtn *>(widget))
        translateText(button->Caption(), [&](const QString &t) { button->SetCaption(t); });
    else if (auto *label = qobject_cast<QLabel *>(widget))
        translateText(label->text(), [&](const QString &t) { label->setText(t); });
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        translateText(button->text(), [&](const QString &t) { button->setText(t); });
    else if (auto *box = qobject_cast<QGroupBox *>(widget))
        translateText(box->title(), [&](const QString &t) { box->setTitle(t); });
    else if (auto *grid = qobject_cast<TDBGrid *>(widget))
        translateGrid(grid);

    translateText(widget->toolTip(), [&](const QString &t) { widget->setToolTip(t); });
    translateText(widget->accessibleName(),
                  [&](const QString &t) { widget->setAccessibleName(t); });
}
} // namespace

QString TradTexto(const QString &text)
{
    if (text.isEmpty())
        return text;
    return TradTexto(text.toUtf8().constData());
}

QString TradTexto(const char *sourceText)
{
    return QCoreApplication::translate(kContext, sourceText);
}

void Trad(QWidget *screen)
{
    if (!screen)
        return;
    translateText(screen->windowTitle(), [&](const QString &t) { screen->setWindowTitle(t); });
    translateWidget(screen);
    const QList<QWidget *> children = screen->findChildren<QWidget *>();
    for (QWidget *child : children)
        translateWidget(child);
}

} // namespace Trad_utl
