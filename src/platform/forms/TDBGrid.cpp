#include "TDBGrid.h"

#include "DataSetModel.h"
#include "EventGuard.h"
#include "HandlerBinding.h"
#include "Keys.h"
#include "TDBGridDelegate.h"
#include "TDBGridTitles.h"
#include "TDataSet.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTouchEvent>

TDBGrid::TDBGrid(QWidget *parent)
    : QTableView(parent), m_model(new DataSetModel(this)), m_titles(new TDBGridTitles(this))
{
    setHorizontalHeader(m_titles);
    setModel(m_model);
    setItemDelegate(new TDBGridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setDragEnabled(false);
    setSortingEnabled(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setShowGrid(true);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *titles = horizontalHeader();
    titles->setSectionsClickable(false);
    titles->setSectionsMovable(false);
    titles->setSectionResizeMode(QHeaderView::Fixed);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    UpdateRowHeight();
    connect(m_model, &QAbstractItemModel::modelReset, this, &TDBGrid::SyncCurrentCell);
}

TDBGrid::~TDBGrid()
{
    if (m_dataSet)
        m_dataSet->OnFocusControl = nullptr;
}

void TDBGrid::SetDataSet(TDataSet *dataSet)
{
    if (m_dataSet) {
        disconnect(m_dataSet, nullptr, this, nullptr);
        m_dataSet->OnFocusControl = nullptr;
    }
    m_dataSet = dataSet;
    m_model->SetDataSet(dataSet);
    if (dataSet) {
        connect(dataSet, &TDataSet::currentChanged, this, &TDBGrid::SyncCurrentCell);
        QPointer<TDBGrid> self(this);
        dataSet->OnFocusControl = [self](TField *field) {
            if (!self)
                return;
            self->SetSelectedField(field);
            self->setFocus(Qt::OtherFocusReason);
        };
    }
    SyncCurrentCell();
}

void TDBGrid::SetColumns(std::vector<Column> columns)
{
    m_columns = std::move(columns);
    QStringList names;
    QStringList titles;
    for (const Column &column : m_columns) {
        names << column.fieldName;
        titles << column.title;
    }
    m_model->SetColumns(names, titles);
    for (int i = 0; i < int(m_columns.size()); ++i)
        horizontalHeader()->resizeSection(i, m_columns[i].width);
    m_selectedColumn = std::clamp(m_selectedColumn, 0, std::max(0, int(m_columns.size()) - 1));
    SyncCurrentCell();
}

int TDBGrid::ColumnOfField(const QString &fieldName) const
{
    return m_model->ColumnOf(fieldName);
}

TField *TDBGrid::SelectedField() const
{
    return m_model->FieldAt(m_selectedColumn);
}

QString TDBGrid::SelectedFieldName() const
{
    const TField *field = SelectedField();
    return field ? field->FieldName() : QString();
}

void TDBGrid::SetSelectedField(TField *field)
{
    if (!field)
        return;
    const int column = ColumnOfField(field->FieldName());
    if (column >= 0)
        SetSelectedIndex(column); // a field the grid does not show leaves the column as it is
}

void TDBGrid::SetSelectedIndex(int column)
{
    if (column < 0 || column >= int(m_columns.size()))
        return;
    m_selectedColumn = column;
    SyncCurrentCell();
}

// The data set's cursor and the selected column make the current cell.
void TDBGrid::SyncCurrentCell()
{
    QItemSelectionModel *selection = selectionModel();
    if (!selection)
        return;
    const int row = (m_dataSet && m_dataSet->Active()) ? m_dataSet->CurrentRow() : -1;
    if (row >= 0 && row < m_model->rowCount() && m_selectedColumn < m_model->columnCount()) {
        selection->setCurrentIndex(m_model->index(row, m_selectedColumn),
                                   QItemSelectionModel::ClearAndSelect);
    } else {
        selection->clear();
    }
}

void TDBGrid::SetDefaultColors(bool on)
{
    if (!on) {
        setPalette(QPalette());
        m_titles->SetTitleColors(false);
        return;
    }
    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, Qt::white);
        colours.setColor(group, QPalette::Text, Qt::black);
    }
    setPalette(colours);
    QFont cellFont = font();
    cellFont.setFamily(QStringLiteral("Arial"));
    setFont(cellFont);
    m_titles->SetTitleColors(true);
}

void TDBGrid::UpdateRowHeight()
{
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void TDBGrid::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        UpdateRowHeight();
    QTableView::changeEvent(event);
}

bool TDBGrid::RunKeyDownHandler(QKeyEvent *event)
{
    const QString handler = property("onKeyDown").toString();
    Word key = VirtualKeyFromQt(event->key());
    if (handler.isEmpty() || key == 0)
        return false;
    TShiftState shift = ShiftStateFromQt(event->modifiers());
    QWidget *owner = window();
    const bool ended = RunGuarded([&] {
        const int index = HandlerBinding::RequireMethod(owner, handler, 3, this);
        QObject *sender = this;
        void *argv[] = {nullptr, &sender, &key, &shift};
        HandlerBinding::Invoke(owner, index, argv);
    });
    return !ended || key == 0;
}

void TDBGrid::MoveRecord(bool forward)
{
    if (!m_dataSet || !m_dataSet->Active())
        return;
    RunGuarded([this, forward] { forward ? m_dataSet->Next() : m_dataSet->Prior(); });
    SyncCurrentCell(); // a refused move leaves the cursor where it was
}

void TDBGrid::keyPressEvent(QKeyEvent *event)
{
    if (RunKeyDownHandler(event)) {
        event->accept();
        return;
    }
    const bool backwards = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        MoveRecord(false);
        break;
    case Qt::Key_Down:
        MoveRecord(true);
        break;
    case Qt::Key_Left:
        SetSelectedIndex(m_selectedColumn - 1);
        break;
    case Qt::Key_Right:
        SetSelectedIndex(m_selectedColumn + 1);
        break;
    case Qt::Key_Tab:
        SetSelectedIndex(m_selectedColumn + (backwards ? -1 : 1));
        break;
    case Qt::Key_Backtab:
        SetSelectedIndex(m_selectedColumn - 1);
        break;
    default:
        // Digits, Enter, Escape, Delete and the rest belong to the form: no search, no editor.
        event->ignore();
        return;
    }
    event->accept();
}

// Tab and Shift+Tab move the selected column (the grid is the screen's only focusable control);
// refusing here hands the original key event, modifiers included, to keyPressEvent.
bool TDBGrid::focusNextPrevChild(bool)
{
    return false;
}

void TDBGrid::TouchCell(const QPoint &viewportPos)
{
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid() || !m_dataSet || !m_dataSet->Active())
        return;
    const int row = index.row();
    bool moved = true;
    if (row != m_dataSet->CurrentRow())
        moved = RunGuarded([this, row] { m_dataSet->MoveToRow(row); });
    if (moved)
        m_selectedColumn = index.column();
    SyncCurrentCell();
}

void TDBGrid::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    TouchCell(event->position().toPoint());
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event); // the second press of a double click is a press like any other
}

// Dragging or releasing never selects anything: the current cell follows the data set only.
void TDBGrid::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void TDBGrid::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

bool TDBGrid::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::TouchBegin: {
        const auto *touch = static_cast<QTouchEvent *>(event);
        if (!touch->points().isEmpty()) {
            setFocus(Qt::OtherFocusReason);
            TouchCell(touch->points().first().position().toPoint());
        }
        event->accept();
        return true;
    }
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
        event->accept();
        return true;
    default:
        return QTableView::viewportEvent(event);
    }
}
