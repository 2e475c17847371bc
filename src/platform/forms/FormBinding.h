#pragma once

#include <QObject>

class TDataSet;

// The handlers that a form's controls and data sets name, bound through HandlerBinding's lookup.
namespace HandlerBinding
{

// Connects every descendant of root that carries an onClick property: its clicked() signal (a
// click or a touch) runs the named handler of owner, with that descendant as Sender, inside the
// event guard, the click's only one. A descendant with onClick that is no button is an Exception
// as well. Each call connects again: bind a tree once.
void BindClicks(QObject *owner, QObject *root);
// Sets a data set's BeforeInsert/BeforePost from its dynamic properties of those names; the
// hooks call the owner's handlers directly (exceptions travel to the caller of the operation).
void BindDataSetHooks(QObject *owner, TDataSet *dataSet);

} // namespace HandlerBinding
