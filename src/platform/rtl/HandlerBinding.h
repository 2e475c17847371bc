#pragma once

#include <QObject>

// Binds event handlers by name, as a screen definition names them. A control or component carries
// a dynamic property naming the handler (for example onClick = "blsConfirmClick"); the owner
// declares a slot or Q_INVOKABLE method of that name. Names are resolved once through the owner's
// meta-object; a missing handler, or one whose parameters are not the event's, is an Exception
// naming it. The binding of a form's controls and data sets is FormBinding's.
//
// Handler signatures:
//   onClick                      void h(QObject *Sender)
//   onKeyPress                   void h(QObject *Sender, QChar &Key)
//   onKeyDown                    void h(QObject *Sender, Word &Key, TShiftState Shift)
//   onCreate/onDestroy/onActivate void h(QObject *Sender)
//   BeforeInsert/BeforePost      void h(TDataSet *DataSet)
//   BeforeConnect/AfterConnect   void h(QObject *Sender)  (bound by the data module with
//                                FindMethod/Invoke onto TADOConnection's hooks)
namespace HandlerBinding
{

// Those parameter lists as moc spells them, for RequireHandler.
constexpr const char *kNotifyEvent = "QObject*";
constexpr const char *kKeyPressEvent = "QObject*,QChar&";
constexpr const char *kKeyEvent = "QObject*,Word&,TShiftState";
constexpr const char *kDataSetNotifyEvent = "TDataSet*";

// An object's name for messages: its objectName, or its class when it has none.
QString Describe(const QObject *object);

// The text of an object's dynamic property of that name (a handler's or a picture's name), empty
// when it has none. Only dynamic properties are looked at: a screen's few hundred lookups would
// otherwise search the meta-object's declared properties by name each time.
QString DynamicText(const QObject *object, const char *property);

// Finds the owner's method of that name (the most derived one when several classes declare it);
// -1 when absent. Parameter types are not compared: handlers take references (QChar &, Word &)
// that only raw invocation can pass.
int FindMethod(const QObject *owner, const char *name);
// The same, restricted to methods taking parameterCount parameters.
int FindMethod(const QObject *owner, const char *name, int parameterCount);
// As FindMethod with a parameter count, but a missing handler is an Exception naming it and the
// object whose property named it.
int RequireMethod(const QObject *owner, const QString &name, int parameterCount,
                  const QObject *namedBy);
// The owner's method name(parameters), parameters as moc spells them ("QObject*",
// "QObject*,Word&,TShiftState"); a missing one, or one of that name with other parameters, is an
// Exception naming the handler, the object whose property named it and both signatures.
int RequireHandler(const QObject *owner, const QString &name, const char *parameters,
                   const QObject *namedBy);
// Calls the owner's method with raw arguments (argv[0] is the return slot, nullptr); exceptions
// travel to the caller.
void Invoke(QObject *owner, int methodIndex, void **argv);

} // namespace HandlerBinding
