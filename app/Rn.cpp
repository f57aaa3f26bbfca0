#include "Rn.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

#include "City.h"
#include "DataSetModel.h"
#include "OZGrid.h"
#include "PickerFrame.h"
#include "UserInterface.h"

TRnForm::TRnForm(const QString& resourceDir, const QString& kobl, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_picker(resourceDir, kobl)
    , m_source(std::make_unique<TDataSource>())
{
    setWindowTitle(QStringLiteral("Районы"));
    setFixedSize(231, 347);
    m_source->setDataSet(&m_picker.RnDS());

    const PickerFrame frame = createPickerFrame(*this);
    m_content = frame.content;
    QToolBar* bar = frame.bar;
    m_chooseAct = bar->addAction(QStringLiteral("Выбор"));
    m_citiesAct = bar->addAction(QStringLiteral("Города"));
    m_citiesAct->setToolTip(QStringLiteral("Выбор города"));
    m_backAct = bar->addAction(QStringLiteral("Назад"));

    m_grid = new TOZGrid(m_content);
    m_grid->setDataSource(m_source.get());
    m_grid->addColumn(QStringLiteral("NAME"), QStringLiteral("Наименование"), 193);
    m_grid->setReadOnly(true);
    m_grid->setShowIndicator(true);
    frame.layout->addWidget(m_grid, 1);

    connect(m_chooseAct, &QAction::triggered, this,
            [this] { RunAtEdge([this] { chooseExecute(); }); });
    connect(m_citiesAct, &QAction::triggered, this,
            [this] { RunAtEdge([this] { citiesExecute(); }); });
    connect(m_backAct, &QAction::triggered, this, &QDialog::reject);
}

TRnForm::~TRnForm()
{
    // The grid goes before its data source, the data source before the table.
    delete m_content;
    m_source.reset();
}

void TRnForm::chooseExecute()
{
    if (const auto chosen = m_picker.Choose()) {
        m_result = *chosen;
        accept();
    }
}

void TRnForm::citiesExecute()
{
    if (!m_picker.ShowCities())
        return;
    int result = QDialog::Rejected;
    try {
        TCityForm cities(m_picker, this);
        result = cities.exec();
        if (result == QDialog::Accepted)
            m_result = cities.territory();
    } catch (...) {
        m_picker.ShowDistricts();
        throw;
    }
    if (result == QDialog::Accepted) {
        accept();
        return;
    }
    m_picker.ShowDistricts();
}
