#pragma once

#include <QObject>
#include <functional>

class TDataSet;

// Binds event handlers by name, as a screen definition names them. A control or component carries
// a dynamic property naming the handler (for example onClick = "blsConfirmClick"); the owner
// declares a slot or Q_INVOKABLE method of that name. Names are resolved once through the owner's
// meta-object; a missing handler, or one whose parameters are not the event's, is an Exception
// naming it.
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

// Connects every descendant of root that carries an onClick property: its clicked() signal (a
// click or a touch) runs the named handler of owner, with that descendant as Sender, inside the
// event guard, the click's only one. A descendant with onClick that is no button is an Exception
// as well. Each call connects again: bind a tree once.
void BindClicks(QObject *owner, QObject *root);
// Sets a data set's BeforeInsert/BeforePost from its dynamic properties of those names; the
// hooks call the owner's handlers directly (exceptions travel to the caller of the operation).
void BindDataSetHooks(QObject *owner, TDataSet *dataSet);

} // namespace HandlerBinding
