#include "City.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

#include "DataSetModel.h"
#include "OZGrid.h"
#include "PickerFrame.h"
#include "UserInterface.h"
#include "ozField.h"
#include "ozMemoryData.h"

TCityForm::TCityForm(TozMemoryData& regions, const QString& districtKod, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_regions(regions)
    , m_districtKod(districtKod)
    , m_source(new TDataSource(this))
{
    setWindowTitle(QStringLiteral("Города"));
    setFixedSize(232, 350);

    m_regions.setOnFilterRecord([kod = m_districtKod](TDataSet& dataSet, bool& accept) {
        accept = CITYFilterRecord(dataSet.fieldByName(QStringLiteral("KOD")).asString(),
                                  dataSet.fieldByName(QStringLiteral("TIP")).asInteger(), kod);
    });
    m_regions.setFiltered(true);
    m_regions.first();
    m_source->setDataSet(&m_regions);

    const PickerFrame frame = createPickerFrame(*this);
    m_content = frame.content;
    QVBoxLayout* layout = frame.layout;
    QToolBar* bar = frame.bar;
    m_chooseAct = bar->addAction(QStringLiteral("Выбор"));
    m_backAct = bar->addAction(QStringLiteral("Назад"));

    m_grid = new TOZGrid(m_content);
    m_grid->setDataSource(m_source);
    m_grid->addColumn(QStringLiteral("NAME"), QStringLiteral("Наименование"), 192);
    m_grid->setReadOnly(true);
    m_grid->setShowIndicator(false);
    layout->addWidget(m_grid, 1);

    connect(m_chooseAct, &QAction::triggered, this,
            [this] { RunAtEdge([this] { chooseExecute(); }); });
    connect(m_backAct, &QAction::triggered, this, &QDialog::reject);
}

TCityForm::~TCityForm()
{
    // The grid goes before its data source.
    delete m_content;
}

bool TCityForm::CITYFilterRecord(const QString& kod, int tip, const QString& districtKod)
{
    return kod.startsWith(districtKod) && tip > 4;
}

void TCityForm::chooseExecute()
{
    // Nothing to choose in an empty list.
    if (m_regions.isEmpty())
        return;
    m_code = m_regions.fieldByName(QStringLiteral("KOD")).asString();
    m_shortName = QStringLiteral("г. ") + m_regions.fieldByName(QStringLiteral("NAME")).asString();
    m_okato = m_regions.fieldByName(QStringLiteral("OKATO")).asString();
    accept();
}
