#include "Rn.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

#include "City.h"
#include "DataSetModel.h"
#include "MDM.h"
#include "OZGrid.h"
#include "PickerFrame.h"
#include "UserInterface.h"
#include "ozField.h"

TRnForm::TRnForm(const QString& programDir, const QString& kobl, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_kobl(kobl)
    , m_source(std::make_unique<TDataSource>())
{
    setWindowTitle(QStringLiteral("Районы"));
    setFixedSize(231, 347);

    TDM::declareRegionColumns(m_rnDS);
    m_rnDS.setFileName(programDir + QStringLiteral("data/klreg.xml"));
    m_rnDS.setSortFields(QStringLiteral("NAME"));
    m_rnDS.setCanEdit(false);
    m_rnDS.setCanInsert(false);
    m_rnDS.setCanDelete(false);
    setDistrictFilter();
    m_rnDS.open();
    m_source->setDataSet(&m_rnDS);

    const PickerFrame frame = createPickerFrame(*this);
    m_content = frame.content;
    QVBoxLayout* layout = frame.layout;
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
    layout->addWidget(m_grid, 1);

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

bool TRnForm::RnDSFilterRecord(const QString& kod, int tip, const QString& kobl)
{
    return kod.startsWith(kobl) && (tip == 4 || (tip == 7 && kod.mid(2, 2) == QLatin1String("00")));
}

QString TRnForm::ShortName(const QString& name, int tip)
{
    return tip == 4 ? name + QStringLiteral(" район") : QStringLiteral("г.") + name;
}

void TRnForm::setDistrictFilter()
{
    m_rnDS.setOnFilterRecord([kobl = m_kobl](TDataSet& dataSet, bool& accept) {
        accept = RnDSFilterRecord(dataSet.fieldByName(QStringLiteral("KOD")).asString(),
                                  dataSet.fieldByName(QStringLiteral("TIP")).asInteger(), kobl);
    });
    m_rnDS.setFiltered(true);
}

void TRnForm::chooseExecute()
{
    // Nothing to choose in an empty list.
    if (m_rnDS.isEmpty())
        return;
    m_code = m_rnDS.fieldByName(QStringLiteral("KOD")).asString();
    m_shortName = ShortName(m_rnDS.fieldByName(QStringLiteral("NAME")).asString(),
                            m_rnDS.fieldByName(QStringLiteral("TIP")).asInteger());
    m_okato = m_rnDS.fieldByName(QStringLiteral("OKATO")).asString();
    accept();
}

void TRnForm::citiesExecute()
{
    if (m_rnDS.isEmpty())
        return;
    const QString district = m_rnDS.fieldByName(QStringLiteral("KOD")).asString();
    int result = QDialog::Rejected;
    {
        TCityForm cities(m_rnDS, district, this);
        try {
            result = cities.exec();
        } catch (...) {
            setDistrictFilter();
            m_rnDS.locate(QStringLiteral("KOD"), district);
            throw;
        }
        if (result == QDialog::Accepted) {
            m_code = cities.code();
            m_shortName = cities.shortName();
            m_okato = cities.okato();
        }
    }
    if (result == QDialog::Accepted) {
        accept();
        return;
    }
    setDistrictFilter();
    m_rnDS.locate(QStringLiteral("KOD"), district);
}
