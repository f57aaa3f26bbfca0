#include "NO.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "DataSetModel.h"
#include "HeaderCaptions.h"
#include "LookupEdit.h"
#include "OZGrid.h"
#include "ozMemoryData.h"

namespace {

QLabel* sectionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

TOZGrid* makeGrid(TDataSource* source, QWidget* parent)
{
    auto* grid = new TOZGrid(parent);
    grid->setDataSource(source);
    grid->setShowIndicator(false);
    return grid;
}

// The grid's height for its header and the given number of rows.
void fitRows(TOZGrid* grid, int rows)
{
    const int height = grid->horizontalHeader()->sizeHint().height() +
                       rows * grid->verticalHeader()->defaultSectionSize() + 2 * grid->frameWidth();
    grid->setFixedHeight(height + 2);
}

} // namespace

TNOForm::TNOForm(const TNitrogenOxideTables& tables, QWidget* parent)
    : QDialog(parent)
    , m_tables(tables)
    , m_source1(std::make_unique<TDataSource>())
    , m_source3(std::make_unique<TDataSource>())
    , m_source5(std::make_unique<TDataSource>())
{
    setWindowTitle(QStringLiteral("Выброс оксида азота для пересчета в диоксид азота"));
    m_source1->setDataSet(&tables.section1);
    m_source3->setDataSet(&tables.section3);
    m_source5->setDataSet(&tables.section5);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(createSection1());
    layout->addWidget(createSection3());
    layout->addWidget(createSection5());
    layout->addStretch(1);
    layout->addWidget(createButtons());
    resize(608, 434);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

// The bound controls go before their data sources.
TNOForm::~TNOForm()
{
    delete m_grid1;
    delete m_grid3;
    delete m_fuelEdit;
    delete m_processEdit;
}

bool TNOForm::Execute(const TNitrogenOxideTables& tables, QWidget* parent)
{
    TNOForm form(tables, parent);
    return form.exec() == QDialog::Accepted;
}

QWidget* TNOForm::createSection1()
{
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sectionLabel(QStringLiteral("Раздел 1"), box));
    m_grid1 = makeGrid(m_source1.get(), box);
    const char* const fields[] = {"C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9", "C10"};
    for (int i = 0; i < 9; ++i) {
        TGridColumn* column =
            m_grid1->addColumn(QString::fromLatin1(fields[i]), QString::number(i + 2), 64);
        // The totals and the norms come from section 2.
        column->setReadOnly(i >= 5);
    }
    auto* captions = new THeaderCaptions(m_grid1, box);
    const QString all = QStringLiteral("всего");
    captions->addGroup(QStringLiteral("Выбрасывается без очистки"), 0,
                       {all, QStringLiteral("в том числе от орг. источн. загрязн.")});
    captions->addCaption(QStringLiteral("Поступило на очистные сооружения, всего"), 2);
    captions->addGroup(QStringLiteral("Из поступивших на очистку - уловлено и обезврежено"), 3,
                       {all, QStringLiteral("из них утилизиро- вано")});
    captions->addGroup(QStringLiteral("Всего выброшено в атмосферу ЗВ"), 5,
                       {QStringLiteral("за отчетный год"), QStringLiteral("за предыду- щий год")});
    captions->addGroup(QStringLiteral("Установл. нормативы выбросов ЗВ на отчетный год, т/год"), 7,
                       {QStringLiteral("предельно допустимый выброс (ПДВ)"),
                        QStringLiteral("временно согласов. выброс (ВСВ)")});
    layout->addWidget(captions);
    layout->addWidget(m_grid1);
    fitRows(m_grid1, 1);
    return box;
}

QWidget* TNOForm::createSection3()
{
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sectionLabel(QStringLiteral("Раздел 3"), box));
    m_grid3 = makeGrid(m_source3.get(), box);
    m_grid3->addColumn(QStringLiteral("CB"), QStringLiteral("Б"), 262)->setReadOnly(true);
    m_grid3->addColumn(QStringLiteral("C3"), QStringLiteral("3"), 158);
    m_grid3->addColumn(QStringLiteral("C4"), QStringLiteral("4"), 141);
    auto* captions = new THeaderCaptions(m_grid3, box);
    captions->addCaption(QString(), 0);
    captions->addCaption(QStringLiteral("Разрешенный выброс в атмосферу загрязняющих веществ, "
                                        "тонн (код по ОКЕИ-168)"),
                         1);
    captions->addCaption(QStringLiteral("Фактически выброшено в атмосферу загрязняющих веществ, "
                                        "тонн (код по ОКЕИ-168)"),
                         2);
    layout->addWidget(captions);
    layout->addWidget(m_grid3);
    fitRows(m_grid3, 3);
    return box;
}

QWidget* TNOForm::createSection5()
{
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sectionLabel(QStringLiteral("Раздел 5"), box));
    auto* panel = new QFrame(box);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* grid = new QGridLayout(panel);
    const auto boundEdit = [&](const QString& field) {
        auto* edit = new TOZDBEdit(panel);
        edit->setDataSource(m_source5.get());
        edit->setDataField(field);
        edit->Loaded();
        return edit;
    };
    m_fuelEdit = boundEdit(QStringLiteral("C3"));
    m_processEdit = boundEdit(QStringLiteral("C4"));
    grid->addWidget(
        new QLabel(QStringLiteral("3  От сжигания топлива для выработки электроэнергии"), panel), 0,
        0);
    grid->addWidget(m_fuelEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("4  От других технологических процессов"), panel), 1,
                    0);
    grid->addWidget(m_processEdit, 1, 1);
    layout->addWidget(panel);
    return box;
}

QWidget* TNOForm::createButtons()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    m_acceptButton = new QPushButton(QStringLiteral("Принять"), row);
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"), row);
    m_acceptButton->setDefault(true);
    layout->addWidget(m_acceptButton);
    layout->addWidget(m_cancelButton);
    connect(m_acceptButton, &QPushButton::clicked, this,
            [this] { RunAtEdge([this] { AcceptClick(); }); });
    connect(m_cancelButton, &QPushButton::clicked, this,
            [this] { RunAtEdge([this] { CancelClick(); }); });
    return row;
}

// A value still being typed is stored first; a rejected one keeps the dialog open.
void TNOForm::AcceptClick()
{
    for (TOZGrid* grid : {m_grid1, m_grid3})
        grid->commitPendingEdit();
    m_tables.accept();
    accept();
}

void TNOForm::CancelClick()
{
    m_tables.cancel();
    reject();
}
