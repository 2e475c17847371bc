#include "HandlerBinding.h"

#include "EventGuard.h"
#include "Exceptions.h"
#include "TDataSet.h"

#include <QAbstractButton>
#include <QMetaMethod>
#include <QPointer>

#include <algorithm>

namespace
{

QString Describe(const QObject *object)
{
    const QString name = object->objectName();
    return name.isEmpty() ? QString::fromLatin1(object->metaObject()->className()) : name;
}

Exception HandlerNotFound(const QObject *owner, const QString &name, const QObject *namedBy)
{
    return Exception(QStringLiteral("Handler '%1' named by %2 not found in %3")
                         .arg(name, Describe(namedBy), Describe(owner)));
}

// The guard runs between Qt's signal and the handler: no exception may travel through the
// signal's emission into the event loop. The connection lives as long as both objects.
void BindClick(QObject *owner, QObject *control, const QString &handler)
{
    auto *button = qobject_cast<QAbstractButton *>(control);
    if (!button)
        throw Exception(QStringLiteral("%1 has an onClick handler (%2) but is not a button")
                            .arg(Describe(control), handler));
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

QString DynamicText(const QObject *object, const char *property)
{
    const QList<QByteArray> names = object->dynamicPropertyNames();
    const bool has = std::any_of(names.begin(), names.end(),
                                 [property](const QByteArray &name) { return name == property; });
    return has ? object->property(property).toString() : QString();
}

int FindMethod(const QObject *owner, const char *name)
{
    return FindMethod(owner, name, -1);
}

int FindMethod(const QObject *owner, const char *name, int parameterCount)
{
    if (!owner || !name || !*name)
        return -1;
    const QMetaObject *meta = owner->metaObject();
    // Most derived first: a subclass's handler hides a base class's of the same name.
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal)
            continue;
        if (method.name() != name)
            continue;
        if (parameterCount < 0 || method.parameterCount() == parameterCount)
            return i;
    }
    return -1;
}

int RequireMethod(const QObject *owner, const QString &name, int parameterCount,
                  const QObject *namedBy)
{
    const int index = FindMethod(owner, name.toUtf8().constData(), parameterCount);
    if (index < 0)
        throw HandlerNotFound(owner, name, namedBy);
    return index;
}

int RequireHandler(const QObject *owner, const QString &name, const char *parameters,
                   const QObject *namedBy)
{
    const QByteArray signature = QMetaObject::normalizedSignature(
        QStringLiteral("%1(%2)").arg(name, QLatin1String(parameters)).toUtf8().constData());
    const QMetaObject *meta = owner->metaObject();
    const int index = meta->indexOfMethod(signature.constData());
    if (index >= 0 && meta->method(index).methodType() != QMetaMethod::Signal)
        return index;
    const int other = FindMethod(owner, name.toUtf8().constData());
    if (other < 0)
        throw HandlerNotFound(owner, name, namedBy);
    throw Exception(QStringLiteral("Handler '%1' named by %2 has the wrong parameters: %3 declares "
                                   "%4, the event calls %5")
                        .arg(name, Describe(namedBy), Describe(owner),
                             QString::fromLatin1(meta->method(other).methodSignature()),
                             QString::fromLatin1(signature)));
}

void Invoke(QObject *owner, int methodIndex, void **argv)
{
    // Raw arguments through the meta-call, so references reach the handler and its exceptions
    // reach the caller.
    QMetaObject::metacall(owner, QMetaObject::InvokeMetaMethod, methodIndex, argv);
}

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
