#include "HandlerBinding.h"

#include "EventGuard.h"
#include "Exceptions.h"
#include "TDataSet.h"

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

// Carries one click from a control to its handler. A child of the control, so it lives exactly
// as long as the binding.
class ClickRelay : public QObject
{
    Q_OBJECT

public:
    ClickRelay(QObject *sender, QObject *owner, int methodIndex)
        : QObject(sender), m_sender(sender), m_owner(owner), m_methodIndex(methodIndex)
    {
        setObjectName(QStringLiteral("kpfClickRelay"));
    }

public slots:
    void Fire()
    {
        QObject *owner = m_owner.data();
        QObject *sender = m_sender.data();
        if (!owner || !sender)
            return;
        const int index = m_methodIndex;
        RunGuarded([owner, sender, index] {
            QObject *senderArg = sender;
            void *argv[] = {nullptr, &senderArg};
            HandlerBinding::Invoke(owner, index, argv);
        });
    }

private:
    QPointer<QObject> m_sender;
    QPointer<QObject> m_owner;
    int m_methodIndex;
};

int ClickedSignal(const QMetaObject *meta)
{
    const int plain = meta->indexOfSignal("clicked()");
    return plain >= 0 ? plain : meta->indexOfSignal("clicked(bool)");
}

void BindClick(QObject *owner, QObject *control, const QString &handler)
{
    const int methodIndex = HandlerBinding::RequireMethod(owner, handler, 1, control);
    const QMetaObject *meta = control->metaObject();
    const int signalIndex = ClickedSignal(meta);
    if (signalIndex < 0)
        throw Exception(QStringLiteral("%1 has an onClick handler (%2) but no clicked() signal")
                            .arg(Describe(control), handler));
    for (const QObject *child : control->children())
        if (child->objectName() == QLatin1String("kpfClickRelay"))
            return; // bound already
    auto *relay = new ClickRelay(control, owner, methodIndex);
    const QMetaMethod fire =
        relay->metaObject()->method(relay->metaObject()->indexOfSlot("Fire()"));
    QObject::connect(control, meta->method(signalIndex), relay, fire);
}

std::function<void(TDataSet *)> DataSetHook(QObject *owner, TDataSet *dataSet, const char *property)
{
    const QString handler = HandlerBinding::DynamicText(dataSet, property);
    if (handler.isEmpty())
        return {};
    const int index = HandlerBinding::RequireMethod(owner, handler, 1, dataSet);
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
        throw Exception(QStringLiteral("Handler '%1' named by %2 not found in %3")
                            .arg(name, Describe(namedBy), Describe(owner)));
    return index;
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

#include "HandlerBinding.moc"
