#include "FormBinding.h"

#include "EventGuard.h"
#include "Exceptions.h"
#include "HandlerBinding.h"
#include "TDataSet.h"

#include <QAbstractButton>
#include <QPointer>

namespace
{

// The guard runs between Qt's signal and the handler: no exception may travel through the
// signal's emission into the event loop. The connection lives as long as both objects.
void BindClick(QObject *owner, QObject *control, const QString &handler)
{
    auto *button = qobject_cast<QAbstractButton *>(control);
    if (!button)
        throw Exception(QStringLiteral("%1 has an onClick handler (%2) but is not a button")
                            .arg(HandlerBinding::Describe(control), handler));
    const int index =
        HandlerBinding::RequireHandler(owner, handler, HandlerBinding::kNotifyEvent, control);
    QObject::connect(button, &QAbstractButton::clicked, owner, [owner, button, index] {
        RunGuarded([owner, button, index] {
            QObject *sender = button;
            void *argv[] = {nullptr, &sender};
            HandlerBinding::Invoke(owner, index, argv);
        });
    });
}

std::function<void(TDataSet *)> DataSetHook(QObject *owner, TDataSet *dataSet, const char *property)
{
    const QString handler = HandlerBinding::DynamicText(dataSet, property);
    if (handler.isEmpty())
        return {};
    const int index = HandlerBinding::RequireHandler(owner, handler,
                                                     HandlerBinding::kDataSetNotifyEvent, dataSet);
    QPointer<QObject> guardedOwner(owner);
    return [guardedOwner, index](TDataSet *target) {
        if (!guardedOwner)
            return;
        void *argv[] = {nullptr, &target};
        HandlerBinding::Invoke(guardedOwner.data(), index, argv);
    };
}

} // namespace

namespace HandlerBinding
{

void BindClicks(QObject *owner, QObject *root)
{
    if (!owner || !root)
        return;
    const QList<QObject *> descendants = root->findChildren<QObject *>();
    for (QObject *control : descendants) {
        const QString handler = HandlerBinding::DynamicText(control, "onClick");
        if (!handler.isEmpty())
            BindClick(owner, control, handler);
    }
}

void BindDataSetHooks(QObject *owner, TDataSet *dataSet)
{
    if (!owner || !dataSet)
        return;
    if (auto hook = DataSetHook(owner, dataSet, "BeforeInsert"))
        dataSet->BeforeInsert = std::move(hook);
    if (auto hook = DataSetHook(owner, dataSet, "BeforePost"))
        dataSet->BeforePost = std::move(hook);
}

} // namespace HandlerBinding
