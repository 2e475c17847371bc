#pragma once

#include "DateTime.h"
#include "TFieldType.h"

#include <QString>
#include <QVariant>

class TDataSet;

// One column of a data set. Reads and writes go to the data set's current record; writes outside
// the edit and insert states raise the not-editing EDatabaseError.
class TField
{
public:
    TField(TDataSet *dataSet, QString fieldName, TFieldType dataType, int size = 0);

    TDataSet *DataSet() const { return m_dataSet; }
    const QString &FieldName() const { return m_fieldName; }
    TFieldType DataType() const { return m_dataType; }
    int Size() const { return m_size; }
    int Index() const; // position among the data set's fields

    // Presentation, used by the grid.
    QString DisplayLabel() const { return m_displayLabel.isEmpty() ? m_fieldName : m_displayLabel; }
    void SetDisplayLabel(const QString &label) { m_displayLabel = label; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    int DisplayWidth() const { return m_displayWidth; }
    void SetDisplayWidth(int width) { m_displayWidth = width; }

    bool IsNull() const;
    // The stored value: QString, QDate, QDateTime, double, int or bool; invalid QVariant for null.
    QVariant Value() const;
    void SetValue(const QVariant &value); // converted to the field's type; strings cut to Size()
    void Clear();                         // sets null

    // Texts use the platform's format settings: floats as FloatToStr, dates as DateToStr;
    // null reads as an empty text.
    QString AsString() const;
    void SetAsString(const QString &text);
    double AsFloat() const; // null reads as 0
    void SetAsFloat(double value);
    int AsInteger() const;
    void SetAsInteger(int value);
    TDateTime AsDateTime() const;        // null reads as 0
    void SetAsDateTime(TDateTime value); // a date field keeps the day only

    // Converts a value to what a field of the type stores (strings cut to size when size > 0);
    // an invalid QVariant stays null. Raises EConvertError when the value does not convert.
    static QVariant Convert(const QVariant &value, TFieldType type, int size = 0);
    // The text of a stored value, as AsString shows it.
    static QString Text(const QVariant &stored, TFieldType type);

    // Asks the data-aware control bound to the data set (the grid) to select this field's column
    // and take the keyboard focus.
    void FocusControl();

private:
    TDataSet *m_dataSet;
    QString m_fieldName;
    TFieldType m_dataType;
    int m_size;
    QString m_displayLabel;
    bool m_visible = true;
    int m_displayWidth = 0;
};
