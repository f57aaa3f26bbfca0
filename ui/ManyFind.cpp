#include "ManyFind.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "DataSetModel.h"
#include "OZGrid.h"
#include "ozField.h"

TManyFindForm::TManyFindForm(QWidget* owner, const QList<TBookmark>& bookmarks,
                             TDBLocateGrid& source)
    : QDialog(owner)
    , m_bookmarks(bookmarks)
    , m_source(std::make_unique<TDataSource>())
{
    setObjectName(QStringLiteral("ManyFindForm"));
    setWindowTitle(QStringLiteral("Результаты поиска"));
    resize(648, 365);
    buildControls();
    fill(source);
    m_source->setDataSet(&m_results);
    m_grid->setDataSource(m_source.get());
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &TManyFindForm::choose);
    connect(m_choose, &QPushButton::clicked, this, &TManyFindForm::choose);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_grid->installEventFilter(this);
}

TManyFindForm::~TManyFindForm()
{
    m_grid->setDataSource(nullptr);
}

void TManyFindForm::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(6);
    m_grid = new TOZGrid(this);
    m_grid->setObjectName(QStringLiteral("ManyFindGrid"));
    m_grid->setReadOnly(true);
    m_grid->setShowIndicator(true);
    layout->addWidget(m_grid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 0, 6, 0);
    m_choose = new QPushButton(QStringLiteral("Выбор"), this);
    m_choose->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    buttons->addStretch(1);
    buttons->addWidget(m_choose);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
}

void TManyFindForm::fill(TDBLocateGrid& source)
{
    // The source's widths only fit with its face and row height.
    m_grid->setFont(source.font());
    m_grid->verticalHeader()->setDefaultSectionSize(source.verticalHeader()->defaultSectionSize());
    TDataSetModel* model = source.dataModel();
    QList<TField*> sourceFields;
    for (int c = 0; c < source.columnsCount(); ++c) {
        TField* field = model->columnField(c);
        if (source.isColumnHidden(c) || !field)
            continue;
        m_grid->addColumn(field->fieldName(),
                          model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                          source.columnWidth(c));
        // A field shown in two columns is copied once.
        if (sourceFields.contains(field))
            continue;
        sourceFields.append(field);
        m_results.addFieldDef(field->fieldName(), field->dataType(), field->size());
    }
    m_results.open();
    TDataSet& searched = *source.dataSet();
    for (const TBookmark& bookmark : std::as_const(m_bookmarks)) {
        searched.gotoBookmark(bookmark);
        m_results.append();
        for (int f = 0; f < m_results.fieldCount(); ++f)
            m_results.field(f).setAsString(sourceFields.at(f)->asString());
        m_results.post();
    }
    m_results.first();
}

void TManyFindForm::choose()
{
    // Results are in the order of the matches, so the record number points into the list.
    const int index = m_results.recNo() - 1;
    if (index < 0 || index >= m_bookmarks.size())
        return;
    m_chosen = m_bookmarks.at(index);
    accept();
}

bool TManyFindForm::eventFilter(QObject* watched, QEvent* event)
{
    // The read-only grid would swallow Enter; here it means the default button.
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() == Qt::NoModifier) {
            choose();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TManyFindForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* target = screen())
        move(target->availableGeometry().center() - rect().center());
    m_grid->setFocus();
}
