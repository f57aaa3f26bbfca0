#include "FindingsPane.h"

#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

namespace {

constexpr int kCellRole = Qt::UserRole + 1;

QIcon kindIcon(const QStyle* style, TFindingKind kind)
{
    switch (kind) {
    case TFindingKind::Error:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case TFindingKind::Tolerated:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case TFindingKind::Advisory:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    }
    return QIcon();
}

} // namespace

TFindingsPane::TFindingsPane(QWidget* parent)
    : QDockWidget(QStringLiteral("Результаты контроля"), parent)
    , m_list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("FindingsPane"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    m_list->setColumnCount(3);
    m_list->setHeaderLabels(
        {QStringLiteral("Вид"), QStringLiteral("Сообщение"), QStringLiteral("Место")});
    m_list->setRootIsDecorated(true);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setIconSize(QSize(16, 16));
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    setWidget(m_list);
    // Double click and Enter both activate a line.
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (const TFindingCell* cell = cellOf(item))
            Q_EMIT cellActivated(*cell);
    });
}

QTreeWidgetItem* TFindingsPane::addCellLine(QTreeWidgetItem* item, const TFindingCell& cell)
{
    item->setData(0, kCellRole, int(m_cells.size()));
    m_cells.append(cell);
    return item;
}

void TFindingsPane::setFindings(const QList<TFinding>& findings)
{
    m_list->clear();
    m_cells.clear();
    for (const TFinding& finding : findings) {
        auto* item = new QTreeWidgetItem(
            m_list, {FindingKindText(finding.kind), finding.message, FindingPlace(finding)});
        item->setIcon(0, kindIcon(style(), finding.kind));
        item->setToolTip(1, finding.message);
        if (!finding.cells.isEmpty())
            addCellLine(item, finding.cells.first());
        // The other cells the rule compares, each reachable on its own line.
        if (finding.cells.size() > 1) {
            for (const TFindingCell& cell : finding.cells)
                addCellLine(new QTreeWidgetItem(item, {QString(), QString(), CellPlace(cell)}),
                            cell);
        }
    }
    if (findings.isEmpty())
        new QTreeWidgetItem(m_list, {QString(), QStringLiteral("Ошибок не обнаружено")});
    if (QTreeWidgetItem* first = m_list->topLevelItem(0))
        m_list->setCurrentItem(first);
    show();
    raise();
    // Enter goes to the first finding at once.
    m_list->setFocus(Qt::OtherFocusReason);
}

const TFindingCell* TFindingsPane::cellOf(const QTreeWidgetItem* item) const
{
    if (!item)
        return nullptr;
    const QVariant index = item->data(0, kCellRole);
    if (!index.isValid())
        return nullptr;
    return &m_cells.at(index.toInt());
}
