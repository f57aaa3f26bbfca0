#include "City.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

#include "DataSetModel.h"
#include "OZGrid.h"
#include "PickerFrame.h"
#include "UserInterface.h"

TCityForm::TCityForm(TRegionPicker& picker, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_picker(picker)
    , m_source(new TDataSource(this))
{
    setWindowTitle(QStringLiteral("Города"));
    setFixedSize(232, 350);
    m_source->setDataSet(&m_picker.RnDS());

    const PickerFrame frame = createPickerFrame(*this);
    m_content = frame.content;
    QToolBar* bar = frame.bar;
    m_chooseAct = bar->addAction(QStringLiteral("Выбор"));
    m_backAct = bar->addAction(QStringLiteral("Назад"));

    m_grid = new TOZGrid(m_content);
    m_grid->setDataSource(m_source);
    m_grid->addColumn(QStringLiteral("NAME"), QStringLiteral("Наименование"), 192);
    m_grid->setReadOnly(true);
    m_grid->setShowIndicator(false);
    frame.layout->addWidget(m_grid, 1);

    connect(m_chooseAct, &QAction::triggered, this,
            [this] { RunAtEdge([this] { chooseExecute(); }); });
    connect(m_backAct, &QAction::triggered, this, &QDialog::reject);
}

TCityForm::~TCityForm()
{
    // The grid goes before its data source.
    delete m_content;
}

void TCityForm::chooseExecute()
{
    if (const auto chosen = m_picker.Choose()) {
        m_result = *chosen;
        accept();
    }
}
